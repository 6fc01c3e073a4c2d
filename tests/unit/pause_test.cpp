// A pause keeps the dialog alive and lasts as long as asked, however long the
// messages it handles take.
#include <gtest/gtest.h>

#include "platform/fake/machine.h"
#include "ui/dialog_channel.h"

namespace {

TEST(Pause, LastsAsLongAsAskedWhateverItsMessagesTake) {
    for (unsigned costMs : {0u, 4u, 9u}) {
        SCOPED_TRACE(costMs);
        fake::Machine m;
        m.windows.messageCostMs = costMs;
        int handled = 0;
        for (int i = 0; i < 1000; ++i) {
            m.windows.Post([&handled] { ++handled; });
        }
        BrandTexts brand;
        DialogChannel channel(m.windows, kNoWindow, brand);
        channel.PumpMessages(3000);
        EXPECT_EQ(m.clock.NowMs(), 3000u);
        EXPECT_EQ(handled, 300) << "one message a tick";
    }
}

}  // namespace
