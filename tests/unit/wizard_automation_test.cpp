#include "system/wizard_automation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_wizard.h"
#include "platform/fake/machine.h"
#include "resources/resource_ids.h"
#include "ui/dialog_channel.h"

namespace {

using fake::kDialogClass;
using fake::WizardPage;

constexpr WindowHandle kMainDialog = 0x102;
constexpr char kDescription[] = "USB Flash Disk";

WizardPage Page(const std::string& text) {
    WizardPage page;
    page.text = text;
    return page;
}

// Next leads on; Finish is not offered yet.
WizardPage NextPage(const std::string& text) {
    return Page(text);
}

// Neither button can be pressed; the page moves on by itself (or never, 0).
WizardPage BusyPage(const std::string& text, std::uint64_t advanceAfterMs) {
    WizardPage page = Page(text);
    page.nextEnabled = false;
    page.advanceAfterMs = advanceAfterMs;
    return page;
}

// The last page: Next hidden, Finish offered.
WizardPage FinishPage(const std::string& text) {
    WizardPage page = Page(text);
    page.nextEnabled = false;
    page.nextVisible = false;
    page.finishEnabled = true;
    page.finishVisible = true;
    return page;
}

fake::WizardScript XpWizard(std::uint64_t opensAtMs = 0) {
    return fake::XpNewHardwareWizard(kDescription, opensAtMs);
}

// A fake machine with our main dialog's channel, and the wizards and device
// dialogs a case puts on it.
struct WizardRig {
    fake::Machine m;
    BrandTexts brand{"Setup", "Flash Disk", "About", "none"};
    DialogChannel channel{m.windows, kMainDialog, brand};
    fake::WindowTree& tree = m.windows.tree;
    std::vector<std::unique_ptr<fake::ScriptedWizard>> wizards;
    std::vector<std::unique_ptr<fake::ScriptedPrompt>> prompts;

    fake::ScriptedWizard& Given(fake::WizardScript script) {
        wizards.push_back(std::make_unique<fake::ScriptedWizard>(tree, std::move(script)));
        return *wizards.back();
    }
    fake::ScriptedPrompt& GivenPrompt(std::uint64_t opensAtMs, bool closesOnContinue) {
        fake::PromptScript script;
        script.text =
            "The software you are installing for this hardware:\nUSB Flash Disk\n"
            "has not passed Windows Logo testing.";
        script.opensAtMs = opensAtMs;
        script.closesOnContinue = closesOnContinue;
        prompts.push_back(std::make_unique<fake::ScriptedPrompt>(tree, std::move(script)));
        return *prompts.back();
    }
    bool Drive(int from = 0, int to = 100, const char* description = kDescription) {
        return DriveNewHardwareWizard(m.windows, channel, description, from, to);
    }
    const std::vector<int>& Progress() const {
        return m.windows.ProgressHistory(kMainDialog, IDC_PROGRESS);
    }
    std::vector<int> CommandIds() const {
        std::vector<int> ids;
        for (const fake::SentCommand& sent : tree.Commands()) {
            ids.push_back(sent.commandId);
        }
        return ids;
    }
    std::size_t WindowCalls() const {
        const auto& log = m.faults.Log();
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), fake::Op::NextWindow));
    }
};

struct WizardTest : ::testing::Test, WizardRig {};

