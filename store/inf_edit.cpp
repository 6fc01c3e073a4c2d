#include "store/inf_edit.h"

#include <new>

#include "platform/text.h"

namespace {

// INF files are small; a larger one is not ours to rewrite in memory.
constexpr std::uint32_t kMaxInfBytes = 16u * 1024u * 1024u;

// Holds a file open for the edit and closes it on every path.
class OpenFile {
  public:
    OpenFile(SystemServices& sys, const char* path)
        : sys_(sys), file_(sys.OpenFileExclusive(path)) {}
    ~OpenFile() {
        if (file_ != kNoFile) {
            sys_.CloseFile(file_);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    bool IsOpen() const { return file_ != kNoFile; }

    bool ReadAll(std::uint32_t size, std::string* bytes) {
        try {
            bytes->resize(size);
        } catch (const std::bad_alloc&) {
            return false;
        }
        std::uint32_t have = 0;
        while (have < size) {
            std::uint32_t done = 0;
            if (!sys_.ReadFile(file_, &(*bytes)[have], size - have, &done) || done == 0) {
                return false;
            }
            have += done;
        }
        return true;
    }

    bool WriteAt(std::uint32_t offset, const char* data, std::size_t size) {
        std::uint32_t done = 0;
        return sys_.SeekFile(file_, offset) &&
               sys_.WriteFile(file_, data, static_cast<std::uint32_t>(size), &done) && done == size;
    }

    bool Size(std::uint32_t* size) { return sys_.GetFileSize(file_, size); }
    bool Truncate() { return sys_.TruncateFile(file_); }

  private:
    SystemServices& sys_;
    FileHandle file_;
};

std::string Upper(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) {
        c = AsciiUpper(c);
    }
    return upper;
}

}  // namespace

bool FindCopyFilesEntry(const std::string& content, const char* sectionName, std::size_t* offset) {
    std::string header = Upper(std::string("[") + sectionName + "]");
    // The whole content is searched, NUL bytes included.
    std::string upper = Upper(content);
    std::size_t at = upper.find(header);
    if (at == std::string::npos) {
        return false;
    }
    std::size_t entry = upper.find("COPYFILES", at + header.size());
    if (entry == std::string::npos) {
        return false;
    }
    *offset = entry;
    return true;
}

bool DisableInfCopyFiles(SystemServices& sys, const char* infPath, const char* sectionName) {
    OpenFile file(sys, infPath);
    std::uint32_t size = 0;
    if (!file.IsOpen() || !file.Size(&size) || size == 0 || size > kMaxInfBytes) {
        return false;
    }
    std::string original;
    std::size_t entry = 0;
    if (!file.ReadAll(size, &original) || !FindCopyFilesEntry(original, sectionName, &entry)) {
        return false;
    }
    // Only the bytes from the entry on move; the new content is one byte
    // longer, so it covers the old completely.
    std::string tail;
    try {
        tail = ";" + original.substr(entry);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::uint32_t at = static_cast<std::uint32_t>(entry);
    if (file.WriteAt(at, tail.data(), tail.size())) {
        return true;
    }
    // A write that failed part way: put the old bytes back and cut the file at
    // its old length.
    if (file.WriteAt(at, original.data() + entry, original.size() - entry)) {
        file.Truncate();
    }
    return false;
}
