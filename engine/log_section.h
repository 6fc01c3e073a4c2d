// The run's section of the log file: a plain text file in the Windows folder
// to which every run past the agreement appends one section, for the people
// who support the machine. English, ANSI, CRLF line ends. The section is
// written once, at the end; a log that cannot be written is skipped and never
// changes how the run ends.
#pragma once

#include <cstdint>

#include "platform/file_services.h"
#include "platform/run_log.h"
#include "platform/system_facts.h"

constexpr char kRunLogName[] = "USBSETUP.LOG";  // and USBSETUP.OLD
// Past this size the log becomes the .OLD file before a section is written.
constexpr std::uint32_t kRunLogLimit = 256 * 1024;

// What the header and the last line of a section say about the run.
struct RunFacts {
    std::uint8_t osKind;
    const char* road;     // "install", "uninstall", ... or "no run"
    const char* outcome;  // "completed", "failed", ...
    int exitCode;
};

// Appends the run's section to the log in `windowsDir` (no trailing
// backslash): the header (date and time, the program's version, the Windows
// kind and version, the system's language, the command line, the road), the
// log's lines, then the outcome and the exit code. A log past kRunLogLimit
// is first renamed to the .OLD file, which it replaces.
void AppendRunLog(FileServices& files, SystemFacts& system, const char* windowsDir,
                  const RunLog& log, const RunFacts& facts);
