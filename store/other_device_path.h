// The system's search path for OEM INF files outside its own INF folder.
#pragma once

#include "platform/system_services.h"

// Creates WINDOWS\INF\OTHER and sets the registry value "OtherDevicePath" to
// it. Returns the registry status (0 on success).
long SetOtherDevicePath(SystemServices& sys, const char* windowsDir);
