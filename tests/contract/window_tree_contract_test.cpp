// Other programs' windows: walking by class, texts, control ids, states and
// commands, here on dialogs of the test's own.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/contract/tree_env.h"

namespace {

using ContractWindowTree = TreeContractTest;

std::vector<WindowHandle> Children(WindowServices& windows, WindowHandle parent,
                                   const char* className) {
    std::vector<WindowHandle> found;
    WindowHandle child = kNoWindow;
    while (found.size() < 10000 &&
           (child = windows.NextWindow(parent, child, className)) != kNoWindow) {
        found.push_back(child);
    }
    return found;
}

std::string TextOf(WindowServices& windows, WindowHandle window, std::size_t capacity = 256) {
    std::vector<char> buffer(capacity, '#');
    windows.ReadWindowText(window, TextBuffer{buffer.data(), capacity});
    return std::string(buffer.data());
}

TEST_F(ContractWindowTree, ChildrenComeInCreationOrderAndByClass) {
    WindowHandle dialog = Env().MakeDialog(kNoWindow, "contract frame");
    ASSERT_NE(dialog, kNoWindow);
    WindowHandle one = Env().MakeControl(dialog, "Static", "one", 101);
    WindowHandle two = Env().MakeControl(dialog, "Button", "two", 102);
    WindowHandle page = Env().MakeDialog(dialog, "page");
    WindowHandle inner = Env().MakeControl(page, "Static", "inner", 104);
    WindowHandle three = Env().MakeControl(dialog, "Static", "three", 103);

    struct Row {
        const char* name;
        WindowHandle parent;
        const char* className;
        std::vector<WindowHandle> children;
    } rows[] = {
        {"any class", dialog, nullptr, {one, two, page, three}},
        {"dialogs", dialog, "#32770", {page}},
        {"class names ignore case", dialog, "BUTTON", {two}},
        {"only direct children", page, nullptr, {inner}},
        {"a window without children", one, nullptr, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Children(Win(), row.parent, row.className), row.children);
    }
    EXPECT_EQ(Win().NextWindow(dialog, inner, nullptr), kNoWindow) << "not a child of it";
}

TEST_F(ContractWindowTree, TopLevelDialogsAreFoundNewestFirst) {
    WindowHandle older = Env().MakeDialog(kNoWindow, "contract older");
    WindowHandle newer = Env().MakeDialog(kNoWindow, "contract newer");
    std::vector<WindowHandle> dialogs = Children(Win(), kNoWindow, "#32770");
    auto olderAt = std::find(dialogs.begin(), dialogs.end(), older);
    auto newerAt = std::find(dialogs.begin(), dialogs.end(), newer);
    ASSERT_NE(olderAt, dialogs.end());
    ASSERT_NE(newerAt, dialogs.end());
    EXPECT_LT(newerAt, olderAt);
}

TEST_F(ContractWindowTree, TextsAreCutToTheBuffer) {
    WindowHandle dialog = Env().MakeDialog(kNoWindow, "contract texts");
    std::string longText(300, 'x');
    longText[253] = 'A';
    longText[254] = 'B';
    WindowHandle control = Env().MakeControl(dialog, "Static", longText, 1);
    WindowHandle gone = Env().MakeControl(dialog, "Static", "gone", 2);
    Env().Destroy(gone);

    EXPECT_EQ(TextOf(Win(), control, 255), longText.substr(0, 254));
    EXPECT_EQ(TextOf(Win(), control, 1000), longText);
    EXPECT_EQ(TextOf(Win(), dialog), "contract texts");
    EXPECT_EQ(TextOf(Win(), gone), "");
}

TEST_F(ContractWindowTree, ControlIdsAndStates) {
    WindowHandle dialog = Env().MakeDialog(kNoWindow, "contract states");
    WindowHandle next = Env().MakeControl(dialog, "Button", "&Next >", 12324);
    WindowHandle finish = Env().MakeControl(dialog, "Button", "Finish", 12325);
    WindowHandle page = Env().MakeDialog(dialog, "");
    WindowHandle onPage = Env().MakeControl(page, "Button", "on page", 7);
    Env().SetEnabled(next, false);
    Env().SetVisible(finish, false);
    Env().SetVisible(page, false);

    struct Row {
        const char* name;
        WindowHandle window;
        int controlId;
        bool enabled;
        bool visible;
    } rows[] = {
        {"disabled button", next, 12324, false, true},
        {"hidden button", finish, 12325, true, false},
        {"a control of a hidden page", onPage, 7, true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Win().GetControlId(row.window), row.controlId);
        EXPECT_EQ(Win().IsWindowEnabled(row.window), row.enabled);
        EXPECT_EQ(Win().IsWindowVisible(row.window), row.visible);
    }
    Env().Destroy(next);
    EXPECT_EQ(Win().GetControlId(next), 0);
    EXPECT_FALSE(Win().IsWindowEnabled(next));
    EXPECT_FALSE(Win().IsWindowVisible(next));
}

TEST_F(ContractWindowTree, ACommandIsHandledBeforeTheCallReturns) {
    WindowHandle dialog = Env().MakeDialog(kNoWindow, "contract commands");
    Win().SendCommand(dialog, 5303);
    std::vector<ReceivedCommand> received = Env().CommandsOf(dialog);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].commandId, 5303);
    EXPECT_EQ(received[0].notification, 0) << "a button click";
    EXPECT_EQ(received[0].control, kNoWindow);

    Env().Destroy(dialog);
    Win().SendCommand(dialog, 12325);  // a window that is gone takes nothing
}

}  // namespace
