// pkgcheck: reads a driver package folder into a fake machine, loads it with
// the program's own package reader and explains what the program would do
// with it on each Windows kind.
#pragma once

#include <string>
#include <vector>

#include "inf_reader/inf_reader.h"
#include "platform/inf_services.h"

namespace pkgcheck {

constexpr int kUsable = 0;
constexpr int kUnusable = 1;
constexpr int kBadArguments = 2;

struct PackageFile {
    std::string name;
    std::string bytes;
};

// The INF reader of the system pkgcheck runs on (SETUPAPI on Windows): the
// package is then read as the setup program will read it there.
class SystemInfReader {
  public:
    virtual ~SystemInfReader() = default;
    // Opens these bytes as a Windows 4 style INF; kNoInf when the reader
    // refuses them, with its error code and line in `error`.
    virtual InfHandle Open(const std::string& bytes, inf_reader::InfOpenError* error) = 0;
    // The line, field and close calls on what Open opened.
    virtual InfServices& Calls() = 0;
};

// What pkgcheck reads from the computer it runs on.
class Computer {
  public:
    virtual ~Computer() = default;
    // The files of `folder` in any order, and the entries that are no files
    // (with why); false, with a message in `error`, when it cannot be read.
    virtual bool ReadFolder(const std::string& folder, std::vector<PackageFile>* files,
                            std::vector<std::string>* skipped, std::string* error) = 0;
    // The system's INF reader; nullptr where our own reads the package.
    virtual SystemInfReader* InfReader() = 0;
};

// The computer this build runs on (chosen when linking): the Linux disk and
// our own INF reader, or Windows and its SETUPAPI.
Computer& ThisComputer();

// pkgcheck [--drive-a] PACKAGE_FOLDER. The report is appended to `out`, usage
// and read errors to `err`: plain text, with no streams, whose locale
// machinery the Windows build would carry.
int Run(int argc, const char* const* argv, Computer& computer, std::string& out, std::string& err);

}  // namespace pkgcheck
