// What lives for the whole process: the silent switch, the brand texts and how
// the run ended.
#pragma once

#include "engine/run_outcome.h"
#include "ui/brand_texts.h"

struct ProgramState {
    int silentMode = 0;
    BrandTexts brand;  // empty until the main dialog loads them
    RunOutcome outcome = RunOutcome::Cancelled;
};
