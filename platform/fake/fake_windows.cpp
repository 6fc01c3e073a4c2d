#include "platform/fake/fake_windows.h"

#include <algorithm>
#include <cstring>

namespace fake {

FakeWindows::FakeWindows(Faults& faults, VirtualClock& clock)
    : tree(clock), faults_(faults), clock_(clock) {}

void FakeWindows::Post(std::function<void()> handler, std::uint64_t atMs) {
    queue_.push_back(Message{atMs, std::move(handler)});
}

std::string FakeWindows::LoadString(unsigned id) {
    if (faults_.Fail(Op::LoadString)) {
        return std::string();
    }
    auto it = strings.find(id);
    return it == strings.end() ? std::string() : it->second;
}

int FakeWindows::MessageBox(WindowHandle owner, const char* text, const char* caption,
                            unsigned flags) {
    if (faults_.Fail(Op::MessageBox)) {
        return 0;
    }
    boxes_.push_back(ShownBox{owner, text, caption, flags, clock_.NowMs()});
    if (onMessageBox) {
        onMessageBox(boxes_.back());
    }
    return 1;  // IDOK: the only button
}

bool FakeWindows::DispatchOneMessage() {
    if (faults_.Fail(Op::DispatchOneMessage)) {
        return false;
    }
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (it->dueMs <= clock_.NowMs()) {
            std::function<void()> handler = std::move(it->handler);
            queue_.erase(it);
            handler();
            clock_.Advance(messageCostMs);
            return true;
        }
    }
    return false;
}

void FakeWindows::Sleep(unsigned ms) {
    // Sleep cannot fail; the call is recorded so that a fault sweep sees it.
    faults_.Fail(Op::Sleep);
    clock_.Advance(ms);
}

std::uint32_t FakeWindows::TickCount() {
    faults_.Fail(Op::TickCount);  // cannot fail; recorded for fault sweeps
    return static_cast<std::uint32_t>(clock_.NowMs());
}

// Nothing reads the status line or the bar back; the calls are recorded for fault sweeps.
void FakeWindows::SetControlText(WindowHandle, int, const char*) {
    faults_.Fail(Op::SetControlText);
}

void FakeWindows::SetProgressPosition(WindowHandle, int, int) {
    faults_.Fail(Op::SetProgressPosition);
}

WindowHandle FakeWindows::NextWindow(WindowHandle parent, WindowHandle after,
                                     const char* className) {
    if (faults_.Fail(Op::NextWindow)) {
        return kNoWindow;
    }
    return tree.Next(parent, after, className);
}

void FakeWindows::ReadWindowText(WindowHandle window, TextBuffer out) {
    if (out.capacity == 0) {
        return;
    }
    out.data[0] = '\0';
    if (faults_.Fail(Op::ReadWindowText)) {
        return;
    }
    // GetWindowTextA cuts a long text to the buffer.
    std::string text = tree.Text(window);
    std::size_t length = std::min(text.size(), out.capacity - 1);
    std::memcpy(out.data, text.data(), length);
    out.data[length] = '\0';
}

int FakeWindows::GetControlId(WindowHandle window) {
    if (faults_.Fail(Op::GetControlId)) {
        return 0;
    }
    return tree.ControlId(window);
}

bool FakeWindows::IsWindowEnabled(WindowHandle window) {
    if (faults_.Fail(Op::IsWindowEnabled)) {
        return false;
    }
    return tree.Enabled(window);
}

bool FakeWindows::IsWindowVisible(WindowHandle window) {
    if (faults_.Fail(Op::IsWindowVisible)) {
        return false;
    }
    return tree.Visible(window);
}

void FakeWindows::SendCommand(WindowHandle dialog, int commandId) {
    if (!faults_.Fail(Op::SendCommand)) {
        tree.Command(dialog, commandId);
    }
}

void FakeWindows::BringToFront(WindowHandle window) {
    if (tree.Exists(window)) {
        tree.BringToTop(window);
    }
}

}  // namespace fake
