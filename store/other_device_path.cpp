#include "store/other_device_path.h"

#include "platform/run_log.h"
#include "store/store_paths.h"

void CreateOtherInfFolder(FileServices& files, const char* windowsDir) {
    StorePath folder;
    if (Concat(&folder, {windowsDir, kOtherInfFolder})) {
        Logged(files.runLog, files.CreateDirectory(folder.c_str()), "created the folder",
               "create the folder", folder.c_str(), nullptr, true);
    }
}

long SetOtherDevicePath(SystemFacts& registry, RunLog* log, const char* windowsDir) {
    constexpr long kPathTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
    StorePath folder;
    if (!Concat(&folder, {windowsDir, kOtherInfFolder})) {
        return kPathTooLong;
    }
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
    if (log != nullptr) {
        FixedText<261> before;
        bool known = registry.ReadMachineRegistryText(key, "OtherDevicePath", before.Buffer());
        before.Seal();
        log->Change(true, "OtherDevicePath was", "", known ? before.c_str() : "(not set)");
    }
    long status = registry.SetMachineRegistryText(key, "OtherDevicePath", folder.c_str());
    if (log != nullptr && status == 0) {
        log->Change(true, "set OtherDevicePath to", "", folder.c_str());
    } else if (log != nullptr) {
        log->AddFailure("set OtherDevicePath to", folder.c_str(), nullptr,
                        static_cast<std::uint32_t>(status));
    }
    return status;
}
