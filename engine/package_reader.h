// Reads the driver package in the program's folder into the SetupContext.
#pragma once

#include "engine/setup_context.h"
#include "platform/setup_channel.h"
#include "platform/system_services.h"

// The fixed English text shown when no listed INF has a [Setup] section.
extern const char kNoSetupScriptText[];

// Reads the setup script, the description INF and the driver files' names.
// Expects sourceDir and infOnlyMode to be set. True when the package was read
// completely; false after showing a box for missing files, or silently for
// every other defect.
bool LoadPackage(SystemServices& sys, SetupChannel& channel, SetupContext& ctx);
