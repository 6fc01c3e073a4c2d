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
    RemoveStaleOemInfs(services.system, ctx.osKind, ctx.windowsDir.c_str(), ctx.targetIds.data(),
                       ctx.targetIds.size(), ctx.extraMatchText.c_str());
}

}  // namespace

bool RemoveDriver(const SetupServices& services, const SetupContext& ctx, int from, int to) {
    SetupChannel& channel = services.channel;
    channel.SetStatus(IDS_REMOVING);
    channel.SetProgress(ProgressAt(from, to, 10));
    bool devicesGone = RemoveDeviceEntries(services, ctx);
    channel.PumpMessages(200);
    channel.SetProgress(ProgressAt(from, to, 60));
    RemoveStaleInfs(services, ctx);
    bool imageGone = DeleteDriverImage(services.system, PackageOf(ctx));
    channel.PumpMessages(200);
    channel.SetProgress(ProgressAt(from, to, 100));
    return devicesGone && imageGone;
}

bool RunInstall(const SetupServices& services, const SetupContext& ctx) {
    SetupChannel& channel = services.channel;
    DriverPackage pkg = PackageOf(ctx);
    bool copied;
    // What an earlier installation left goes first, so install and update are
    // one sequence. Its outcome does not decide the install's.
    if (ctx.infOnlyMode != 0) {
        RemoveDriver(services, ctx, 0, 30);
        copied = CopyInfOnly(services.system, pkg);
    } else {
        RemoveDriver(services, ctx, 0, 10);
        channel.PumpMessages(3000);
        channel.SetProgress(15);
        copied = InstallDriverFiles(services.system, channel, pkg, 15, 30);
    }
    channel.SetProgress(100);
    return copied;
}

bool RunUninstall(const SetupServices& services, const SetupContext& ctx) {
    return RemoveDriver(services, ctx, 0, 100);
}

bool RunSilentInstall(const SetupServices& services, const SetupContext& ctx) {
    RemoveDriver(services, ctx, 0, 25);
    // A plain wait: nothing of the dialog runs before the copying.
    services.windows.Sleep(3000);
    bool copied = InstallDriverFiles(services.system, services.channel, PackageOf(ctx), 25, 50);
    RescanHardware(services, ctx.osKind, ctx.windowsDir.c_str(), ctx.deviceDescription.c_str(), 50,
                   100);
    return copied;
}
