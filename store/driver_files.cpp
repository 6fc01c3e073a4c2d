#include "store/driver_files.h"

#include "platform/os_kind.h"
#include "platform/text.h"
#include "resources/resource_ids.h"
#include "store/inf_edit.h"
#include "store/other_device_path.h"

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

bool SourcePath(const DriverPackage& pkg, const char* name, StorePath* out) {
    return JoinPath(pkg.sourceDir, name, out);
}

// Copies an INF of the package into the INF store under its installed name.
bool InstallInf(SystemServices& sys, const DriverPackage& pkg, const char* infName,
                StorePath* destination) {
    if (WindowsNinetyEightFamily(pkg)) {
        SetOtherDevicePath(sys, pkg.windowsDir);
    }
    StorePath source;
    return InfDestination(pkg, infName, destination) && SourcePath(pkg, infName, &source) &&
           GuardedCopy(sys, source.c_str(), destination->c_str());
}

}  // namespace

bool InfDestination(const DriverPackage& pkg, const char* infName, StorePath* out) {
    bool fits = WindowsNinetyEightFamily(pkg)
                    ? Concat(out, {pkg.windowsDir, "\\inf\\other\\", infName})
                    : Concat(out, {pkg.windowsDir, "\\inf\\oem", infName});
    if (fits) {
        MarkInstalled(out, kInstalledInfMark);
    }
    return fits;
}

bool DriverImageDestination(const DriverPackage& pkg, StorePath* out) {
    if (!Concat(out, {pkg.windowsDir, "\\system32\\drivers\\", pkg.sysFileName})) {
        return false;
    }
    MarkInstalled(out, kInstalledImageMark);
    return true;
}

bool GuardedCopy(SystemServices& sys, const char* from, const char* to) {
    sys.SetFileAttributes(to, kFileAttributeNormal);
    bool copied = sys.CopyFile(from, to);
    // Whatever marks the package's file had, the installed one has none.
    sys.SetFileAttributes(to, kFileAttributeNormal);
    return copied;
}

bool InstallDriverFiles(SystemServices& sys, SetupChannel& channel, const DriverPackage& pkg,
                        int from, int to) {
    channel.SetStatus(IDS_INSTALLING);
    channel.SetProgress(ProgressAt(from, to, 20));
    channel.PumpMessages(200);

    StorePath inf;
    bool allCopied = InstallInf(sys, pkg, pkg.mainInfName, &inf);
    if (!inf.empty()) {
        DisableInfCopyFiles(sys, inf.c_str(), pkg.installSection);
    }
    channel.SetProgress(ProgressAt(from, to, 40));

    if (WindowsNinetyEightFamily(pkg)) {
        channel.PumpMessages(200);
        channel.SetProgress(ProgressAt(from, to, 60));
        StorePath source;
        StorePath portDriver;
        allCopied =
            SourcePath(pkg, pkg.pdrFileName, &source) &&
            Concat(&portDriver, {pkg.windowsDir, "\\system\\iosubsys\\", pkg.pdrFileName}) &&
            GuardedCopy(sys, source.c_str(), portDriver.c_str()) && allCopied;
        // The driver database is rebuilt by the system and would otherwise
        // keep pointing at the old driver.
        for (const char* database : {"\\inf\\DRVIDX.BIN", "\\inf\\DRVDATA.BIN"}) {
            StorePath path;
            if (Concat(&path, {pkg.windowsDir, database})) {
                sys.DeleteFile(path.c_str());
            }
        }
    }

    channel.PumpMessages(200);
    channel.SetProgress(ProgressAt(from, to, 80));
    StorePath source;
    StorePath image;
    allCopied = SourcePath(pkg, pkg.sysFileName, &source) && DriverImageDestination(pkg, &image) &&
                GuardedCopy(sys, source.c_str(), image.c_str()) && allCopied;

    channel.PumpMessages(200);
    channel.SetProgress(ProgressAt(from, to, 100));
    return allCopied;
}

bool CopyInfOnly(SystemServices& sys, const DriverPackage& pkg) {
    StorePath inf;
    return InstallInf(sys, pkg, pkg.floppyInfName, &inf);
}

bool DeleteDriverImage(SystemServices& sys, const DriverPackage& pkg) {
    StorePath image;
    if (!DriverImageDestination(pkg, &image)) {
        // No such path can exist, so no image can be installed there.
        return true;
    }
    sys.SetFileAttributes(image.c_str(), kFileAttributeNormal);
    sys.DeleteFile(image.c_str());
    return sys.GetFileState(image.c_str()) == FileState::Missing;
}
