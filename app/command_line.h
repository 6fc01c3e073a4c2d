// The program's one switch.
#pragma once

#include <string>

// "/S" anywhere in the command line, in any case: /s, /SILENT and a "/S"
// inside the program's own path all count; -S does not.
bool HasSilentSwitch(const std::string& commandLine);
