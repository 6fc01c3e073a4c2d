#include "store/other_device_path.h"

#include "store/store_paths.h"

void CreateOtherInfFolder(SystemServices& sys, const char* windowsDir) {
    StorePath folder;
    if (Concat(&folder, {windowsDir, kOtherInfFolder})) {
        sys.CreateDirectory(folder.c_str());
    }
}

long SetOtherDevicePath(SystemServices& sys, const char* windowsDir) {
    constexpr long kPathTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
    StorePath folder;
    if (!Concat(&folder, {windowsDir, kOtherInfFolder})) {
        return kPathTooLong;
    }
    return sys.SetMachineRegistryText("Software\\Microsoft\\Windows\\CurrentVersion",
                                      "OtherDevicePath", folder.c_str());
}