TEST_F(WizardTest, FindDialogShowingTextLooksAtDirectChildrenOfDialogsOnly) {
    WindowHandle plain = tree.Add(kNoWindow, kDialogClass, kDescription);
    tree.Add(plain, "Static", "Something else");
    WindowHandle notDialog = tree.Add(kNoWindow, "Button", "");
    tree.Add(notDialog, "Static", kDescription);
    WindowHandle frame = tree.Add(kNoWindow, kDialogClass, "Found New Hardware Wizard");
    WindowHandle page = tree.Add(frame, kDialogClass, "");
    tree.Add(page, "Static", "Install the software for USB Flash Disk");
    WindowHandle prompt = tree.Add(kNoWindow, kDialogClass, "Hardware Installation");
    tree.Add(prompt, "Button", "&Continue Anyway", 5303);
    tree.Add(prompt, "Static", "USB Flash Disk has not passed Windows Logo testing.");
    WindowHandle cut = tree.Add(kNoWindow, kDialogClass, "");
    tree.Add(cut, "Static", std::string(250, 'x') + "TAIL");
    tree.Add(cut, "Static", std::string(251, 'y') + "LONG");

    struct Case {
        const char* name;
        WindowHandle parent;
        std::string text;
        WindowHandle found;
    } cases[] = {
        {"a control of a top-level dialog", kNoWindow, kDescription, prompt},
        {"the page among the frame's children", frame, kDescription, page},
        {"other capitals", kNoWindow, "usb flash disk", kNoWindow},
        {"the dialog's own title", kNoWindow, "Hardware Installation", kNoWindow},
        {"a text of 254 characters is read whole", kNoWindow, "TAIL", cut},
        {"a longer text is cut", kNoWindow, "LONG", kNoWindow},
        {"within the cut", kNoWindow, "yLON", cut},
        {"a window without children", page, kDescription, kNoWindow},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FindDialogShowingText(m.windows, c.parent, c.text.c_str()), c.found) << c.name;
    }
}

TEST_F(WizardTest, FindChildByIdTakesTheFirstDirectChild) {
    WindowHandle frame = tree.Add(kNoWindow, kDialogClass, "");
    WindowHandle page = tree.Add(frame, kDialogClass, "");
    tree.Add(page, "Button", "inner", 12324);
    WindowHandle first = tree.Add(frame, "Button", "first", 12324);
    tree.Add(frame, "Button", "second", 12324);
    EXPECT_EQ(FindChildById(m.windows, frame, 12324), first);
    EXPECT_EQ(FindChildById(m.windows, frame, 12325), kNoWindow);
    EXPECT_EQ(FindChildById(m.windows, page, 12325), kNoWindow);
}

TEST_F(WizardTest, WaitForWizardReturnsTheFrameNotThePageNorADialogShowingTheText) {
    GivenPrompt(0, true);
    fake::ScriptedWizard& wizard = Given(XpWizard());
    WindowHandle found = WaitForWizard(m.windows, channel, kDescription, 0, 30);
    EXPECT_NE(found, kNoWindow);
    EXPECT_EQ(found, wizard.Frame());
    EXPECT_EQ(m.windows.NowMs(), 0u);
}

TEST_F(WizardTest, WaitForWizardMovesTheBarEveryCycleWhileItSearches) {
    Given(XpWizard(/*opensAtMs=*/2600));
    ASSERT_NE(WaitForWizard(m.windows, channel, kDescription, 0, 100), kNoWindow);
    EXPECT_EQ(m.windows.NowMs(), 3000u) << "found at the start of the seventh cycle";
    EXPECT_EQ(Progress(), (std::vector<int>{0, 0, 1, 2, 3, 4}));
}

TEST_F(WizardTest, OurMessagesAreHandledWhileSearchingButNotWhileWatching) {
    Given(XpWizard(/*opensAtMs=*/2000));
    bool duringSearch = false;
    bool duringWatch = false;
    m.windows.Post([&] { duringSearch = true; }, 1200);
    m.windows.Post([&] { duringWatch = true; }, 2500);
    EXPECT_TRUE(Drive());
    EXPECT_TRUE(duringSearch);
    EXPECT_FALSE(duringWatch);
    EXPECT_EQ(m.windows.QueuedMessages(), 1u);
}

TEST_F(WizardTest, DrivesTheXpWizardToFinish) {
    fake::ScriptedWizard& wizard = Given(XpWizard());
    EXPECT_TRUE(Drive(50, 100));
    EXPECT_TRUE(wizard.Finished());
    // Two priming presses (the second one refused by the copying page), then
    // Finish once the last page shows.
    EXPECT_EQ(CommandIds(), (std::vector<int>{12324, 12324, 12325}));
    EXPECT_EQ(m.windows.NowMs(), 3000u);
    // Found at once: the bar stays until the first watch cycle ends.
    EXPECT_EQ(Progress(), (std::vector<int>{66, 66, 66, 66}));
}

