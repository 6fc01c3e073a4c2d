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

// Sweeps until one removes nothing. True when the last sweep found nothing of
// the disk left, that is, no removal failed.
bool RemoveDeviceEntries(const EngineServices& services, const SetupContext& ctx) {
    const TargetId* ids = ctx.targetIds.data();
    std::size_t count = ctx.targetIds.size();
    for (int sweep = 0; sweep < kMaxRemovalSweeps; ++sweep) {
        if (RemoveTargetDevices(services.devices, ids, count) == 0) {
            break;
        }
    }
    return CountTargetDevices(services.devices, ids, count) == 0;
}

// The stale INF cleanup for each target id, up to the first entry with an
// empty text.
void RemoveStaleInfs(const EngineServices& services, const SetupContext& ctx) {
    for (const TargetId& id : ctx.targetIds) {
        if (id.vid.empty() || id.pid.empty()) {
            break;
        }
        RemoveStaleOemInfs(services.system, ctx.osKind, ctx.windowsDir.c_str(), id.vid.c_str(),
                           id.pid.c_str(), ctx.extraMatchText.c_str());
    }
}

}  // namespace

bool RemoveDriver(const EngineServices& services, const SetupContext& ctx, int from, int to) {
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

bool RunInstall(const EngineServices& services, const SetupContext& ctx) {
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

bool RunUninstall(const EngineServices& services, const SetupContext& ctx) {
    return RemoveDriver(services, ctx, 0, 100);
}

bool RunSilentInstall(const EngineServices& services, const SetupContext& ctx) {
    RemoveDriver(services, ctx, 0, 25);
    // A plain wait: nothing of the dialog runs before the copying.
    services.windows.Sleep(3000);
    bool copied = InstallDriverFiles(services.system, services.channel, PackageOf(ctx), 25, 50);
    RescanHardware(
        RescanServices{services.system, services.devices, services.windows, services.channel},
        ctx.osKind, ctx.windowsDir.c_str(), ctx.deviceDescription.c_str(), 50, 100);
    return copied;
}
