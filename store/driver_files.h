// Puts the package's INF, port driver and driver image where Windows looks for
// them, under their installed names, and deletes the installed image again.
#pragma once

#include <cstdint>

#include "platform/setup_channel.h"
#include "platform/system_services.h"
#include "store/store_paths.h"

// What the file steps need to know of the package and the machine.
struct DriverPackage {
    const char* sourceDir;
    const char* windowsDir;
    const char* mainInfName;
    const char* floppyInfName;
    const char* sysFileName;
    const char* pdrFileName;
    const char* installSection;
    std::uint8_t osKind;
};

// An installed name is the package name with its last character replaced: "F"
// for an INF, "S" for the driver image.
constexpr char kInstalledInfMark = 'F';
constexpr char kInstalledImageMark = 'S';

// Where an INF of the package is installed, already under its installed name:
// INF\OTHER on the Windows 98 family, INF\oem<name> on 2000 and XP.
bool InfDestination(const DriverPackage& pkg, const char* infName, StorePath* out);
// SYSTEM32\DRIVERS\<image name with "S">.
bool DriverImageDestination(const DriverPackage& pkg, StorePath* out);

// Clears the destination's attributes, copies over it and clears them again.
// True when the copy itself succeeded.
bool GuardedCopy(SystemServices& sys, const char* from, const char* to);

// The full install's copying, moving the bar from `from` to `to`. True when
// every copy it made succeeded.
bool InstallDriverFiles(SystemServices& sys, SetupChannel& channel, const DriverPackage& pkg,
                        int from, int to);
// The short install: the floppy INF into the INF store, byte for byte.
bool CopyInfOnly(SystemServices& sys, const DriverPackage& pkg);
// True when the installed driver image is gone afterwards (absent counts).
bool DeleteDriverImage(SystemServices& sys, const DriverPackage& pkg);
