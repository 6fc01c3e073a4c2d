// pkgcheck: explains what the setup program does with a driver package.
//
//   pkgcheck [--drive-a] PACKAGE_FOLDER
//
// Exit status: 0 usable, 1 unusable, 2 bad arguments.
#include <iostream>

#include "tools/pkg_check.h"

int main(int argc, char** argv) {
    return pkgcheck::Run(argc, argv, std::cout, std::cerr);
}
