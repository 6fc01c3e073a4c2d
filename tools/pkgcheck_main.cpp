// pkgcheck: explains what the setup program does with a driver package. On
// Linux it reads the package with our own INF reader; pkgcheck.exe, on
// Windows, with the system's SETUPAPI.
//
//   pkgcheck [--drive-a] PACKAGE_FOLDER
//
// Exit status: 0 usable, 1 unusable, 2 bad arguments.
#include <cstdio>
#include <sstream>
#include <string>

#include "tools/pkg_check.h"

// The report is written with stdio, not iostreams: on Windows the file
// streams behind std::cout import a call that Windows 98 lacks.
int main(int argc, char** argv) {
    std::ostringstream out;
    std::ostringstream err;
    int status = pkgcheck::Run(argc, argv, pkgcheck::ThisComputer(), out, err);
    std::string report = out.str();
    std::string errors = err.str();
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fwrite(errors.data(), 1, errors.size(), stderr);
    return status;
}
