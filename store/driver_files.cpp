#include "store/driver_files.h"

#include "platform/os_kind.h"
#include "platform/run_log.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "store/inf_edit.h"
#include "store/other_device_path.h"
#include "store/stale_inf_cleanup.h"

namespace {

bool WindowsNinetyEightFamily(const DriverPackage& pkg) {
    return pkg.osKind < OsKind::kWin2000;
}

void MarkInstalled(StorePath* path, char mark) {
    std::size_t length = path->size();
    if (length > 0) {
        StorePath marked = *path;
        marked.Truncate(length - 1);
        const char tail[2] = {mark, '\0'};
        marked.Append(tail);
        *path = marked;
    }
}

enum class DriverFile { MainInf, FloppyInf, PortDriver, Image };
constexpr DriverFile kEveryDriverFile[] = {DriverFile::MainInf, DriverFile::FloppyInf,
                                           DriverFile::PortDriver, DriverFile::Image};

// Where a file of the package goes: a folder of the Windows directory, and
// the name in it.
struct Placement {
    const char* folder;
    const char* prefix;
    const char* name;
    char mark;    // the installed name's last character; 0 keeps the name
    char letter;  // names the file's temporary copies
};

Placement PlacementOf(const DriverPackage& pkg, DriverFile file) {
    bool ninetyEight = WindowsNinetyEightFamily(pkg);
    const char* infFolder = ninetyEight ? "\\inf\\other" : "\\inf";
    const char* infPrefix = ninetyEight ? "" : "oem";
    switch (file) {
        case DriverFile::MainInf:
            return {infFolder, infPrefix, pkg.mainInfName, kInstalledInfMark, 'I'};
        case DriverFile::FloppyInf:
            return {infFolder, infPrefix, pkg.floppyInfName, kInstalledInfMark, 'F'};
        case DriverFile::PortDriver:
            return {"\\system\\iosubsys", "", pkg.pdrFileName, '\0', 'P'};
        case DriverFile::Image:
            break;
    }
    return {"\\system32\\drivers", "", pkg.sysFileName, kInstalledImageMark, 'S'};
}

bool TargetOf(const DriverPackage& pkg, const Placement& at, StorePath* out) {
    if (!Concat(out, {pkg.windowsDir, at.folder, "\\", at.prefix, at.name})) {
        return false;
    }
    if (at.mark != '\0') {
        MarkInstalled(out, at.mark);
    }
    return true;
}

// The temporary names, 8.3 and beside the target: "~SETUP" and the file's
// letter, ".3SN" for the staged copy and ".3SO" for the one set aside. No
// package file is installed under them (an installed name ends in F, S or
// the port driver's own name) and Windows keeps none of its files so.
bool SwapFileOf(const DriverPackage& pkg, DriverFile file, SwapFile* out) {
    Placement at = PlacementOf(pkg, file);
    const char letter[2] = {at.letter, '\0'};
    return JoinPath(pkg.sourceDir, at.name, &out->source) && TargetOf(pkg, at, &out->target) &&
           Concat(&out->staged, {pkg.windowsDir, at.folder, "\\~SETUP", letter, ".3SN"}) &&
           Concat(&out->aside, {pkg.windowsDir, at.folder, "\\~SETUP", letter, ".3SO"});
}

bool UsedOn(const DriverPackage& pkg, DriverFile file) {
    return file != DriverFile::PortDriver || WindowsNinetyEightFamily(pkg);
}

}  // namespace

bool InfDestination(const DriverPackage& pkg, const char* infName, StorePath* out) {
    Placement at = PlacementOf(pkg, DriverFile::MainInf);
    at.name = infName;
    return TargetOf(pkg, at, out);
}

bool DriverImageDestination(const DriverPackage& pkg, StorePath* out) {
    return TargetOf(pkg, PlacementOf(pkg, DriverFile::Image), out);
}

void RecoverInterruptedInstall(FileServices& files, const DriverPackage& pkg) {
    for (DriverFile file : kEveryDriverFile) {
        SwapFile paths;
        if (UsedOn(pkg, file) && SwapFileOf(pkg, file, &paths)) {
            RecoverLeftovers(files, paths);
        }
    }
}

