// Paths inside the Windows directory: 260-byte buffers, never cut.
#pragma once

#include "platform/text.h"

using StorePath = FixedText<260>;

// The OEM INF folder of the Windows 98 family, where our INF is installed and
// where the system is told to look for OEM INFs.
constexpr char kOtherInfFolder[] = "\\INF\\OTHER";
