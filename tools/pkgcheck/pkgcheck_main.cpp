// pkgcheck: explains what the setup program does with a driver package.
//
//   pkgcheck [--drive-a] PACKAGE_FOLDER
//
// Exit status: 0 usable, 1 unusable, 2 bad arguments. On Linux main() starts
// it (linux_computer.cpp); pkgcheck.exe starts in
// platform/win32/console_entry.cpp.
#include "platform/console_main.h"
#include "tools/pkgcheck/pkg_check.h"

int ConsoleMain(int argc, const char* const* argv, std::string& out, std::string& err) {
    return pkgcheck::Run(argc, argv, ThisComputer(), out, err);
}