TEST_F(WizardTest, PressesNextOnEveryNewPageThatOffersIt) {
    fake::WizardScript script;
    script.pages = {NextPage("USB Flash Disk 1"), NextPage("USB Flash Disk 2"),
                    NextPage("USB Flash Disk 3"), NextPage("USB Flash Disk 4"), FinishPage("done")};
    fake::ScriptedWizard& wizard = Given(script);
    EXPECT_TRUE(Drive());
    EXPECT_TRUE(wizard.Finished());
    EXPECT_EQ(CommandIds(), (std::vector<int>{12324, 12324, 12324, 12324, 12325}));
    EXPECT_EQ(m.windows.NowMs(), 2000u);
}

TEST_F(WizardTest, AnswersTheDeviceDialogInEveryCycleItIsThere) {
    fake::ScriptedWizard& wizard = Given(XpWizard());
    fake::ScriptedPrompt& prompt = GivenPrompt(/*opensAtMs=*/1200, /*closesOnContinue=*/true);
    EXPECT_TRUE(Drive());
    EXPECT_TRUE(wizard.Finished());
    EXPECT_EQ(prompt.Answers(), 1);
    EXPECT_EQ(prompt.Dialog(), kNoWindow);
    EXPECT_EQ(CommandIds(), (std::vector<int>{12324, 12324, 5303, 12325}));
    EXPECT_EQ(tree.Commands()[2].atMs, 1500u);
}

