// The system services over the real Windows calls (KERNEL32, ADVAPI32 and
// SETUPAPI, ANSI), one class for each seam: files, INF reading, the system's
// facts and registry, other programs and the run guard.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/file_services.h"
#include "platform/inf_services.h"
#include "platform/process_services.h"
#include "platform/system_facts.h"

// Files over the real KERNEL32 calls (ANSI).
class Win32Files final : public FileServices {
  public:
    std::vector<std::string> ListFiles(const char* pattern) override;
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
};

// INF reading over SETUPAPI's ANSI calls, bound at run time: a Windows 95
// may have no SETUPAPI.DLL, and a program that imported it would not load
// there at all. A call the system lacks fails like one that was refused.
class Win32Infs : public InfServices {
  public:
    Win32Infs();
    ~Win32Infs();
    Win32Infs(const Win32Infs&) = delete;
    Win32Infs& operator=(const Win32Infs&) = delete;

    InfHandle OpenInf(const char* path) override;
    void CloseInf(InfHandle inf) override;
    bool FindFirstLine(InfHandle inf, const char* section, const char* key, InfLine* line) override;
    bool FindNextLine(InfLine* line) override;
    bool GetStringField(const InfLine& line, unsigned field, TextBuffer out) override;
    bool GetIntField(const InfLine& line, unsigned field, int* value) override;

  private:
    struct Api;
    std::unique_ptr<Api> api_;
};

// What the running Windows tells of itself, and its machine-wide registry
// values, over the real calls.
class Win32Facts final : public SystemFacts {
  public:
    std::uint32_t LastError() override;
    bool ReadMachineRegistryText(const char* keyPath, const char* valueName,
                                 TextBuffer out) override;
    long SetMachineRegistryText(const char* keyPath, const char* valueName,
                                const char* text) override;
    bool GetVersion(WindowsVersion* version) override;
    LocalTime GetLocalTime() override;
    std::uint16_t GetSystemLanguage() override;
    bool GetWindowsDirectory(TextBuffer out) override;
    bool GetModulePath(TextBuffer out) override;
    bool IsLeadByte(unsigned char byte) override;
    std::string GetCommandLine() override;
};

// Program start and the run guard (a named mutex) over the real calls.
class Win32Process final : public ProcessServices {
  public:
    void StartProgram(const char* program, const char* commandLine) override;
    bool TakeRunGuard(const char* name) override;
    void ReleaseRunGuard() override;

  private:
    void* runGuard_ = nullptr;  // the named mutex while this run holds it
};
