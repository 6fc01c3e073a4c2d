// Reading Windows 4 style INF files, as SETUPAPI's ANSI calls do.
#pragma once

#include <cstdint>

#include "platform/text.h"

// An open INF file; kNoInf when none.
using InfHandle = std::uintptr_t;
constexpr InfHandle kNoInf = 0;

// A position on a line of an open INF. Opaque to callers; each backend keeps
// its own cursor in it (the real one holds an INFCONTEXT).
struct InfLine {
    std::uintptr_t words[4] = {};
};

class InfServices {
  public:
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

  protected:
    // Never deleted through the interface.
    ~InfServices() = default;
};
