// Moves two of the system's own files in its INF store out of the way while the
// hardware is enumerated again, and back afterwards: USBSTOR.INF/PNF on
// Windows XP, the driver database DRVIDX.BIN/DRVDATA.BIN on the 98 family.
// Each step stands alone: one that fails changes nothing and the next runs.
#pragma once

#include <cstdint>

#include "platform/system_services.h"

void SetAsideUsbstorInf(SystemServices& sys, std::uint8_t osKind, const char* windowsDir);
void RestoreUsbstorInf(SystemServices& sys, std::uint8_t osKind, const char* windowsDir);
void SetAsideDriverDatabase(SystemServices& sys, std::uint8_t osKind, const char* windowsDir);
void RestoreDriverDatabase(SystemServices& sys, std::uint8_t osKind, const char* windowsDir);
