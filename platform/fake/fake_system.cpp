#include "platform/fake/fake_system.h"

#include <algorithm>
#include <cstring>

namespace fake {

namespace {

// The codes Windows gives for the machine's own refusals.
constexpr std::uint32_t kFileNotFound = 2;       // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t kPathNotFound = 3;       // ERROR_PATH_NOT_FOUND
constexpr std::uint32_t kAccessDenied = 5;       // ERROR_ACCESS_DENIED
constexpr std::uint32_t kSharingViolation = 32;  // ERROR_SHARING_VIOLATION
constexpr std::uint32_t kDiskFull = 112;         // ERROR_DISK_FULL
constexpr std::uint32_t kAlreadyExists = 183;    // ERROR_ALREADY_EXISTS

bool CopyOut(const std::string& text, TextBuffer out) {
    if (text.size() + 1 > out.capacity) {
        return false;
    }
    std::memcpy(out.data, text.c_str(), text.size() + 1);
    return true;
}

// Cursor layout of an InfLine in the fake: handle, section, line.
InfHandle LineInf(const InfLine& line) {
    return line.words[0];
}
int LineSection(const InfLine& line) {
    return static_cast<int>(line.words[1]);
}
std::size_t LineIndex(const InfLine& line) {
    return line.words[2];
}

}  // namespace

FakeSystem::FakeSystem(Faults& faults, FileSystem& files, Registry& registry)
    : faults_(faults), files_(files), registry_(registry) {}

FakeSystem::~FakeSystem() = default;

std::vector<std::string> FakeSystem::ListFiles(const char* pattern) {
    if (faults_.Fail(Op::ListFiles)) {
        return {};
    }
    return files_.List(pattern);
}

InfHandle FakeSystem::OpenInf(const char* path) {
    if (faults_.Fail(Op::OpenInf)) {
        return kNoInf;
    }
    const File* file = files_.Find(path);
    if (file == nullptr || file->openElsewhere) {
        return kNoInf;
    }
    std::string folder(path);
    std::size_t cut = folder.find_last_of('\\');
    folder = cut == std::string::npos ? std::string() : folder.substr(0, cut);
    inf_reader::InfOpenError error;
    std::unique_ptr<inf_reader::InfDocument> doc =
        inf_reader::InfDocument::Open(file->bytes, dirIds, folder, &error);
    if (!doc) {
        return kNoInf;
    }
    InfHandle handle = nextInf_++;
    infs_[handle] = std::move(doc);
    return handle;
}

void FakeSystem::CloseInf(InfHandle inf) {
    // A failed close still releases the handle: SETUPAPI's close cannot fail.
    faults_.Fail(Op::CloseInf);
    infs_.erase(inf);
}

const inf_reader::InfDocument* FakeSystem::Document(const InfLine& line) const {
    auto it = infs_.find(LineInf(line));
    return it == infs_.end() ? nullptr : it->second.get();
}

bool FakeSystem::FindFirstLine(InfHandle inf, const char* section, const char* key, InfLine* line) {
    if (faults_.Fail(Op::FindFirstLine)) {
        return false;
    }
    auto it = infs_.find(inf);
    if (it == infs_.end()) {
        return false;
    }
    const inf_reader::InfDocument& doc = *it->second;
    int index = doc.FindSection(section);
    if (index < 0) {
        return false;
    }
    std::size_t found = 0;
    if (key != nullptr) {
        if (!doc.FindKey(index, key, &found)) {
            return false;
        }
    } else if (doc.LineCount(index) == 0) {
        return false;
    }
    line->words[0] = inf;
    line->words[1] = static_cast<std::uintptr_t>(index);
    line->words[2] = found;
    return true;
}

bool FakeSystem::FindNextLine(InfLine* line) {
    if (faults_.Fail(Op::FindNextLine)) {
        return false;
    }
    const inf_reader::InfDocument* doc = Document(*line);
    if (doc == nullptr || LineIndex(*line) + 1 >= doc->LineCount(LineSection(*line))) {
        return false;
    }
    line->words[2] += 1;
    return true;
}

bool FakeSystem::GetStringField(const InfLine& line, unsigned field, TextBuffer out) {
    if (faults_.Fail(Op::GetStringField)) {
        return false;
    }
    const inf_reader::InfDocument* doc = Document(line);
    std::string text;
    return doc != nullptr && doc->GetField(LineSection(line), LineIndex(line), field, &text) &&
           CopyOut(text, out);
}

bool FakeSystem::GetIntField(const InfLine& line, unsigned field, int* value) {
    if (faults_.Fail(Op::GetIntField)) {
        return false;
    }
    const inf_reader::InfDocument* doc = Document(line);
    return doc != nullptr && doc->GetIntField(LineSection(line), LineIndex(line), field, value);
}

FileState FakeSystem::GetFileState(const char* path) {
    if (faults_.Fail(Op::GetFileState)) {
        return FileState::Unknown;
    }
    return files_.Exists(path) ? FileState::Present : FileState::Missing;
}

bool FakeSystem::SetFileAttributes(const char* path, std::uint32_t attributes) {
    File* file = files_.Find(path);
    if (faults_.Fail(Op::SetFileAttributes)) {
        return false;
    }
    if (file == nullptr) {
        return faults_.Refuse(kFileNotFound);
    }
    file->attributes = attributes;
    changes_.push_back({Change::Attributes, path, {}});
    return true;
}

bool FakeSystem::CopyFile(const char* from, const char* to) {
    const File* source = files_.Find(from);
    const File* target = files_.Find(to);
    if (faults_.Fail(Op::CopyFile)) {
        return false;
    }
    if (source == nullptr || !files_.FolderExists(FileSystem::FolderOf(to))) {
        return faults_.Refuse(source == nullptr ? kFileNotFound : kPathNotFound);
    }
    if (source->openElsewhere || (target != nullptr && Busy(*target))) {
        return faults_.Refuse(kSharingViolation);
    }
    if (target != nullptr && (target->attributes & kAttrReadOnly) != 0) {
        return faults_.Refuse(kAccessDenied);
    }
    // The copy brings the source's attributes along, as CopyFileA does.
    files_.Put(to, source->bytes, source->attributes);
    changes_.push_back({Change::Copy, to, from});
    return true;
}

bool FakeSystem::DeleteFile(const char* path) {
    const File* file = files_.Find(path);
    if (faults_.Fail(Op::DeleteFile)) {
        return false;
    }
    if (file == nullptr || Busy(*file) || (file->attributes & kAttrReadOnly) != 0) {
        return faults_.Refuse(file == nullptr ? kFileNotFound
                              : Busy(*file)   ? kSharingViolation
                                              : kAccessDenied);
    }
    changes_.push_back({Change::Delete, path, {}});
    return files_.Remove(path);
}

bool FakeSystem::MoveFile(const char* from, const char* to) {
    const File* source = files_.Find(from);
    if (faults_.Fail(Op::MoveFile)) {
        return false;
    }
    if (source == nullptr || !files_.FolderExists(FileSystem::FolderOf(to))) {
        return faults_.Refuse(source == nullptr ? kFileNotFound : kPathNotFound);
    }
    if (Busy(*source) || files_.Exists(to)) {
        return faults_.Refuse(Busy(*source) ? kSharingViolation : kAlreadyExists);
    }
    files_.Rename(from, to);
    changes_.push_back({Change::Rename, to, from});
    return true;
}

bool FakeSystem::CreateDirectory(const char* path) {
    std::string folder(path);
    if (faults_.Fail(Op::CreateDirectory)) {
        return false;
    }
    if (files_.FolderExists(folder) || files_.Exists(folder)) {
        return faults_.Refuse(kAlreadyExists);
    }
    if (!files_.FolderExists(FileSystem::FolderOf(folder))) {
        return faults_.Refuse(kPathNotFound);
    }
    files_.MakeFolder(folder);
    changes_.push_back({Change::CreateFolder, folder, {}});
    return true;
}

FileHandle FakeSystem::OpenFileExclusive(const char* path) {
    File* file = files_.Find(path);
    if (faults_.Fail(Op::OpenFileExclusive)) {
        return kNoFile;
    }
    if (file == nullptr || Busy(*file) || (file->attributes & kAttrReadOnly) != 0) {
        faults_.Refuse(file == nullptr ? kFileNotFound
                       : Busy(*file)   ? kSharingViolation
                                       : kAccessDenied);
        return kNoFile;
    }
    ++file->openHere;
    FileHandle handle = nextFile_++;
    openFiles_[handle] = OpenFile{file->path, 0};
    return handle;
}

File* FakeSystem::FileOf(FileHandle handle) {
    auto it = openFiles_.find(handle);
    return it == openFiles_.end() ? nullptr : files_.Find(it->second.path);
}

void FakeSystem::CloseFile(FileHandle handle) {
    // Closing cannot fail; the call is recorded for fault sweeps.
    faults_.Fail(Op::CloseFile);
    if (File* file = FileOf(handle)) {
        --file->openHere;
    }
    openFiles_.erase(handle);
}

bool FakeSystem::GetFileSize(FileHandle handle, std::uint32_t* size) {
    File* file = FileOf(handle);
    if (faults_.Fail(Op::GetFileSize) || file == nullptr) {
        return false;
    }
    *size = static_cast<std::uint32_t>(file->bytes.size());
    return true;
}

bool FakeSystem::ReadFile(FileHandle handle, void* data, std::uint32_t size, std::uint32_t* done) {
    File* file = FileOf(handle);
    *done = 0;
    if (faults_.Fail(Op::ReadFile) || file == nullptr) {
        return false;
    }
    OpenFile& open = openFiles_[handle];
    std::size_t available =
        open.position < file->bytes.size() ? file->bytes.size() - open.position : 0;
    std::uint32_t count = static_cast<std::uint32_t>(std::min<std::size_t>(size, available));
    std::memcpy(data, file->bytes.data() + open.position, count);
    open.position += count;
    *done = count;
    return true;
}

bool FakeSystem::WriteFile(FileHandle handle, const void* data, std::uint32_t size,
                           std::uint32_t* done) {
    File* file = FileOf(handle);
    *done = 0;
    if (faults_.Fail(Op::WriteFile) || file == nullptr) {
        return false;
    }
    OpenFile& open = openFiles_[handle];
    std::uint64_t end = std::uint64_t{open.position} + size;
    std::uint64_t length = file->bytes.size();
    std::uint64_t growth = end > length ? end - length : 0;
    std::uint32_t count = size;
    if (growth > diskFreeBytes) {
        count = static_cast<std::uint32_t>(size - (growth - diskFreeBytes));
        faults_.Refuse(kDiskFull);
    }
    if (file->bytes.size() < open.position + count) {
        diskFreeBytes -= open.position + count - file->bytes.size();
        file->bytes.resize(open.position + count);
    }
    file->bytes.replace(open.position, count, static_cast<const char*>(data), count);
    changes_.push_back({Change::Write, file->path, {}});
    open.position += count;
    *done = count;
    return count == size;
}

bool FakeSystem::SeekFile(FileHandle handle, std::uint32_t offset) {
    if (faults_.Fail(Op::SeekFile) || FileOf(handle) == nullptr) {
        return false;
    }
    openFiles_[handle].position = offset;
    return true;
}

bool FakeSystem::TruncateFile(FileHandle handle) {
    File* file = FileOf(handle);
    if (faults_.Fail(Op::TruncateFile) || file == nullptr) {
        return false;
    }
    file->bytes.resize(openFiles_[handle].position);
    changes_.push_back({Change::Truncate, file->path, {}});
    return true;
}

bool FakeSystem::AppendToFile(const char* path, const void* data, std::uint32_t size) {
    if (faults_.Fail(Op::AppendToFile)) {
        return false;
    }
    File* file = files_.Find(path);
    if (file == nullptr && !files_.FolderExists(FileSystem::FolderOf(path))) {
        return faults_.Refuse(kPathNotFound);
    }
    if (file != nullptr && (Busy(*file) || (file->attributes & kAttrReadOnly) != 0)) {
        return faults_.Refuse(Busy(*file) ? kSharingViolation : kAccessDenied);
    }
    if (size > diskFreeBytes) {  // nothing of a section is written that does not fit whole
        return faults_.Refuse(kDiskFull);
    }
    if (file == nullptr) {
        files_.Put(path, std::string());
        file = files_.Find(path);
    }
    diskFreeBytes -= size;
    file->bytes.append(static_cast<const char*>(data), size);
    changes_.push_back({Change::Write, file->path, {}});
    return true;
}

bool FakeSystem::ReadMachineRegistryText(const char* keyPath, const char* valueName,
                                         TextBuffer out) {
    if (faults_.Fail(Op::ReadMachineRegistryText)) {
        return false;
    }
    // The fake registry holds no empty values: an empty text is a missing one.
    std::string text = registry_.Text(keyPath, valueName);
    if (!text.empty() && CopyOut(text, out)) {
        return true;
    }
    out.data[0] = '\0';
    return faults_.Refuse(text.empty() ? kFileNotFound : 234);  // ERROR_MORE_DATA
}

long FakeSystem::SetMachineRegistryText(const char* keyPath, const char* valueName,
                                        const char* text) {
    if (faults_.Fail(Op::SetMachineRegistryText)) {
        return static_cast<long>(Faults::kInjectedError);
    }
    if (!registry_.SetText(keyPath, valueName, text)) {
        return static_cast<long>(kFileNotFound);
    }
    changes_.push_back({Change::RegistryValue, std::string(keyPath) + "\\" + valueName, {}});
    return 0;
}

bool FakeSystem::GetVersion(WindowsVersion* out) {
    if (faults_.Fail(Op::GetVersion)) {
        return false;
    }
    *out = version;
    return true;
}

bool FakeSystem::GetWindowsDirectory(TextBuffer out) {
    return !faults_.Fail(Op::GetWindowsDirectory) && CopyOut(windowsDirectory, out);
}

bool FakeSystem::GetModulePath(TextBuffer out) {
    return !faults_.Fail(Op::GetModulePath) && CopyOut(modulePath, out);
}

bool FakeSystem::IsLeadByte(unsigned char byte) {
    if (codePage == 932) {
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    }
    return (codePage == 936 || codePage == 950) && byte >= 0x81 && byte <= 0xFE;
}

std::string FakeSystem::GetCommandLine() {
    if (faults_.Fail(Op::GetCommandLine)) {
        return std::string();
    }
    return commandLine;
}

void FakeSystem::StartProgram(const char* program, const char* commandLine) {
    if (!faults_.Fail(Op::StartProgram)) {
        started_.push_back(std::string(program) + " " + commandLine);
    }
}

bool FakeSystem::TakeRunGuard(const char* name) {
    // The 98 family refuses a backslash in an object name.
    bool refused = !NtFamily(version) && std::strchr(name, '\\') != nullptr;
    if (faults_.Fail(Op::TakeRunGuard) || refused || runGuardHolders > 0) {
        return false;
    }
    runGuardName = name;
    ++runGuardHolders;
    return true;
}

void FakeSystem::ReleaseRunGuard() {
    if (runGuardHolders > 0) {
        --runGuardHolders;
    }
}

}  // namespace fake
