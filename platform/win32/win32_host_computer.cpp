// pkgcheck.exe on Windows: the package folder on this computer's disk, read
// with the system's own SETUPAPI, as the setup program will read it here.
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_system.h"
#include "tools/pkgcheck/pkg_check.h"

namespace pkgcheck {

namespace {

bool ReadWhole(const std::string& path, std::string* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE;
    if (ok) {
        bytes->assign(size, '\0');
        DWORD done = 0;
        ok = size == 0 || (ReadFile(file, &(*bytes)[0], size, &done, nullptr) && done == size);
    }
    CloseHandle(file);
    return ok;
}

bool WriteWhole(const char* path, const std::string& bytes) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD done = 0;
    bool ok = bytes.empty() ||
              (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
               done == bytes.size());
    CloseHandle(file);
    return ok;
}

class WindowsComputer : public Computer, public SystemInfReader {
  public:
    WindowsComputer()
        : setupapi_(LoadSystemLibrary("SETUPAPI.DLL")),
          openInfFile_(BIND_CALL(setupapi_, SetupOpenInfFileA)),
          closeInfFile_(BIND_CALL(setupapi_, SetupCloseInfFile)) {}
    ~WindowsComputer() override {
        if (setupapi_ != nullptr) {
            FreeLibrary(setupapi_);
        }
    }
    WindowsComputer(const WindowsComputer&) = delete;
    WindowsComputer& operator=(const WindowsComputer&) = delete;

    bool ReadFolder(const std::string& folder, std::vector<PackageFile>* files,
                    std::vector<std::string>* skipped, std::string* error) override {
        DWORD attributes = GetFileAttributesA(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            *error = folder + " is not a folder";
            return false;
        }
        // "C:\表" ends in the byte 0x5C but not in a backslash.
        char last = folder.empty() ? '\0' : folder.back();
        bool separator = EndsWithBackslash(folder.c_str()) || last == '/' || last == ':';
        std::string prefix = separator ? folder : folder + "\\";
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            *error = "cannot list " + folder;
            return false;
        }
        bool ok = true;
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                skipped->push_back(name + ": not a file");
                continue;
            }
            PackageFile file{name, std::string()};
            if (!ReadWhole(prefix + name, &file.bytes)) {
                *error = "cannot read " + name;
                ok = false;
                break;
            }
            files->push_back(file);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return ok;
    }

    SystemInfReader* InfReader() override { return this; }

    // The bytes go to a scratch file for the reader, which holds what it read
    // in memory; the file goes again at once.
    InfHandle Open(const std::string& bytes, inf_reader::InfOpenError* error) override {
        char folder[MAX_PATH];
        char path[MAX_PATH];
        DWORD length = GetTempPathA(sizeof folder, folder);
        if (length == 0 || length >= sizeof folder ||
            GetTempFileNameA(folder, "PKG", 0, path) == 0) {
            error->code = GetLastError();
            return kNoInf;
        }
        InfHandle inf = kNoInf;
        if (WriteWhole(path, bytes)) {
            inf = system_.OpenInf(path);
            if (inf == kNoInf) {
                Refusal(path, error);
            }
        } else {
            error->code = GetLastError();
        }
        DeleteFileA(path);
        return inf;
    }

    InfServices& Calls() override { return system_; }

  private:
    // The reader's error code and line for a file it refused.
    void Refusal(const char* path, inf_reader::InfOpenError* error) {
        if (openInfFile_ == nullptr || closeInfFile_ == nullptr) {
            error->code = ERROR_PROC_NOT_FOUND;
            return;
        }
        UINT line = 0;
        SetLastError(ERROR_SUCCESS);
        HINF inf = openInfFile_(path, nullptr, INF_STYLE_WIN4, &line);
        error->code = GetLastError();
        error->line = line;
        error->lineSet = line != 0;
        if (inf != INVALID_HANDLE_VALUE) {
            closeInfFile_(inf);
        }
    }

    Win32Infs system_;
    HMODULE setupapi_;
    decltype(&SetupOpenInfFileA) openInfFile_;
    decltype(&SetupCloseInfFile) closeInfFile_;
};

}  // namespace

Computer& ThisComputer() {
    static WindowsComputer computer;
    return computer;
}

}  // namespace pkgcheck
