// The kinds of Windows the program tells apart (`osKind`). Below kWin2000 is
// the Windows 98 family, an unrecognised system included.
#pragma once

#include <cstdint>

namespace OsKind {
constexpr std::uint8_t kUnknown = 0;
constexpr std::uint8_t kWin98 = 1;
constexpr std::uint8_t kWin98SE = 2;
constexpr std::uint8_t kWinMe = 3;
constexpr std::uint8_t kWin2000 = 4;
constexpr std::uint8_t kWinXP = 5;
}  // namespace OsKind
