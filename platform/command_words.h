// A Windows command line split into its words, for a console program that
// starts without the C runtime's start-up code (platform/win32/console_entry.cpp).
#pragma once

#include <string>
#include <vector>

// The words as the C runtime of Windows 98 to XP (MSVCRT.DLL) splits a command
// line into argv: spaces and tabs part words except inside quotes; 2n
// backslashes before a quote give n and the quote groups, 2n+1 give n and a
// literal quote; "" inside quotes gives a quote and ends the quoted part;
// other backslashes are plain. The program's name (the first word) only
// groups with quotes. `isLeadByte` tells which bytes begin a two-byte
// character of the ANSI code page: its second byte may be 0x5C or 0x22.
std::vector<std::string> SplitCommandLine(const char* line, bool (*isLeadByte)(unsigned char));
