// The system services every other layer reaches the computer through: files,
// INF reading, version, folders and the command line. Two implementations:
// platform/win32 (the real calls) and platform/fake (an in-memory machine).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"

class RunLog;

// An open INF file; kNoInf when none.
using InfHandle = std::uintptr_t;
constexpr InfHandle kNoInf = 0;

// A position on a line of an open INF. Opaque to callers; each backend keeps
// its own cursor in it (the real one holds an INFCONTEXT).
struct InfLine {
    std::uintptr_t words[4] = {};
};

// An open file; kNoFile when none.
using FileHandle = std::uintptr_t;
constexpr FileHandle kNoFile = 0;

constexpr std::uint32_t kFileAttributeNormal = 0x80;  // FILE_ATTRIBUTE_NORMAL

// What is known of a path: a failed query is neither present nor missing.
enum class FileState { Missing, Present, Unknown };

struct WindowsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;  // as reported; the 98 family keeps the version in the high word
};

// The local date and time, as the system's clock gives it.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
};

class SystemServices {
  public:
    virtual ~SystemServices() = default;

    // Names (without folder) of the files matching a wildcard pattern, in the
    // file system's order. Empty when nothing matches or the listing fails.
    virtual std::vector<std::string> ListFiles(const char* pattern) = 0;

    // Opens a file as a Windows 4 style INF; kNoInf when it is not one or
    // cannot be read.
    virtual InfHandle OpenInf(const char* path) = 0;
    virtual void CloseInf(InfHandle inf) = 0;

    // First line of a section, or with `key` the first line whose key equals it
    // (case-insensitive). False when there is none; a section without lines
    // counts as absent.
    virtual bool FindFirstLine(InfHandle inf, const char* section, const char* key,
                               InfLine* line) = 0;
    // Moves to the next line of the same section; false after the last.
    virtual bool FindNextLine(InfLine* line) = 0;
    // Field n (0 is the key) with %string% substitution. False when the field
    // is missing or does not fit the buffer with its NUL; the buffer is then
    // left untouched.
    virtual bool GetStringField(const InfLine& line, unsigned field, TextBuffer out) = 0;
    // Field n as an integer; false (and `value` untouched) when it is not one.
    virtual bool GetIntField(const InfLine& line, unsigned field, int* value) = 0;

    virtual FileState GetFileState(const char* path) = 0;
    // File operations each report failure.
    // Clearing attributes makes a read-only file writable and deletable.
    virtual bool SetFileAttributes(const char* path, std::uint32_t attributes) = 0;
    // Creates or overwrites `to` with the content of `from`.
    virtual bool CopyFile(const char* from, const char* to) = 0;
    virtual bool DeleteFile(const char* path) = 0;
    // Fails when `from` is missing or `to` exists: it never replaces a file.
    virtual bool MoveFile(const char* from, const char* to) = 0;
    // An existing folder makes the call fail harmlessly.
    virtual bool CreateDirectory(const char* path) = 0;

    // Opens an existing file for reading and writing, shared with no one;
    // kNoFile when it is missing or open elsewhere.
    virtual FileHandle OpenFileExclusive(const char* path) = 0;
    virtual void CloseFile(FileHandle file) = 0;
    virtual bool GetFileSize(FileHandle file, std::uint32_t* size) = 0;
    // Reads up to `size` bytes at the current position; `done` gets the count.
    virtual bool ReadFile(FileHandle file, void* data, std::uint32_t size, std::uint32_t* done) = 0;
    // Writes at the current position; `done` gets the count actually written.
    virtual bool WriteFile(FileHandle file, const void* data, std::uint32_t size,
                           std::uint32_t* done) = 0;
    virtual bool SeekFile(FileHandle file, std::uint32_t offset) = 0;
    // Ends the file at the current position.
    virtual bool TruncateFile(FileHandle file) = 0;

    // Creates the file or writes at its end, shared with no one. False when
    // it cannot be opened or not every byte was written.
    virtual bool AppendToFile(const char* path, const void* data, std::uint32_t size) = 0;

    // The system's code (Win32 error) for the last failed call of these or
    // the device services, as GetLastError gives it.
    virtual std::uint32_t LastError() = 0;

    // A text value under HKEY_LOCAL_MACHINE\`keyPath`; false when it is
    // missing, not text or does not fit (the buffer then holds no text).
    virtual bool ReadMachineRegistryText(const char* keyPath, const char* valueName,
                                         TextBuffer out) = 0;
    // Creates or replaces a text value under HKEY_LOCAL_MACHINE\`keyPath` (the
    // key must exist). Returns the registry status: 0 on success.
    virtual long SetMachineRegistryText(const char* keyPath, const char* valueName,
                                        const char* text) = 0;

    virtual bool GetVersion(WindowsVersion* version) = 0;
    virtual LocalTime GetLocalTime() = 0;
    // The system's default language id (0x0409 English, 0x0411 Japanese).
    virtual std::uint16_t GetSystemLanguage() = 0;
    // Folder texts of at most 260 characters; false (buffer as it was) on failure.
    virtual bool GetWindowsDirectory(TextBuffer out) = 0;
    virtual bool GetModulePath(TextBuffer out) = 0;
    // Whether `byte` begins a two-byte character in the system's ANSI code
    // page (Shift-JIS, Big5, GBK). The second byte of such a character may be
    // 0x5C, the backslash, so paths are walked character by character.
    virtual bool IsLeadByte(unsigned char byte) = 0;
    virtual std::string GetCommandLine() = 0;
    // Starts the program at the full path `program` with this command line,
    // shown normally; fire and forget. Never a program found by a search,
    // which looks in the program's own folder first.
    virtual void StartProgram(const char* program, const char* commandLine) = 0;

    // The system-wide guard that lets one run of the program work at a time,
    // a named object of the system called `name`. True when this run now
    // holds it; false when another run does or the guard cannot be had.
    virtual bool TakeRunGuard(const char* name) = 0;
    virtual void ReleaseRunGuard() = 0;

    // The run's log while one is kept: each step adds a line for each change
    // it makes (platform/run_log.h).
    RunLog* runLog = nullptr;
};
