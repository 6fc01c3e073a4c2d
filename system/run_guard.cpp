#include "system/run_guard.h"

namespace {

constexpr char kName[] = "UsbFlashDiskDriverSetup.OneRunAtATime";
constexpr char kGlobalName[] = "Global\\UsbFlashDiskDriverSetup.OneRunAtATime";

bool TakeGuard(SystemFacts& facts, ProcessServices& process) {
    WindowsVersion version;
    bool known = facts.GetVersion(&version);
    return process.TakeRunGuard(RunGuardName(known ? &version : nullptr));
}

}  // namespace

const char* RunGuardName(const WindowsVersion* version) {
    // Only 2000 and later have sessions.
    return version != nullptr && NtFamily(*version) ? kGlobalName : kName;
}

RunGuard::RunGuard(SystemFacts& facts, ProcessServices& process)
    : process_(process), held_(TakeGuard(facts, process)) {}

RunGuard::~RunGuard() {
    if (held_) {
        process_.ReleaseRunGuard();
    }
}
