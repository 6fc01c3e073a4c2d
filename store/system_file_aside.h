// Moves two of the system's own files in its INF store out of the way while the
// hardware is enumerated again, and back afterwards: USBSTOR.INF/PNF on
// Windows XP, the driver database DRVIDX.BIN/DRVDATA.BIN on the 98 family.
// Each step stands alone: one that fails changes nothing and the next runs.
#pragma once

#include <cstdint>

#include "platform/file_services.h"

void SetAsideUsbstorInf(FileServices& files, std::uint8_t osKind, const char* windowsDir);
void RestoreUsbstorInf(FileServices& files, std::uint8_t osKind, const char* windowsDir);
void SetAsideDriverDatabase(FileServices& files, std::uint8_t osKind, const char* windowsDir);
void RestoreDriverDatabase(FileServices& files, std::uint8_t osKind, const char* windowsDir);
