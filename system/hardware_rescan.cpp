#include "system/hardware_rescan.h"

#include "platform/os_kind.h"
#include "platform/run_log.h"
#include "store/system_file_aside.h"
#include "system/wizard_automation.h"

namespace {

// Long enough for the 98 family to find the disk and read its INF.
constexpr unsigned kSettleMs = 3000;

bool ReenumerateFromRoot(DeviceServices& devices) {
    DevNode root = 0;
    return Logged(devices.runLog,
                  devices.LocateRootDevNode(&root) && devices.ReenumerateDevNode(root),
                  "requested a hardware rescan", "request a hardware rescan", "");
}

}  // namespace

bool RescanHardware(const SetupServices& services, std::uint8_t osKind, const char* windowsDir,
                    const char* deviceDescription, int from, int to) {
    FileServices& files = services.files;
    bool nineX = osKind <= OsKind::kWinMe;
    bool xp = osKind == OsKind::kWinXP;

    services.channel.SetProgress(from);
    if (nineX) {
        SetAsideDriverDatabase(files, osKind, windowsDir);
    }
    if (xp) {
        // Files an earlier run left aside go back first, then the pair goes.
        RestoreUsbstorInf(files, osKind, windowsDir);
        SetAsideUsbstorInf(files, osKind, windowsDir);
    }

    bool ok = ReenumerateFromRoot(services.devices);

    // The restores run whatever the request gave: a failed rescan must not
    // leave the system's files aside.
    if (nineX) {
        services.channel.PumpMessages(kSettleMs);
        RestoreDriverDatabase(files, osKind, windowsDir);
    }
    if (xp) {
        ok = DriveNewHardwareWizard(services.windows, services.channel, deviceDescription, from, to,
                                    files.runLog);
        RestoreUsbstorInf(files, osKind, windowsDir);
    }
    services.channel.SetProgress(to);
    return ok;
}
