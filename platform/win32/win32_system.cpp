#include "platform/win32/win32_system.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"

namespace {

HANDLE FileOf(FileHandle file) {
    return reinterpret_cast<HANDLE>(file);
}

}  // namespace

std::vector<std::string> Win32Files::ListFiles(const char* pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const char* name = found.cFileName;
        bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
        if (!dots && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.emplace_back(name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

FileState Win32Files::GetFileState(const char* path) {
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
        return FileState::Present;
    }
    DWORD error = GetLastError();
    bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return missing ? FileState::Missing : FileState::Unknown;
}

bool Win32Files::SetFileAttributes(const char* path, std::uint32_t attributes) {
    return SetFileAttributesA(path, attributes) != FALSE;
}

bool Win32Files::CopyFile(const char* from, const char* to) {
    return CopyFileA(from, to, FALSE) != FALSE;
}

bool Win32Files::DeleteFile(const char* path) {
    return DeleteFileA(path) != FALSE;
}

bool Win32Files::MoveFile(const char* from, const char* to) {
    return MoveFileA(from, to) != FALSE;
}

bool Win32Files::CreateDirectory(const char* path) {
    return CreateDirectoryA(path, nullptr) != FALSE;
}

FileHandle Win32Files::OpenFileExclusive(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || file == nullptr) {
        return kNoFile;
    }
    return reinterpret_cast<FileHandle>(file);
}

void Win32Files::CloseFile(FileHandle file) {
    if (file != kNoFile) {
        CloseHandle(FileOf(file));
    }
}

bool Win32Files::GetFileSize(FileHandle file, std::uint32_t* size) {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    DWORD low = ::GetFileSize(FileOf(file), &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0) {
        return false;
    }
    *size = low;
    return true;
}

bool Win32Files::ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t* done) {
    DWORD read = 0;
    BOOL ok = ::ReadFile(FileOf(file), data, size, &read, nullptr);
    *done = read;
    return ok != FALSE;
}

bool Win32Files::WriteFile(FileHandle file, const void* data, std::uint32_t size,
                           std::uint32_t* done) {
    DWORD written = 0;
    BOOL ok = ::WriteFile(FileOf(file), data, size, &written, nullptr);
    *done = written;
    return ok != FALSE && written == size;
}

bool Win32Files::SeekFile(FileHandle file, std::uint32_t offset) {
    if (offset > 0x7FFFFFFFu) {
        return false;
    }
    return SetFilePointer(FileOf(file), static_cast<LONG>(offset), nullptr, FILE_BEGIN) == offset;
}

bool Win32Files::TruncateFile(FileHandle file) {
    return SetEndOfFile(FileOf(file)) != FALSE;
}

bool Win32Files::AppendToFile(const char* path, const void* data, std::uint32_t size) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    bool ok = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
              ::WriteFile(file, data, size, &written, nullptr) != FALSE && written == size;
    CloseHandle(file);  // keeps the failed call's code
    return ok;
}

static_assert(sizeof(INFCONTEXT) <= sizeof(InfLine::words), "an INFCONTEXT must fit an InfLine");

namespace {

// No INF field is near this long; it only bounds the scratch copy.
constexpr std::size_t kMaxFieldBuffer = 65536;

INFCONTEXT ContextOf(const InfLine& line) {
    INFCONTEXT context;
    std::memcpy(&context, line.words, sizeof context);
    return context;
}

void StoreContext(const INFCONTEXT& context, InfLine* line) {
    *line = InfLine{};
    std::memcpy(line->words, &context, sizeof context);
}

HINF InfOf(InfHandle inf) {
    return reinterpret_cast<HINF>(inf);
}

}  // namespace

struct Win32Infs::Api {
    HMODULE setupapi = LoadSystemLibrary("SETUPAPI.DLL");
    decltype(&SetupOpenInfFileA) openInfFile = BIND_CALL(setupapi, SetupOpenInfFileA);
    decltype(&SetupCloseInfFile) closeInfFile = BIND_CALL(setupapi, SetupCloseInfFile);
    decltype(&SetupFindFirstLineA) findFirstLine = BIND_CALL(setupapi, SetupFindFirstLineA);
    decltype(&SetupFindNextLine) findNextLine = BIND_CALL(setupapi, SetupFindNextLine);
    decltype(&SetupGetStringFieldA) getStringField = BIND_CALL(setupapi, SetupGetStringFieldA);
    decltype(&SetupGetIntField) getIntField = BIND_CALL(setupapi, SetupGetIntField);

    ~Api() {
        if (setupapi != nullptr) {
            FreeLibrary(setupapi);
        }
    }
};

Win32Infs::Win32Infs() : api_(std::make_unique<Api>()) {}

Win32Infs::~Win32Infs() = default;

InfHandle Win32Infs::OpenInf(const char* path) {
    // Without the close an open INF could never be freed.
    if (api_->openInfFile == nullptr || api_->closeInfFile == nullptr) {
        return kNoInf;
    }
    UINT errorLine = 0;
    HINF inf = api_->openInfFile(path, nullptr, INF_STYLE_WIN4, &errorLine);
    if (inf == INVALID_HANDLE_VALUE) {
        return kNoInf;
    }
    return reinterpret_cast<InfHandle>(inf);
}

