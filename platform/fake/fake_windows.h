// Window services of the fake machine: a string table, recorded message boxes,
// a message queue on a virtual clock, the controls of our own dialogs, and a
// tree of other programs' windows.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_window_tree.h"
#include "platform/fake/faults.h"
#include "platform/window_services.h"

namespace fake {

class VirtualClock {
  public:
    std::uint64_t NowMs() const { return nowMs_; }
    void Advance(std::uint64_t ms) { nowMs_ += ms; }

  private:
    std::uint64_t nowMs_ = 0;
};

// One of our own dialogs as the fake system keeps it.
struct FakeDialog {
    unsigned templateId = 0;
    WindowHandle owner = kNoWindow;
    DialogEvents* events = nullptr;
    std::string title;
    std::map<int, bool> checked;
    std::set<int> disabled;
    int focus = 0;
    std::vector<std::pair<unsigned, std::string>> systemMenu;  // items after the separators
    unsigned icon = 0;
    std::map<int, unsigned> bitmaps;
    bool minimized = false;
    int iconsPainted = 0;
    bool open = true;
    bool ended = false;
    int result = 0;
    bool abandoned = false;  // nobody acted on it any more
};

struct ShownBox {
    WindowHandle owner;
    std::string text;
    std::string caption;
    unsigned flags;
    std::uint64_t atMs;
};

class FakeWindows : public WindowServices {
  public:
    FakeWindows(Faults& faults, VirtualClock& clock);

    // Machine state that tests choose.
    std::map<unsigned, std::string> strings;
    // Runs while a box is open (the user reading it); may post or sleep.
    std::function<void(const ShownBox&)> onMessageBox;
    // Other programs' windows.
    WindowTree tree;
    // Runs when one of our dialogs has been initialised and waits for the
    // user (not when it ended during its initialisation).
    std::function<void(WindowHandle dialog, unsigned templateId)> onDialogOpen;
    // Whether a new dialog gets a system menu.
    bool dialogsHaveSystemMenu = true;

    // What a user does to our dialogs.
    void Click(WindowHandle dialog, int controlId);
    // An automatic radio button: checks it, unchecks the others of its group.
    void ClickRadio(WindowHandle dialog, int controlId, std::initializer_list<int> group);
    // True when the dialog set the cursor.
    bool PointAt(WindowHandle dialog, WindowHandle window);
    void Minimize(WindowHandle dialog) { dialogs_.at(dialog).minimized = true; }
    bool Paint(WindowHandle dialog);
    unsigned DragIcon(WindowHandle dialog);

    // A window message that becomes due at `atMs` on the virtual clock.
    void Post(std::function<void()> handler, std::uint64_t atMs = 0);
    // The time on the clock each handled message takes.
    unsigned messageCostMs = 0;

    const std::vector<ShownBox>& Boxes() const { return boxes_; }
    std::uint64_t NowMs() const { return clock_.NowMs(); }

    std::string LoadString(unsigned id) override;
    int MessageBox(WindowHandle owner, const char* text, const char* caption,
                   unsigned flags) override;
    bool DispatchOneMessage() override;
    void Sleep(unsigned ms) override;
    std::uint32_t TickCount() override;
    int RunModalDialog(unsigned templateId, WindowHandle owner, DialogEvents& events) override;
    void EndDialog(WindowHandle dialog, int result) override;
    void SetWindowTitle(WindowHandle window, const char* text) override;
    void CheckButton(WindowHandle dialog, int controlId, bool checked) override;
    void EnableControl(WindowHandle dialog, int controlId, bool enabled) override;
    void FocusControl(WindowHandle dialog, int controlId) override;
    WindowHandle ControlWindow(WindowHandle dialog, int controlId) override;
    bool AddSystemMenuItem(WindowHandle window, unsigned command, const char* text) override;
    void SetWindowIcon(WindowHandle window, unsigned iconId) override;
    void SetControlBitmap(WindowHandle dialog, int controlId, unsigned bitmapId) override;
    bool IsMinimized(WindowHandle window) override;
    void PaintMinimizedIcon(WindowHandle window, unsigned iconId) override;
    void SetCursorFromResource(unsigned cursorId) override;
    void SetControlText(WindowHandle dialog, int controlId, const char* text) override;
    void SetProgressPosition(WindowHandle dialog, int controlId, int position) override;
    WindowHandle NextWindow(WindowHandle parent, WindowHandle after,
                            const char* className) override;
    void ReadWindowText(WindowHandle window, TextBuffer out) override;
    int GetControlId(WindowHandle window) override;
    bool IsWindowEnabled(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    void SendCommand(WindowHandle dialog, int commandId) override;
    void BringToFront(WindowHandle window) override;

  private:
    using ControlKey = std::pair<WindowHandle, int>;
    struct Message {
        std::uint64_t dueMs;
        std::function<void()> handler;
    };

    // Dispatches the next message, waiting for it on the clock when none is
    // due; false when the queue is empty.
    bool DispatchOrWait();
    FakeDialog* DialogOf(WindowHandle dialog);

    Faults& faults_;
    VirtualClock& clock_;
    std::map<WindowHandle, FakeDialog> dialogs_;
    WindowHandle nextDialog_ = 0x1000;
    std::deque<Message> queue_;
    std::vector<ShownBox> boxes_;
};

}  // namespace fake
