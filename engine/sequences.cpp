#include "engine/sequences.h"

#include "resources/resource_ids.h"
#include "store/driver_files.h"
#include "store/stale_inf_cleanup.h"
#include "system/device_removal.h"
#include "system/hardware_rescan.h"

namespace {

DriverPackage PackageOf(const SetupContext& ctx) {
    return DriverPackage{ctx.sourceDir.c_str(),      ctx.windowsDir.c_str(),
                         ctx.mainInfName.c_str(),    ctx.floppyInfName.c_str(),
                         ctx.sysFileName.c_str(),    ctx.pdrFileName.c_str(),
                         ctx.installSection.c_str(), ctx.osKind};
}

// Sweeps until one removes nothing. True when nothing of the disk is left
// and every device set could be looked at.
bool RemoveDeviceEntries(const SetupServices& services, const SetupContext& ctx) {
    const TargetId* ids = ctx.targetIds.data();
    std::size_t count = ctx.targetIds.size();
    int metByLastSweep = 0;
    for (int sweep = 0; sweep < kMaxRemovalSweeps; ++sweep) {
        metByLastSweep = 0;
        if (RemoveTargetDevices(services.devices, ids, count, &metByLastSweep) == 0) {
            break;
        }
    }
    // One failing call can hide an entry from one look (an enumeration that
    // stops early reads as the end of the set), so two looks must agree.
    return metByLastSweep == 0 && CountTargetDevices(services.devices, ids, count) == 0;
}

// The stale INF cleanup for every target id up to the first entry with an
// empty text, in one pass over the store.
void RemoveStaleInfs(const SetupServices& services, const SetupContext& ctx) {
    RemoveStaleOemInfs(services.files, services.infs, ctx.osKind, ctx.windowsDir.c_str(),
                       ctx.targetIds.data(), ctx.targetIds.size(), ctx.extraMatchText.c_str());
}

// The removal steps; with an install, the files it replaces are set aside
// instead of deleted, and a failure to do so stops the removal.
bool RemoveDriverFor(const SetupServices& services, const SetupContext& ctx, int from, int to,
                     DriverInstall* install) {
    SetupChannel& channel = services.channel;
    channel.SetStatus(IDS_REMOVING);
    channel.SetProgress(ProgressAt(from, to, 10));
    bool devicesGone = RemoveDeviceEntries(services, ctx);
    channel.PumpMessages(200);
    channel.SetProgress(ProgressAt(from, to, 60));
    bool imageGone = false;
    if (install == nullptr || install->SetAsideEarlierFiles()) {
        RemoveStaleInfs(services, ctx);
        imageGone = install != nullptr || DeleteDriverImage(services.files, PackageOf(ctx));
    }
    channel.PumpMessages(200);
    channel.SetProgress(ProgressAt(from, to, 100));
    return devicesGone && imageGone;
}

}  // namespace

bool RemoveDriver(const SetupServices& services, const SetupContext& ctx, int from, int to) {
    return RemoveDriverFor(services, ctx, from, to, nullptr);
}

bool RunInstall(const SetupServices& services, const SetupContext& ctx) {
    SetupChannel& channel = services.channel;
    DriverPackage pkg = PackageOf(ctx);
    RecoverInterruptedInstall(services.files, pkg);
    // Every file is staged before anything is removed, so install and update
    // are one sequence and a failure leaves the earlier driver.
    DriverInstall install(services.files, services.facts, pkg, ctx.infOnlyMode != 0);
    if (!install.Stage()) {
        return false;
    }
    bool copied;
    if (ctx.infOnlyMode != 0) {
        RemoveDriverFor(services, ctx, 0, 30, &install);
        copied = install.CopyInfOnly();
    } else {
        RemoveDriverFor(services, ctx, 0, 10, &install);
        channel.PumpMessages(3000);
        channel.SetProgress(15);
        copied = install.InstallDriverFiles(channel, 15, 30);
    }
    channel.SetProgress(100);
    return copied;
}

bool RunUninstall(const SetupServices& services, const SetupContext& ctx) {
    RecoverInterruptedInstall(services.files, PackageOf(ctx));
    return RemoveDriver(services, ctx, 0, 100);
}

bool RunSilentInstall(const SetupServices& services, const SetupContext& ctx) {
    DriverPackage pkg = PackageOf(ctx);
    RecoverInterruptedInstall(services.files, pkg);
    DriverInstall install(services.files, services.facts, pkg, false);
    if (!install.Stage()) {
        return false;
    }
    RemoveDriverFor(services, ctx, 0, 25, &install);
    // A plain wait: nothing of the dialog runs before the copying.
    services.windows.Sleep(3000);
    bool copied = install.InstallDriverFiles(services.channel, 25, 50);
    RescanHardware(services, ctx.osKind, ctx.windowsDir.c_str(), ctx.deviceDescription.c_str(), 50,
                   100);
    return copied;
}