DriverInstall::DriverInstall(FileServices& files, SystemFacts& registry, const DriverPackage& pkg,
                             bool shortInstall)
    : files_(files), registry_(registry), pkg_(pkg), shortInstall_(shortInstall), swap_(files) {
    auto add = [this](DriverFile file) {
        SwapFile paths;
        fits_ = SwapFileOf(pkg_, file, &paths) && fits_;
        return swap_.Add(paths);
    };
    inf_ = add(shortInstall ? DriverFile::FloppyInf : DriverFile::MainInf);
    if (!shortInstall) {
        if (UsedOn(pkg, DriverFile::PortDriver)) {
            portDriver_ = add(DriverFile::PortDriver);
        }
        image_ = add(DriverFile::Image);
    }
}

bool DriverInstall::Stage() {
    if (!fits_) {
        return false;
    }
    if (WindowsNinetyEightFamily(pkg_)) {
        CreateOtherInfFolder(files_, pkg_.windowsDir);
    }
    for (std::size_t file : {inf_, portDriver_, image_}) {
        if (file == FileSwap::kMaxFiles) {
            continue;
        }
        if (!swap_.Stage(file)) {
            return false;
        }
        if (file == inf_ && !shortInstall_) {
            // The installed INF no longer copies files by itself; the short
            // install's INF goes in byte for byte.
            Note(files_.runLog,
                 DisableInfCopyFiles(files_, swap_.File(file).staged.c_str(), pkg_.installSection)
                     ? "disabled the INF's CopyFiles entry"
                     : "disabled no CopyFiles entry");
        }
    }
    return true;
}

bool DriverInstall::SetAsideEarlierFiles() {
    return swap_.SetAside(inf_) && (image_ == FileSwap::kMaxFiles || swap_.SetAside(image_));
}

bool DriverInstall::InstallDriverFiles(SetupChannel& channel, int from, int to) {
    channel.SetStatus(IDS_INSTALLING);
    channel.SetProgress(ProgressAt(from, to, 20));
    channel.PumpMessages(200);
    swap_.PutInPlace(inf_);
    channel.SetProgress(ProgressAt(from, to, 40));
    if (portDriver_ != FileSwap::kMaxFiles) {
        channel.PumpMessages(200);
        channel.SetProgress(ProgressAt(from, to, 60));
        swap_.PutInPlace(portDriver_);
    }
    channel.PumpMessages(200);
    channel.SetProgress(ProgressAt(from, to, 80));
    swap_.PutInPlace(image_);
    bool done = Commit();
    channel.PumpMessages(200);
    channel.SetProgress(ProgressAt(from, to, 100));
    return done;
}

bool DriverInstall::CopyInfOnly() {
    swap_.PutInPlace(inf_);
    return Commit();
}

bool DriverInstall::Commit() {
    bool earlierInf = swap_.WasSetAside(inf_);
    if (!swap_.Finish()) {
        return false;
    }
    StorePath companion;
    if (earlierInf && CompanionPnfPath(swap_.File(inf_).target.c_str(), &companion)) {
        // Precompiled from the INF just replaced.
        DeleteWithAttributesCleared(files_, companion.c_str());
    }
    if (shortInstall_) {
        // It puts no image in place; the earlier one goes only now, so that a
        // failure leaves it.
        DeleteDriverImage(files_, pkg_);
    }
    if (WindowsNinetyEightFamily(pkg_)) {
        if (!shortInstall_) {
            // The driver database is rebuilt by the system and would otherwise
            // keep pointing at the old driver.
            for (const char* database : {"\\inf\\DRVIDX.BIN", "\\inf\\DRVDATA.BIN"}) {
                StorePath path;
                if (Concat(&path, {pkg_.windowsDir, database})) {
                    Logged(files_.runLog, files_.DeleteFile(path.c_str()), "deleted", "delete",
                           path.c_str(), nullptr, true);
                }
            }
        }
        SetOtherDevicePath(registry_, files_.runLog, pkg_.windowsDir);
    }
    // A delete that failed above gets a second chance.
    RecoverInterruptedInstall(files_, pkg_);
    return true;
}

bool DeleteDriverImage(FileServices& files, const DriverPackage& pkg) {
    StorePath image;
    if (!DriverImageDestination(pkg, &image)) {
        // No such path can exist, so no image can be installed there.
        return true;
    }
    files.SetFileAttributes(image.c_str(), kFileAttributeNormal);
    Logged(files.runLog, files.DeleteFile(image.c_str()), "deleted", "delete", image.c_str(),
           nullptr, true);
    return files.GetFileState(image.c_str()) == FileState::Missing;
}
