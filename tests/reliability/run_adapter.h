// One start of the program for one road, cut down to what the engine offers
// today: the package is read the way the main dialog's initialisation reads
// it, then the road runs and its result becomes the outcome. When the dialog
// reports its outcome itself, only RunRoad changes; its callers stay.
#pragma once

#include <cstdint>

#include "engine/run_outcome.h"
#include "engine/sequences.h"

enum class Road {
    Install,  // the short install where the kind of Windows asks for it
    Uninstall,
    SilentInstall,
};

const char* RoadName(Road road);

struct RunRequest {
    Road road;
    std::uint8_t osKind;
    const char* sourceDir;
    const char* windowsDir;
};

// The dialog copies only the floppy INF on Windows Me and XP.
bool ShortInstallKind(std::uint8_t osKind);

// Fills `ctx` as the dialog does, reads the package and runs the road. A
// package that cannot be read gives PackageUnusable and runs nothing.
RunOutcome RunRoad(const SetupServices& services, const RunRequest& request, SetupContext* ctx);
