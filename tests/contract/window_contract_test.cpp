// The message queue, and other programs' windows as the wizard automation
// walks, reads and presses them.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/contract/tree_env.h"

namespace {

TEST_F(ContractTest, OneQueuedMessageIsDispatchedPerCallAndNoneBySleeping) {
    WindowHandle dialog = Env().MakeWindow(kNoWindow, "#32770", "queue", 0, false, true);
    for (int drained = 0; drained < 1000 && Win().DispatchOneMessage(); ++drained) {
    }
    Env().PostCommand(dialog, 1);
    Env().PostCommand(dialog, 2);
    Win().Sleep(1);
    EXPECT_TRUE(Env().CommandsOf(dialog).empty()) << "sleeping dispatches nothing";
    EXPECT_TRUE(Win().DispatchOneMessage());
    EXPECT_EQ(Env().CommandsOf(dialog), std::vector<int>{1});
    EXPECT_TRUE(Win().DispatchOneMessage());
    EXPECT_FALSE(Win().DispatchOneMessage());
    EXPECT_EQ(Env().CommandsOf(dialog), (std::vector<int>{1, 2}));
}

TEST_F(ContractTest, WindowsAreWalkedReadAndPressedAsTheWizardIs) {
    WindowHandle frame = Env().MakeWindow(kNoWindow, "#32770", "frame", 0, true, true);
    WindowHandle next = Env().MakeWindow(frame, "Button", "&Next >", 12324, true, false);
    WindowHandle finish = Env().MakeWindow(frame, "Button", "Finish", 12325, false, true);
    WindowHandle page = Env().MakeWindow(frame, "#32770", "page", 0, false, true);
    std::string longText = std::string(250, 'x') + "ABCDEFGH";
    WindowHandle label = Env().MakeWindow(page, "Static", longText, 7, true, true);
    const std::vector<WindowHandle> ours = {frame, next, finish, page, label};
    const struct {
        WindowHandle parent;
        const char* className;
        std::vector<WindowHandle> children;  // of this test's windows
    } walks[] = {
        {kNoWindow, "#32770", {frame}},
        {frame, nullptr, {next, finish, page}},
        {frame, "#32770", {page}},
        {page, nullptr, {label}},
    };
    for (const auto& walk : walks) {
        std::vector<WindowHandle> children;
        WindowHandle child = kNoWindow;
        while (children.size() < 100 &&
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
        std::string text;  // read into 255 bytes, as the wizard automation reads
    } states[] = {
        {next, 12324, false, true, "&Next >"},
        {finish, 12325, true, false, "Finish"},
        {label, 7, true, false, longText.substr(0, 254)},
    };
    for (const auto& state : states) {
        SCOPED_TRACE(state.controlId);
        char text[256];
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
