// What the system tells of itself (version, clock, language, folders, code
// page, command line, the last error) and its machine-wide registry values.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"

struct WindowsVersion {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;  // as reported; the 98 family keeps the version in the high word
};

// Windows 2000 and XP, which report 5: named objects in a namespace of each
// session, and the device tree under System\CurrentControlSet\Enum. The 98
// family reports 4 (as NT 4 does, which the program does not serve).
inline bool NtFamily(const WindowsVersion& version) {
    return version.major >= 5;
}

// The local date and time, as the system's clock gives it.
struct LocalTime {
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
};

class SystemFacts {
  public:
    // The system's code (Win32 error) for the last failed call of the file,
    // INF or device services, as GetLastError gives it.
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

  protected:
    // Never deleted through the interface.
    ~SystemFacts() = default;
};
