// The computer pkgcheck.exe runs on: a folder on this computer's disk, and
// the system's own SETUPAPI reading the INFs of a machine kept in memory, as
// the setup program will read them here.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/host_computer.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_system.h"

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

// The bytes of a file that `disk` holds; false when it cannot give them.
bool ReadFromDisk(FileServices& disk, const char* path, std::string* bytes) {
    FileHandle file = disk.OpenFileExclusive(path);
    if (file == kNoFile) {
        return false;
    }
    std::uint32_t size = 0;
    bool ok = disk.GetFileSize(file, &size);
    if (ok) {
        bytes->assign(size, '\0');
        std::uint32_t done = 0;
        ok = size == 0 || (disk.ReadFile(file, &(*bytes)[0], size, &done) && done == size);
    }
    disk.CloseFile(file);
    return ok;
}

// Why SETUPAPI refused a file. Win32Infs keeps no error line; the open is
// asked again, with calls bound here, for a file it refused.
class Refusals {
  public:
    Refusals()
        : setupapi_(LoadSystemLibrary("SETUPAPI.DLL")),
          openInfFile_(BIND_CALL(setupapi_, SetupOpenInfFileA)),
          closeInfFile_(BIND_CALL(setupapi_, SetupCloseInfFile)) {}
    ~Refusals() {
        if (setupapi_ != nullptr) {
            FreeLibrary(setupapi_);
        }
    }
    Refusals(const Refusals&) = delete;
    Refusals& operator=(const Refusals&) = delete;

    void Keep(std::uint32_t code) {
        last = InfRefusal();
        last.code = code;
    }

    // The reader's error code and line for the file at `path`.
    void Ask(const char* path) {
        if (openInfFile_ == nullptr || closeInfFile_ == nullptr) {
            Keep(ERROR_PROC_NOT_FOUND);
            return;
        }
        UINT line = 0;
        SetLastError(ERROR_SUCCESS);
        HINF inf = openInfFile_(path, nullptr, INF_STYLE_WIN4, &line);
        last.code = GetLastError();
        last.line = line;
        last.lineSet = line != 0;
        if (inf != INVALID_HANDLE_VALUE) {
            closeInfFile_(inf);
        }
    }

    InfRefusal last;

  private:
    HMODULE setupapi_;
    decltype(&SetupOpenInfFileA) openInfFile_;
    decltype(&SetupCloseInfFile) closeInfFile_;
};

// SETUPAPI over the files of a disk in memory. Each file's bytes go to a
// scratch file for the reader, which holds what it read in memory; the file
// goes again at once. What the open returns is Win32Infs's own.
class ScratchFileInfs final : public Win32Infs {
  public:
    ScratchFileInfs(FileServices& disk, Refusals& refusals) : disk_(disk), refusals_(refusals) {}

    InfHandle OpenInf(const char* path) override {
        std::string bytes;
        if (!ReadFromDisk(disk_, path, &bytes)) {
            refusals_.Keep(ERROR_FILE_NOT_FOUND);
            return kNoInf;
        }
        char folder[MAX_PATH];
        char scratch[MAX_PATH];
        DWORD length = GetTempPathA(sizeof folder, folder);
        if (length == 0 || length >= sizeof folder ||
            GetTempFileNameA(folder, "PKG", 0, scratch) == 0) {
            refusals_.Keep(GetLastError());
            return kNoInf;
        }
        InfHandle inf = kNoInf;
        if (WriteWhole(scratch, bytes)) {
            inf = Win32Infs::OpenInf(scratch);
            if (inf == kNoInf) {
                refusals_.Ask(scratch);
            }
        } else {
            refusals_.Keep(GetLastError());
        }
        DeleteFileA(scratch);
        return inf;
    }

  private:
    FileServices& disk_;
    Refusals& refusals_;
};

class Win32HostComputer final : public HostComputer {
  public:
    bool ReadFolder(const std::string& folder, std::vector<FolderFile>* files,
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
            FolderFile file{name, std::string()};
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

    InfServices* SystemInfReader(FileServices& disk) override {
        readers_.push_back(std::make_unique<ScratchFileInfs>(disk, refusals_));
        return readers_.back().get();
    }

    InfRefusal LastRefusal() override { return refusals_.last; }

  private:
    Refusals refusals_;
    // One for each machine that asked: a few, freed with the computer.
    std::vector<std::unique_ptr<ScratchFileInfs>> readers_;
};

}  // namespace

HostComputer& ThisComputer() {
    static Win32HostComputer computer;
    return computer;
}
