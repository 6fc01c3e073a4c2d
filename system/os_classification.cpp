#include "system/os_classification.h"

std::uint8_t ClassifyVersion(const WindowsVersion& version) {
    if (version.major == 4) {
        if (version.minor == 10) {
            // The 98 family keeps major and minor in the high word of the build.
            unsigned build = version.build & 0xFFFFu;
            if (build >= 3000) {
                return OsKind::kWinMe;
            }
            if (build >= 2222) {
                return OsKind::kWin98SE;
            }
            if (build >= 1998) {
                return OsKind::kWin98;
            }
            return OsKind::kUnknown;
        }
        return version.minor == 90 ? OsKind::kWinMe : OsKind::kUnknown;
    }
    if (version.major == 5) {
        if (version.minor == 0) {
            return OsKind::kWin2000;
        }
        if (version.minor == 1) {
            return OsKind::kWinXP;
        }
    }
    return OsKind::kUnknown;
}

std::uint8_t ClassifyWindows(SystemFacts& facts) {
    WindowsVersion version;
    if (!facts.GetVersion(&version)) {
        return OsKind::kUnknown;
    }
    return ClassifyVersion(version);
}
