// pkgcheck: reads a driver package folder of the Linux disk into a fake
// machine, loads it with the program's own package reader and explains what
// the program would do with it on each Windows kind.
#pragma once

#include <ostream>

namespace pkgcheck {

constexpr int kUsable = 0;
constexpr int kUnusable = 1;
constexpr int kBadArguments = 2;

// pkgcheck [--drive-a] PACKAGE_FOLDER. The report goes to `out`, usage and
// read errors to `err`.
int Run(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace pkgcheck
