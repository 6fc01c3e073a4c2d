// System services of the fake machine, over its disk and our own INF reader.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "inf_reader/inf_reader.h"
#include "platform/fake/faults.h"
#include "platform/fake/file_system.h"
#include "platform/fake/registry.h"
#include "platform/file_services.h"
#include "platform/inf_services.h"
#include "platform/process_services.h"
#include "platform/system_facts.h"

namespace fake {

// One change the program made to the machine, as the system saw it.
struct Change {
    enum Kind { Attributes, Copy, Delete, Rename, CreateFolder, Write, Truncate, RegistryValue };
    Kind kind;
    std::string path;    // the file or folder changed; for a registry value, key\\value
    std::string source;  // the copy's source or the rename's old name
};

class FakeSystem final : public FileServices,
                         public InfServices,
                         public SystemFacts,
                         public ProcessServices {
  public:
    FakeSystem(Faults& faults, FileSystem& files, Registry& registry);
    ~FakeSystem();

    // Machine state that tests choose.
    // Windows 98 SE reports its version in the high word of the build too.
    WindowsVersion version{4, 10, 0x040A08AE};
    std::string windowsDirectory = "C:\\WINDOWS";
    std::string modulePath = "C:\\PACKAGE\\SETUP.EXE";
    std::string commandLine = "C:\\PACKAGE\\SETUP.EXE";
    inf_reader::DirIdTable dirIds = inf_reader::DirIdTable::Windows98();
    // Room left on the disk: a write that would grow files beyond it writes
    // what fits and fails.
    std::uint64_t diskFreeBytes = UINT64_MAX;
    // The ANSI code page: 932 (Shift-JIS), 936 (GBK) and 950 (Big5) have
    // two-byte characters; any other has none.
    unsigned codePage = 1252;
    // The clock and the language the log's header reads.
    LocalTime localTime{2026, 12, 8, 9, 30, 5};
    std::uint16_t systemLanguage = 0x0409;
    // Runs of the program that hold the run guard, this one included.
    int runGuardHolders = 0;
    // The name of the guard this run last took.
    std::string runGuardName;

    std::size_t OpenInfCount() const { return infs_.size(); }
    std::size_t OpenFileCount() const { return openFiles_.size(); }
    // The programs started, in order: the path, a space and the command line.
    const std::vector<std::string>& StartedPrograms() const { return started_; }
    // Every change that took effect, in order.
    const std::vector<Change>& Changes() const { return changes_; }

    std::vector<std::string> ListFiles(const char* pattern) override;
    InfHandle OpenInf(const char* path) override;
    void CloseInf(InfHandle inf) override;
    bool FindFirstLine(InfHandle inf, const char* section, const char* key, InfLine* line) override;
    bool FindNextLine(InfLine* line) override;
    bool GetStringField(const InfLine& line, unsigned field, TextBuffer out) override;
    bool GetIntField(const InfLine& line, unsigned field, int* value) override;
    FileState GetFileState(const char* path) override;
    bool SetFileAttributes(const char* path, std::uint32_t attributes) override;
    bool CopyFile(const char* from, const char* to) override;
    bool DeleteFile(const char* path) override;
    bool MoveFile(const char* from, const char* to) override;
    bool CreateDirectory(const char* path) override;
    FileHandle OpenFileExclusive(const char* path) override;
    void CloseFile(FileHandle file) override;
    bool GetFileSize(FileHandle file, std::uint32_t* size) override;
    bool ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t* done) override;
    bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                   std::uint32_t* done) override;
    bool SeekFile(FileHandle file, std::uint32_t offset) override;
    bool TruncateFile(FileHandle file) override;
    bool AppendToFile(const char* path, const void* data, std::uint32_t size) override;
    std::uint32_t LastError() override { return faults_.lastError; }
    bool ReadMachineRegistryText(const char* keyPath, const char* valueName,
                                 TextBuffer out) override;
    long SetMachineRegistryText(const char* keyPath, const char* valueName,
                                const char* text) override;
    bool GetVersion(WindowsVersion* out) override;
    LocalTime GetLocalTime() override { return localTime; }
    std::uint16_t GetSystemLanguage() override { return systemLanguage; }
    bool GetWindowsDirectory(TextBuffer out) override;
    bool GetModulePath(TextBuffer out) override;
    bool IsLeadByte(unsigned char byte) override;
    std::string GetCommandLine() override;
    void StartProgram(const char* program, const char* commandLine) override;
    bool TakeRunGuard(const char* name) override;
    void ReleaseRunGuard() override;

  private:
    const inf_reader::InfDocument* Document(const InfLine& line) const;
    struct OpenFile {
        std::string path;
        std::uint32_t position = 0;
    };
    File* FileOf(FileHandle handle);
    // A file that anyone holds open cannot be deleted or renamed.
    bool Busy(const File& file) const { return file.openHere > 0 || file.openElsewhere; }

    Faults& faults_;
    FileSystem& files_;
    Registry& registry_;
    std::map<FileHandle, OpenFile> openFiles_;
    std::vector<Change> changes_;
    std::vector<std::string> started_;
    FileHandle nextFile_ = 1;
    std::map<InfHandle, std::unique_ptr<inf_reader::InfDocument>> infs_;
    InfHandle nextInf_ = 1;
};

}  // namespace fake
