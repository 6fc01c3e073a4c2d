// System services over the real Windows calls (KERNEL32 and SETUPAPI, ANSI).
#pragma once

#include <string>
#include <vector>

#include "platform/system_services.h"

class Win32System : public SystemServices {
  public:
    std::vector<std::string> ListFiles(const char* pattern) override;
    InfHandle OpenInf(const char* path) override;
    void CloseInf(InfHandle inf) override;
    bool FindFirstLine(InfHandle inf, const char* section, const char* key, InfLine* line) override;
    bool FindNextLine(InfLine* line) override;
    bool GetStringField(const InfLine& line, unsigned field, TextBuffer out) override;
    bool GetIntField(const InfLine& line, unsigned field, int* value) override;
    bool GetVersion(WindowsVersion* version) override;
    bool GetWindowsDirectory(TextBuffer out) override;
    bool GetModulePath(TextBuffer out) override;
    std::string GetCommandLine() override;
};
