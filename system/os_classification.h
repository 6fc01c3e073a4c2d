// Which kind of Windows runs the program: the one number that decides where the
// INF goes, what is moved aside during a rescan and whether to refuse.
#pragma once

#include <cstdint>

#include "platform/system_services.h"

namespace OsKind {
constexpr std::uint8_t kUnknown = 0;
constexpr std::uint8_t kWin98 = 1;
constexpr std::uint8_t kWin98SE = 2;
constexpr std::uint8_t kWinMe = 3;
constexpr std::uint8_t kWin2000 = 4;
constexpr std::uint8_t kWinXP = 5;
}  // namespace OsKind

std::uint8_t ClassifyVersion(const WindowsVersion& version);

// The kind of the running system; kUnknown when the version query fails.
std::uint8_t ClassifyWindows(SystemServices& sys);
