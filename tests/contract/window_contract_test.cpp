// The string table, the message queue, and other programs' windows as the
// wizard automation sees them.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/contract/contract_strings.h"
#include "tests/contract/tree_env.h"

namespace {

TEST_F(ContractTest, AStringOfAnyLengthLoadsWhole) {
    static_assert(sizeof(CONTRACT_TEXT_256) == 257 && sizeof(CONTRACT_TEXT_600) == 601, "length");
    Env().GiveString(CONTRACT_STRING_256, CONTRACT_TEXT_256);
    Env().GiveString(CONTRACT_STRING_600, CONTRACT_TEXT_600);
    EXPECT_EQ(Win().LoadString(CONTRACT_STRING_256), CONTRACT_TEXT_256);
    EXPECT_EQ(Win().LoadString(CONTRACT_STRING_600), CONTRACT_TEXT_600);
    EXPECT_EQ(Win().LoadString(CONTRACT_STRING_MISSING), "");
}

TEST_F(ContractTest, OneQueuedMessageIsDispatchedPerCallAndNoneBySleeping) {
    WindowHandle dialog = Env().MakeDialog(kNoWindow, "contract queue");
    for (int drained = 0; drained < 1000 && Win().DispatchOneMessage(); ++drained) {
    }
    Env().PostCommand(dialog, 1);
    Env().PostCommand(dialog, 2);
    Win().Sleep(1);
    EXPECT_TRUE(Env().CommandsOf(dialog).empty());
    EXPECT_TRUE(Win().DispatchOneMessage());
    EXPECT_EQ(Env().CommandsOf(dialog), std::vector<int>{1});
    EXPECT_TRUE(Win().DispatchOneMessage());
    EXPECT_EQ(Env().CommandsOf(dialog), (std::vector<int>{1, 2}));
    EXPECT_FALSE(Win().DispatchOneMessage());
}

TEST_F(ContractTest, WindowsAreWalkedReadAndPressedAsTheWizardIs) {
    WindowHandle frame = Env().MakeDialog(kNoWindow, "contract frame");
    WindowHandle next = Env().MakeControl(frame, "Button", "&Next >", 12324);
    WindowHandle finish = Env().MakeControl(frame, "Button", "Finish", 12325);
    WindowHandle page = Env().MakeDialog(frame, "page");
    std::string longText(300, 'x');
    longText.replace(250, 4, "ABCD");
    WindowHandle onPage = Env().MakeControl(page, "Static", longText, 7);
    WindowHandle gone = Env().MakeControl(frame, "Static", "gone", 8);
    Env().Destroy(gone);
    Env().SetEnabled(next, false);
    Env().SetVisible(finish, false);
    Env().SetVisible(page, false);
    const std::vector<WindowHandle> ours = {frame, next, finish, page, onPage};

    const struct {
        WindowHandle parent;
        const char* className;
        std::vector<WindowHandle> children;  // of this test's windows
    } walks[] = {
        {kNoWindow, "#32770", {frame}},
        {frame, nullptr, {next, finish, page}},
        {frame, "#32770", {page}},
        {page, nullptr, {onPage}},
    };
    for (const auto& walk : walks) {
        std::vector<WindowHandle> children;
        WindowHandle child = kNoWindow;
        while (children.size() < 10000 &&
               (child = Win().NextWindow(walk.parent, child, walk.className)) != kNoWindow) {
            if (std::count(ours.begin(), ours.end(), child) != 0) {
                children.push_back(child);
            }
        }
        EXPECT_EQ(children, walk.children) << walk.parent << " " << (walk.className != nullptr);
    }

    const struct {
        WindowHandle window;
        int controlId;
        bool enabled;
        bool visible;
        std::string text;  // read as the wizard automation reads, 255 bytes
    } states[] = {
        {next, 12324, false, true, "&Next >"},
        {finish, 12325, true, false, "Finish"},
        {onPage, 7, true, false, longText.substr(0, 254)},
        {gone, 0, false, false, ""},
    };
    for (const auto& state : states) {
        SCOPED_TRACE(state.controlId);
        char text[300];
        Win().ReadWindowText(state.window, TextBuffer{text, 255});
        EXPECT_EQ(text, state.text);
        EXPECT_EQ(Win().GetControlId(state.window), state.controlId);
        EXPECT_EQ(Win().IsWindowEnabled(state.window), state.enabled);
        EXPECT_EQ(Win().IsWindowVisible(state.window), state.visible);
    }

    Win().SendCommand(frame, 12325);
    EXPECT_EQ(Env().CommandsOf(frame), std::vector<int>{12325})
        << "handled before the call returns";
}

}  // namespace
