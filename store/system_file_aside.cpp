#include "store/system_file_aside.h"

#include "platform/os_kind.h"
#include "platform/run_log.h"
#include "store/file_swap.h"
#include "store/store_paths.h"

namespace {

struct AsideName {
    const char* system;
    const char* aside;
};

struct AsidePair {
    AsideName files[2];
};

constexpr AsidePair kUsbstorInf = {
    {{"USBSTOR.INF", "USBSTOR.I3S"}, {"USBSTOR.PNF", "USBSTOR.P3S"}}};
constexpr AsidePair kDriverDatabase = {
    {{"DRVIDX.BIN", "DRVIDX.3S"}, {"DRVDATA.BIN", "DRVDATA.3S"}}};

// The pair's paths in WINDOWS\INF; a path that does not fit stays empty and
// its steps are skipped.
struct AsidePaths {
    StorePath system[2];
    StorePath aside[2];

    AsidePaths(const AsidePair& pair, const char* windowsDir) {
        for (int i = 0; i < 2; ++i) {
            Concat(&system[i], {windowsDir, "\\INF\\", pair.files[i].system});
            Concat(&aside[i], {windowsDir, "\\INF\\", pair.files[i].aside});
        }
    }
};

void Remove(FileServices& files, const StorePath& path) {
    if (!path.empty()) {
        Logged(files.runLog, files.DeleteFile(path.c_str()), "deleted", "delete", path.c_str(),
               nullptr, true);
    }
}

void Rename(FileServices& files, const StorePath& from, const StorePath& to) {
    if (!from.empty() && !to.empty()) {
        MoveLogged(files, from.c_str(), to.c_str());
    }
}

void SetAside(FileServices& files, const AsidePair& pair, const char* windowsDir) {
    AsidePaths paths(pair, windowsDir);
    Remove(files, paths.aside[0]);
    Remove(files, paths.aside[1]);
    Rename(files, paths.system[0], paths.aside[0]);
    Rename(files, paths.system[1], paths.aside[1]);
}

void Restore(FileServices& files, const AsidePair& pair, const char* windowsDir) {
    AsidePaths paths(pair, windowsDir);
    Rename(files, paths.aside[0], paths.system[0]);
    Rename(files, paths.aside[1], paths.system[1]);
    // Where the system made a new file meanwhile, it is kept and the aside
    // copy goes. Where the rename back failed, the aside copy is the only one.
    for (int i = 0; i < 2; ++i) {
        if (!paths.system[i].empty() &&
            files.GetFileState(paths.system[i].c_str()) == FileState::Present) {
            Remove(files, paths.aside[i]);
        }
    }
}

bool UsesUsbstorInf(std::uint8_t osKind) {
    return osKind == OsKind::kWinXP;
}
bool UsesDriverDatabase(std::uint8_t osKind) {
    return osKind <= OsKind::kWinMe;
}

}  // namespace

void SetAsideUsbstorInf(FileServices& files, std::uint8_t osKind, const char* windowsDir) {
    if (UsesUsbstorInf(osKind)) {
        SetAside(files, kUsbstorInf, windowsDir);
    }
}

void RestoreUsbstorInf(FileServices& files, std::uint8_t osKind, const char* windowsDir) {
    if (UsesUsbstorInf(osKind)) {
        Restore(files, kUsbstorInf, windowsDir);
    }
}

void SetAsideDriverDatabase(FileServices& files, std::uint8_t osKind, const char* windowsDir) {
    if (UsesDriverDatabase(osKind)) {
        SetAside(files, kDriverDatabase, windowsDir);
    }
}

void RestoreDriverDatabase(FileServices& files, std::uint8_t osKind, const char* windowsDir) {
    if (UsesDriverDatabase(osKind)) {
        Restore(files, kDriverDatabase, windowsDir);
    }
}
