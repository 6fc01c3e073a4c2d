// The system services every other layer reaches the computer through: files,
// INF reading, version, folders and the command line. Two implementations:
// platform/win32 (the real calls) and platform/fake (an in-memory machine).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/text.h"

// An open INF file; kNoInf when none.
using InfHandle = std::uintptr_t;
constexpr InfHandle kNoInf = 0;

// A position on a line of an open INF. Opaque to callers; each backend keeps
// its own cursor in it (the real one holds an INFCONTEXT).
struct InfLine {
    std::uintptr_t words[4] = {};
};

struct WindowsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;  // as reported; the 98 family keeps the version in the high word
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

    virtual bool GetVersion(WindowsVersion* version) = 0;
    // Folder texts of at most 260 characters; false (buffer as it was) on failure.
    virtual bool GetWindowsDirectory(TextBuffer out) = 0;
    virtual bool GetModulePath(TextBuffer out) = 0;
    virtual std::string GetCommandLine() = 0;
};
