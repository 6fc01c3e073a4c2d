// The "#DEV_NAME#" token of message texts.
#pragma once

#include <string>

// Replaces every "#DEV_NAME#" (exact bytes) by the device name, pass after pass
// while a pass finds one. Bounded, so that a device name holding the token
// cannot make the text grow without end.
std::string SubstituteDeviceName(const std::string& text, const std::string& deviceName);
