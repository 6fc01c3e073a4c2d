#include "store/other_device_path.h"

#include "store/store_paths.h"

long SetOtherDevicePath(SystemServices& sys, const char* windowsDir) {
    constexpr long kPathTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
    StorePath folder;
    if (!Concat(&folder, {windowsDir, kOtherInfFolder})) {
        return kPathTooLong;
    }
    sys.CreateDirectory(folder.c_str());  // an existing folder is fine
    return sys.SetMachineRegistryText("Software\\Microsoft\\Windows\\CurrentVersion",
                                      "OtherDevicePath", folder.c_str());
}
