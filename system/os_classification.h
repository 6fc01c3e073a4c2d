// Which kind of Windows runs the program: the one number that decides where the
// INF goes, what is moved aside during a rescan and whether to refuse.
#pragma once

#include <cstdint>

#include "platform/os_kind.h"
#include "platform/system_facts.h"

std::uint8_t ClassifyVersion(const WindowsVersion& version);

// The kind of the running system; kUnknown when the version query fails.
std::uint8_t ClassifyWindows(SystemFacts& facts);
