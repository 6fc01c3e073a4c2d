#include "system/run_guard.h"

namespace {

constexpr char kName[] = "UsbFlashDiskDriverSetup.OneRunAtATime";
constexpr char kGlobalName[] = "Global\\UsbFlashDiskDriverSetup.OneRunAtATime";

bool TakeGuard(SystemServices& system) {
    WindowsVersion version;
    bool known = system.GetVersion(&version);
    return system.TakeRunGuard(RunGuardName(known ? &version : nullptr));
}

}  // namespace

const char* RunGuardName(const WindowsVersion* version) {
    // The 98 family and NT 4 report 4; only 2000 and later have sessions.
    return version != nullptr && version->major >= 5 ? kGlobalName : kName;
}

RunGuard::RunGuard(SystemServices& system) : system_(system), held_(TakeGuard(system)) {}

RunGuard::~RunGuard() {
    if (held_) {
        system_.ReleaseRunGuard();
    }
}
