// The silent install's last step: the configuration manager enumerates the
// device tree again from its root, with the system files that would get in
// the way set aside, and on Windows XP the new-hardware wizard answered.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/setup_channel.h"
#include "platform/window_services.h"

// Moves the bar from `from` to `to`. True when the re-enumeration request was
// accepted, on Windows XP when the wizard was carried through to Finish. The
// set-aside files are restored whatever happened.
bool RescanHardware(const SetupServices& services, std::uint8_t osKind, const char* windowsDir,
                    const char* deviceDescription, int from, int to);
