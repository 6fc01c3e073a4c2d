// Window services of the fake machine: a string table, recorded message boxes,
// a message queue on a virtual clock, the controls of our own dialogs, and a
// tree of other programs' windows.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
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

    // A window message that becomes due at `atMs` on the virtual clock.
    void Post(std::function<void()> handler, std::uint64_t atMs = 0);
    std::size_t QueuedMessages() const { return queue_.size(); }

    const std::vector<ShownBox>& Boxes() const { return boxes_; }
    std::string ControlText(WindowHandle dialog, int controlId) const;
    // Every position set on the control, in order.
    const std::vector<int>& ProgressHistory(WindowHandle dialog, int controlId) const;
    std::uint64_t NowMs() const { return clock_.NowMs(); }

    std::string LoadString(unsigned id) override;
    int MessageBox(WindowHandle owner, const char* text, const char* caption,
                   unsigned flags) override;
    bool DispatchOneMessage() override;
    void Sleep(unsigned ms) override;
    void SetControlText(WindowHandle dialog, int controlId, const char* text) override;
    void SetProgressPosition(WindowHandle dialog, int controlId, int position) override;
    WindowHandle NextWindow(WindowHandle parent, WindowHandle after,
                            const char* className) override;
    void ReadWindowText(WindowHandle window, TextBuffer out) override;
    int GetControlId(WindowHandle window) override;
    bool IsWindowEnabled(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    void SendCommand(WindowHandle dialog, int commandId) override;

  private:
    using ControlKey = std::pair<WindowHandle, int>;
    struct Message {
        std::uint64_t dueMs;
        std::function<void()> handler;
    };

    Faults& faults_;
    VirtualClock& clock_;
    std::deque<Message> queue_;
    std::vector<ShownBox> boxes_;
    std::map<ControlKey, std::string> texts_;
    std::map<ControlKey, std::vector<int>> progress_;
};

}  // namespace fake
