// The system's search path for OEM INF files outside its own INF folder.
#pragma once

#include "platform/file_services.h"
#include "platform/system_facts.h"

// Creates WINDOWS\INF\OTHER; an existing folder is fine.
void CreateOtherInfFolder(FileServices& files, const char* windowsDir);
// Sets the registry value "OtherDevicePath" to WINDOWS\INF\OTHER. Returns the
// registry status (0 on success).
long SetOtherDevicePath(SystemFacts& registry, RunLog* log, const char* windowsDir);
