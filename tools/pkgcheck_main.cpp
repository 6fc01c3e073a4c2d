// pkgcheck on Linux: explains what the setup program does with a driver
// package, read with our own INF reader. (pkgcheck.exe starts in
// platform/win32/pkgcheck_entry.cpp.)
//
//   pkgcheck [--drive-a] PACKAGE_FOLDER
//
// Exit status: 0 usable, 1 unusable, 2 bad arguments.
#include <cstdio>
#include <string>

#include "tools/pkg_check.h"

int main(int argc, char** argv) {
    std::string report;
    std::string errors;
    int status = pkgcheck::Run(argc, argv, pkgcheck::ThisComputer(), report, errors);
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fwrite(errors.data(), 1, errors.size(), stderr);
    return status;
}