TEST_F(WizardTest, Ends) {
    struct Case {
        const char* name;
        std::function<void(WizardRig&)> given;
        const char* description;
        bool finished;
        std::uint64_t endsAtMs;
        std::vector<int> commands;
    };
    auto frameWithButtons = [](WizardRig& t, bool next, bool finish) {
        WindowHandle frame = t.tree.Add(kNoWindow, kDialogClass, "Found New Hardware Wizard");
        WindowHandle page = t.tree.Add(frame, kDialogClass, "");
        t.tree.Add(page, "Static", kDescription);
        if (next) {
            t.tree.Add(frame, "Button", "&Next >", 12324);
        }
        if (finish) {
            t.tree.Add(frame, "Button", "Finish", 12325);
        }
    };
    const Case cases[] = {
        {"no wizard in 120 cycles", [](WizardRig&) {}, kDescription, false, 60000, {}},
        {"the page shows other capitals",
         [](WizardRig& t) {
             fake::WizardScript script = XpWizard();
             script.pages[0].text = "usb flash disk";
             t.Given(script);
         },
         kDescription,
         false,
         60000,
         {}},
        {"empty description", [](WizardRig& t) { t.Given(XpWizard()); }, "", false, 0, {}},
        {"no Next button",
         [&](WizardRig& t) { frameWithButtons(t, false, true); },
         kDescription,
         false,
         0,
         {}},
        {"no Finish button",
         [&](WizardRig& t) { frameWithButtons(t, true, false); },
         kDescription,
         false,
         0,
         {}},
        {"Finish pressed",
         [](WizardRig& t) { t.Given(XpWizard()); },
         kDescription,
         true,
         3000,
         {12324, 12324, 12325}},
        {"Finish offered while Next is shown but disabled",
         [](WizardRig& t) {
             fake::WizardScript script = XpWizard();
             script.pages[2].nextVisible = true;
             t.Given(script);
         },
         kDescription,
         true,
         3000,
         {12324, 12324, 12325}},
        {"160 idle cycles: the pages stop changing",
         [](WizardRig& t) {
             fake::WizardScript script;
             script.pages = {NextPage(kDescription)};
             t.Given(script);
         },
         kDescription,
         false,
         1000 + 160 * 500,
         {12324, 12324}},
        {"a hidden Finish is not pressed",
         [](WizardRig& t) {
             fake::WizardScript script = XpWizard();
             script.pages[2].finishVisible = false;
             t.Given(script);
         },
         kDescription,
         false,
         3000 + 160 * 500,
         {12324, 12324}},
        {"a page change restarts the idle count without a press",
         [](WizardRig& t) {
             fake::WizardScript script;
             script.pages = {NextPage(kDescription), BusyPage("copying", 20000),
                             BusyPage("still copying", 0)};
             t.Given(script);
         },
         kDescription,
         false,
         20000 + 160 * 500,
         {12324, 12324}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto rig = std::make_unique<WizardRig>();
        c.given(*rig);
        EXPECT_EQ(rig->Drive(0, 100, c.description), c.finished);
        EXPECT_EQ(rig->m.windows.NowMs(), c.endsAtMs);
        EXPECT_EQ(rig->CommandIds(), c.commands);
    }
}

TEST_F(WizardTest, AnEmptyDescriptionLooksAtNoWindowAndLeavesTheBar) {
    GivenPrompt(0, false);
    EXPECT_FALSE(Drive(50, 100, ""));
    EXPECT_EQ(WindowCalls(), 0u);
    EXPECT_TRUE(Progress().empty());
    EXPECT_EQ(m.windows.NowMs(), 0u);
}

TEST_F(WizardTest, SearchThatFindsNothingWalksTheBarFromFromTowardsMid) {
    EXPECT_FALSE(Drive(0, 100));
    ASSERT_EQ(Progress().size(), 120u);
    EXPECT_EQ(Progress()[0], 0);
    EXPECT_EQ(Progress()[60], 16);
    EXPECT_EQ(Progress().back(), 32) << "33 * 119 / 120";
}

TEST_F(WizardTest, IdleWatchWalksTheBarFromMidToTo) {
    fake::WizardScript script;
    script.pages = {NextPage(kDescription)};
    Given(script);
    EXPECT_FALSE(Drive(0, 100));
    ASSERT_EQ(Progress().size(), 160u);
    EXPECT_EQ(Progress()[0], 33);
    EXPECT_EQ(Progress()[79], 66);
    EXPECT_EQ(Progress().back(), 100);
}

TEST_F(WizardTest, ADeviceDialogThatNeverClosesEndsTheWatchAfter720Cycles) {
    fake::WizardScript script;
    script.pages = {NextPage(kDescription)};
    fake::ScriptedWizard& wizard = Given(script);
    fake::ScriptedPrompt& prompt = GivenPrompt(0, /*closesOnContinue=*/false);

    EXPECT_FALSE(Drive(0, 100));
    EXPECT_FALSE(wizard.Finished());
    EXPECT_EQ(prompt.Answers(), 720);
    EXPECT_EQ(m.windows.NowMs(), 1000u + 720u * 500u);
    ASSERT_EQ(Progress().size(), 720u);
    EXPECT_TRUE(std::all_of(Progress().begin() + 159, Progress().end(),
                            [](int position) { return position == 100; }));
}

// The wizard's page and buttons vanish between the search and the first look
// at the frame.
class FrameEmptiedAfterSearch : public fake::FakeWindows {
  public:
    using FakeWindows::FakeWindows;
    WindowHandle NextWindow(WindowHandle parent, WindowHandle after,
                            const char* className) override {
        if (parent == frame && parent != kNoWindow && className == nullptr) {
            while (WindowHandle child = tree.Next(frame, kNoWindow, nullptr)) {
                tree.Remove(child);
            }
        }
        return FakeWindows::NextWindow(parent, after, className);
    }
    WindowHandle frame = kNoWindow;
};

TEST_F(WizardTest, AWizardWithoutAChildIsLeftAlone) {
    FrameEmptiedAfterSearch windows(m.faults, m.clock);
    DialogChannel ownChannel(windows, kMainDialog, brand);
    fake::ScriptedWizard wizard(windows.tree, XpWizard());
    windows.frame = windows.tree.Next(kNoWindow, kNoWindow, kDialogClass);
    ASSERT_NE(windows.frame, kNoWindow);

    EXPECT_FALSE(DriveNewHardwareWizard(windows, ownChannel, kDescription, 0, 100));
    EXPECT_TRUE(windows.tree.Commands().empty());
}

}  // namespace