void Win32Infs::CloseInf(InfHandle inf) {
    if (inf != kNoInf && api_->closeInfFile != nullptr) {
        api_->closeInfFile(InfOf(inf));
    }
}

bool Win32Infs::FindFirstLine(InfHandle inf, const char* section, const char* key, InfLine* line) {
    if (inf == kNoInf || api_->findFirstLine == nullptr) {
        return false;
    }
    INFCONTEXT context;
    if (!api_->findFirstLine(InfOf(inf), section, key, &context)) {
        return false;
    }
    StoreContext(context, line);
    return true;
}

bool Win32Infs::FindNextLine(InfLine* line) {
    INFCONTEXT context = ContextOf(*line);
    if (api_->findNextLine == nullptr || !api_->findNextLine(&context, &context)) {
        return false;
    }
    StoreContext(context, line);
    return true;
}

bool Win32Infs::GetStringField(const InfLine& line, unsigned field, TextBuffer out) {
    if (out.capacity == 0 || api_->getStringField == nullptr) {
        return false;
    }
    // The call may write into the buffer before it finds that the field does
    // not fit; the caller's text must survive a failure.
    std::size_t size = std::min(out.capacity, kMaxFieldBuffer);
    std::vector<char> local(size);
    INFCONTEXT context = ContextOf(line);
    if (!api_->getStringField(&context, field, local.data(), static_cast<DWORD>(size), nullptr)) {
        return false;
    }
    local.back() = '\0';
    std::memcpy(out.data, local.data(), std::strlen(local.data()) + 1);
    return true;
}

bool Win32Infs::GetIntField(const InfLine& line, unsigned field, int* value) {
    INFCONTEXT context = ContextOf(line);
    INT read = 0;
    if (api_->getIntField == nullptr || !api_->getIntField(&context, field, &read)) {
        return false;
    }
    *value = read;
    return true;
}

static_assert(sizeof(OSVERSIONINFOA) == 148, "Windows 98 knows only the 148-byte version block");

namespace {

// Folder texts longer than this are refused rather than cut.
constexpr DWORD kMaxFolderChars = 260;
// Room for one character more than allowed, so that a cut text is told apart
// from one that fills the buffer exactly, whichever way the system reports it.
constexpr DWORD kFolderBufferSize = kMaxFolderChars + 2;

// Copies a folder text the system wrote into `local` (length as returned) to
// the caller's buffer; refuses failed, cut and too-long results.
bool CopyFolderText(const char* local, DWORD length, TextBuffer out) {
    if (length == 0 || length > kMaxFolderChars || length >= out.capacity) {
        return false;
    }
    std::memcpy(out.data, local, length);
    out.data[length] = '\0';
    return true;
}

}  // namespace

std::uint32_t Win32Facts::LastError() {
    return GetLastError();
}

bool Win32Facts::ReadMachineRegistryText(const char* keyPath, const char* valueName,
                                         TextBuffer out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(out.capacity - 1);
    LONG status =
        RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(out.data), &size);
    RegCloseKey(key);
    // A value stored without its NUL still ends in the buffer.
    out.data[status == ERROR_SUCCESS && size < out.capacity ? size : 0] = '\0';
    return status == ERROR_SUCCESS && type == REG_SZ;
}

long Win32Facts::SetMachineRegistryText(const char* keyPath, const char* valueName,
                                        const char* text) {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ | KEY_WRITE, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    status = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>(std::strlen(text) + 1));
    LONG closed = RegCloseKey(key);
    return status != ERROR_SUCCESS ? status : closed;
}

bool Win32Facts::GetVersion(WindowsVersion* version) {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) {
        return false;
    }
    version->major = info.dwMajorVersion;
    version->minor = info.dwMinorVersion;
    version->build = info.dwBuildNumber;
    return true;
}

LocalTime Win32Facts::GetLocalTime() {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

std::uint16_t Win32Facts::GetSystemLanguage() {
    return GetSystemDefaultLangID();
}

bool Win32Facts::GetWindowsDirectory(TextBuffer out) {
    char local[kFolderBufferSize];
    UINT length = GetWindowsDirectoryA(local, kFolderBufferSize);
    return CopyFolderText(local, length, out);
}

bool Win32Facts::GetModulePath(TextBuffer out) {
    char local[kFolderBufferSize];
    DWORD length = GetModuleFileNameA(nullptr, local, kFolderBufferSize);
    return CopyFolderText(local, length, out);
}

bool Win32Facts::IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

std::string Win32Facts::GetCommandLine() {
    const char* line = GetCommandLineA();
    return line != nullptr ? std::string(line) : std::string();
}

void Win32Process::StartProgram(const char* program, const char* commandLine) {
    // CreateProcess may write into the command line it is given.
    std::string line = commandLine;
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started;
    if (CreateProcessA(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

bool Win32Process::TakeRunGuard(const char* name) {
    HANDLE guard = CreateMutexA(nullptr, FALSE, name);
    // No handle at all: as a rule another user's run made the mutex and its
    // rights keep us out (ERROR_ACCESS_DENIED). A run that cannot show it is
    // alone does not go on.
    if (guard == nullptr) {
        return false;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(guard);
        return false;
    }
    runGuard_ = guard;
    return true;
}

void Win32Process::ReleaseRunGuard() {
    if (runGuard_ != nullptr) {
        CloseHandle(static_cast<HANDLE>(runGuard_));
        runGuard_ = nullptr;
    }
}
