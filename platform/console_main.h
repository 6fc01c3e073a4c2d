// The body of a console program: its words (the program's name first) in, its
// output and error text out, an exit status back. The Windows entry point
// (platform/win32/console_entry.cpp) and a Linux main() call it; the program
// defines it.
#pragma once

#include <string>

int ConsoleMain(int argc, const char* const* argv, std::string& out, std::string& err);
