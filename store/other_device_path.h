// The system's search path for OEM INF files outside its own INF folder.
#pragma once

#include "platform/system_services.h"

// Creates WINDOWS\INF\OTHER; an existing folder is fine.
void CreateOtherInfFolder(SystemServices& sys, const char* windowsDir);
// Sets the registry value "OtherDevicePath" to WINDOWS\INF\OTHER. Returns the
// registry status (0 on success).
long SetOtherDevicePath(SystemServices& sys, const char* windowsDir);
