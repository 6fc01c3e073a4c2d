#include "store/inf_edit.h"

#include <cstring>
#include <memory>
#include <new>

#include "platform/text.h"

namespace {

// INF files are small; a larger one is not ours to rewrite in memory.
constexpr std::uint32_t kMaxInfBytes = 16u * 1024u * 1024u;

// Holds a file open for the edit and closes it on every path.
class OpenFile {
  public:
    OpenFile(FileServices& files, const char* path)
        : files_(files), file_(files.OpenFileExclusive(path)) {}
    ~OpenFile() {
        if (file_ != kNoFile) {
            files_.CloseFile(file_);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    bool IsOpen() const { return file_ != kNoFile; }

    bool ReadAll(std::uint32_t size, char* bytes) {
        std::uint32_t have = 0;
        while (have < size) {
            std::uint32_t done = 0;
            if (!files_.ReadFile(file_, bytes + have, size - have, &done) || done == 0) {
                return false;
            }
            have += done;
        }
        return true;
    }

    bool WriteAt(std::uint32_t offset, const char* data, std::size_t size) {
        std::uint32_t done = 0;
        return files_.SeekFile(file_, offset) &&
               files_.WriteFile(file_, data, static_cast<std::uint32_t>(size), &done) &&
               done == size;
    }

    bool Size(std::uint32_t* size) { return files_.GetFileSize(file_, size); }
    bool Truncate() { return files_.TruncateFile(file_); }

  private:
    FileServices& files_;
    FileHandle file_;
};

// Where `word` (in capitals) first stands in `text` at or after `from`,
// whatever the case of the text; `size` when nowhere.
std::size_t FindCapitals(const char* text, std::size_t size, std::size_t from, const char* word) {
    std::size_t length = std::strlen(word);
    for (std::size_t at = from; length <= size && at <= size - length; ++at) {
        std::size_t matched = 0;
        while (matched < length && AsciiUpper(text[at + matched]) == word[matched]) {
            ++matched;
        }
        if (matched == length) {
            return at;
        }
    }
    return size;
}

}  // namespace

bool FindCopyFilesEntry(const char* content, std::size_t size, const char* sectionName,
                        std::size_t* offset) {
    // The content is searched as text: the search ends at its first NUL.
    const void* nul = std::memchr(content, '\0', size);
    if (nul != nullptr) {
        size = static_cast<std::size_t>(static_cast<const char*>(nul) - content);
    }
    FixedText<64> header;
    if (!Concat(&header, {"[", sectionName, "]"})) {
        return false;
    }
    header.ToUpper();
    std::size_t at = FindCapitals(content, size, 0, header.c_str());
    if (at == size) {
        return false;
    }
    std::size_t entry = FindCapitals(content, size, at + header.size(), "COPYFILES");
    if (entry == size) {
        return false;
    }
    *offset = entry;
    return true;
}

bool DisableInfCopyFiles(FileServices& files, const char* infPath, const char* sectionName) {
    OpenFile file(files, infPath);
    std::uint32_t size = 0;
    if (!file.IsOpen() || !file.Size(&size) || size == 0 || size > kMaxInfBytes) {
        return false;
    }
    // The old content and the new tail, both held until the edit is safe; an
    // allocation that fails leaves the file alone.
    std::unique_ptr<char[]> original(new (std::nothrow) char[size]);
    std::size_t entry = 0;
    if (!original || !file.ReadAll(size, original.get()) ||
        !FindCopyFilesEntry(original.get(), size, sectionName, &entry)) {
        return false;
    }
    // Only the bytes from the entry on move; the new content is one byte
    // longer, so it covers the old completely.
    std::size_t tailSize = size - entry + 1;
    std::unique_ptr<char[]> tail(new (std::nothrow) char[tailSize]);
    if (!tail) {
        return false;
    }
    tail[0] = ';';
    std::memcpy(tail.get() + 1, original.get() + entry, size - entry);
    std::uint32_t at = static_cast<std::uint32_t>(entry);
    if (file.WriteAt(at, tail.get(), tailSize)) {
        return true;
    }
    // A write that failed part way: put the old bytes back and cut the file at
    // its old length.
    if (file.WriteAt(at, original.get() + entry, size - entry)) {
        file.Truncate();
    }
    return false;
}
