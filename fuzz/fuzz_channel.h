// The setup channel of the fuzz targets: nothing is shown, boxes are counted.
#pragma once

#include "platform/setup_channel.h"

class CountingChannel : public SetupChannel {
  public:
    int ShowMessage(unsigned, unsigned) override { return ++boxes; }
    int ShowMessageText(const char*, unsigned) override { return ++boxes; }
    void SetStatus(unsigned) override {}
    void ClearStatus() override {}
    void SetProgress(int) override {}
    int PumpMessages(unsigned) override { return 1; }

    int boxes = 0;
};

// Stops the run as a crash, so that libFuzzer keeps the input.
#define FUZZ_REQUIRE(condition) \
    do {                        \
        if (!(condition)) {     \
            __builtin_trap();   \
        }                       \
    } while (false)
