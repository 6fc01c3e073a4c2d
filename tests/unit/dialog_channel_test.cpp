#include "ui/dialog_channel.h"

#include <gtest/gtest.h>

#include "platform/fake/machine.h"
#include "resources/resource_ids.h"
#include "ui/device_name.h"

namespace {

constexpr WindowHandle kDialog = 0x102;

TEST(ProgressAt, ProductFirstThenDivisionDroppingTheRemainder) {
    struct Case {
        int from, to, percent, position;
    } cases[] = {
        {0, 25, 10, 2},   {0, 25, 60, 15},  {0, 25, 100, 25},  {15, 30, 50, 22},
        {50, 100, 0, 50}, {0, 100, 33, 33}, {25, 50, 100, 50}, {0, 10, 99, 9},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ProgressAt(c.from, c.to, c.percent), c.position)
            << c.from << ".." << c.to << " at " << c.percent;
    }
}

TEST(SubstituteDeviceName, ReplacesEveryExactToken) {
    struct Case {
        const char* name;
        const char* text;
        const char* device;
        const char* shown;
    } cases[] = {
        {"two tokens", "#DEV_NAME# and #DEV_NAME#", "Disk", "Disk and Disk"},
        {"lower case is not the token", "#dev_name#", "Disk", "#dev_name#"},
        {"no token", "Installation is complete.", "Disk", "Installation is complete."},
        {"token at the edges", "#DEV_NAME#x#DEV_NAME#", "D", "DxD"},
        {"a replacement that forms a token is replaced on the next pass", "#DEV_NAME#NAME#",
         "#DEV_", "#DEV_"},
        {"empty device name", "[#DEV_NAME#]", "", "[]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SubstituteDeviceName(c.text, c.device), c.shown) << c.name;
    }
}

TEST(SubstituteDeviceName, ADeviceNameHoldingTheTokenCannotHang) {
    std::string shown = SubstituteDeviceName("#DEV_NAME#", "x#DEV_NAME##DEV_NAME#");
    EXPECT_LE(shown.size(), 64u * 1024u + 64u);
    EXPECT_NE(shown.find("x"), std::string::npos);
}

struct ChannelTest : ::testing::Test {
    fake::Machine m;
    BrandTexts brand{"Setup Program", "Flash Disk", "About", "no link"};
    DialogChannel channel{m.windows, kDialog, brand};
};

TEST_F(ChannelTest, BoxesAreOwnedByTheDialogAndCaptionedWithTheProgramName) {
    m.givenString(116, "INF file not found !");
    m.givenString(120, "This program is only for #DEV_NAME# !");
    channel.ShowMessage(116, kIconStop);
    channel.ShowMessage(120, kIconInformation);
    channel.ShowMessage(999, kIconStop);
    ASSERT_EQ(m.windows.Boxes().size(), 3u);
    EXPECT_EQ(m.windows.Boxes()[0].owner, kDialog);
    EXPECT_EQ(m.windows.Boxes()[0].caption, "Setup Program");
    EXPECT_EQ(m.windows.Boxes()[0].flags, kIconStop);
    EXPECT_EQ(m.windows.Boxes()[1].text, "This program is only for Flash Disk !");
    EXPECT_EQ(m.windows.Boxes()[1].flags, kIconInformation);
    EXPECT_EQ(m.windows.Boxes()[2].text, "") << "a missing id shows an empty box";
}

TEST_F(ChannelTest, StatusLineAndProgressBarAreWrittenAsAsked) {
    m.givenString(113, "removing device if present...");
    channel.SetStatus(113);
    EXPECT_EQ(m.windows.ControlText(kDialog, IDC_STATUS), "removing device if present...");
    EXPECT_EQ(channel.StatusText(), "removing device if present...");
    channel.ClearStatus();
    EXPECT_EQ(m.windows.ControlText(kDialog, IDC_STATUS), "");
    channel.SetProgress(15);
    channel.SetProgress(30);
    EXPECT_EQ(m.windows.ProgressHistory(kDialog, IDC_PROGRESS), (std::vector<int>{15, 30}));
}

TEST_F(ChannelTest, PumpMessagesHandlesAtMostOneMessagePerTick) {
    int handled = 0;
    for (int i = 0; i < 5; ++i) {
        m.windows.Post([&] { ++handled; });
    }
    EXPECT_EQ(channel.PumpMessages(5), 1);
    EXPECT_EQ(m.windows.NowMs(), 0u) << "below one tick returns at once";
    EXPECT_EQ(handled, 0);

    EXPECT_EQ(channel.PumpMessages(15), 1);
    EXPECT_EQ(m.windows.NowMs(), 10u);
    EXPECT_EQ(handled, 1);

    channel.PumpMessages(3000);
    EXPECT_EQ(m.windows.NowMs(), 3010u);
    EXPECT_EQ(handled, 5);
}

TEST_F(ChannelTest, TimeTheMessagesTakeDoesNotStretchThePause) {
    // A handler that keeps the thread for 250 ms (a box the user reads).
    m.windows.Post([&] { m.windows.Sleep(250); }, 100);
    channel.PumpMessages(3000);
    EXPECT_EQ(m.windows.NowMs(), 3000u);
    m.windows.Post([&] { m.windows.Sleep(5000); });
    channel.PumpMessages(200);
    EXPECT_EQ(m.windows.NowMs(), 8000u) << "a pause that is over does not sleep on";
}

TEST_F(ChannelTest, AMessageHandledInAPauseRunsWhenItIsDue) {
    std::uint64_t ranAt = 0;
    m.windows.Post([&] { ranAt = m.windows.NowMs(); }, 1500);
    channel.PumpMessages(3000);
    EXPECT_EQ(ranAt, 1500u);
}

}  // namespace
