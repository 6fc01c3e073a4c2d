// Puts the package's INF, port driver and driver image where Windows looks for
// them, under their installed names, and deletes the installed image again.
// An install stages its files before the removal steps and swaps them in
// after them (store/file_swap.h), so that a failure leaves the earlier driver.
#pragma once

#include <cstdint>

#include "platform/file_services.h"
#include "platform/setup_channel.h"
#include "platform/system_facts.h"
#include "store/file_swap.h"
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

// The files of one install, staged before anything is removed: the full
// install's INF (its CopyFiles entry disabled), port driver (on the Windows
// 98 family) and image, or the short install's floppy INF alone.
class DriverInstall {
  public:
    DriverInstall(FileServices& files, SystemFacts& registry, const DriverPackage& pkg,
                  bool shortInstall);

    // False, with nothing on the machine changed, when a file could not be
    // staged.
    bool Stage();
    // The removal steps' part: the INF and the image that the install
    // replaces are set aside instead of being deleted (the short install
    // deletes the image once its INF is in place). False once a step of
    // the install has failed; the removal then stops.
    bool SetAsideEarlierFiles();

    // The full install's swap, moving the bar from `from` to `to`, and the
    // short install's. True when every file is in place; otherwise the
    // earlier files are back.
    bool InstallDriverFiles(SetupChannel& channel, int from, int to);
    bool CopyInfOnly();

  private:
    bool Commit();

    FileServices& files_;
    SystemFacts& registry_;
    DriverPackage pkg_;
    bool shortInstall_;
    bool fits_ = true;  // every path fits its buffer
    FileSwap swap_;
    std::size_t inf_ = 0;
    std::size_t portDriver_ = FileSwap::kMaxFiles;
    std::size_t image_ = FileSwap::kMaxFiles;
};

// Puts back or deletes what a run cut short left of any install on this
// Windows kind. Every run begins with it, and an install that succeeded ends
// with it.
void RecoverInterruptedInstall(FileServices& files, const DriverPackage& pkg);

// True when the installed driver image is gone afterwards (absent counts).
bool DeleteDriverImage(FileServices& files, const DriverPackage& pkg);
