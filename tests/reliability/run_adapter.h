// One start of the program for one road: the package is read the way the main
// dialog's initialisation reads it (only the floppy INF describes the disk on
// Windows Me and XP), then the road runs and its result becomes the outcome; a
// package that cannot be read gives PackageUnusable and runs nothing.
#pragma once

#include <cstdint>

#include "engine/run_outcome.h"
#include "engine/sequences.h"

enum class Road { Install, Uninstall, SilentInstall };

struct RunRequest {
    Road road;
    std::uint8_t osKind;
    const char* sourceDir;
    const char* windowsDir;
};

RunOutcome RunRoad(const SetupServices& services, const RunRequest& request, SetupContext* ctx);
