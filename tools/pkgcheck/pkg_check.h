// pkgcheck: reads a driver package folder into a fake machine, loads it with
// the program's own package reader and explains what the program would do
// with it on each Windows kind.
#pragma once

#include <string>

#include "platform/host_computer.h"

namespace pkgcheck {

constexpr int kUsable = 0;
constexpr int kUnusable = 1;
constexpr int kBadArguments = 2;

// pkgcheck [--drive-a] PACKAGE_FOLDER. The report is appended to `out`, usage
// and read errors to `err`: plain text, with no streams, whose locale
// machinery the Windows build would carry.
int Run(int argc, const char* const* argv, HostComputer& computer, std::string& out,
        std::string& err);

}  // namespace pkgcheck
