// What lives for the whole process: the silent switch, the brand texts and how
// the run ended.
#pragma once

#include "engine/run_outcome.h"
#include "engine/setup_context.h"
#include "ui/brand_texts.h"

struct ProgramState {
    int silentMode = 0;
    BrandTexts brand;  // empty until the main dialog loads them
    RunOutcome outcome = RunOutcome::Cancelled;
    // What the run's log names: the machine as the main dialog read it and
    // the road the run took.
    std::uint8_t osKind = OsKind::kUnknown;
    FolderText windowsDir;
    const char* road = "no run";
};
