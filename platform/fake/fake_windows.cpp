#include "platform/fake/fake_windows.h"

namespace fake {

FakeWindows::FakeWindows(Faults& faults, VirtualClock& clock) : faults_(faults), clock_(clock) {}

void FakeWindows::Post(std::function<void()> handler, std::uint64_t atMs) {
    queue_.push_back(Message{atMs, std::move(handler)});
}

std::string FakeWindows::ControlText(WindowHandle dialog, int controlId) const {
    auto it = texts_.find({dialog, controlId});
    return it == texts_.end() ? std::string() : it->second;
}

const std::vector<int>& FakeWindows::ProgressHistory(WindowHandle dialog, int controlId) const {
    static const std::vector<int> kNone;
    auto it = progress_.find({dialog, controlId});
    return it == progress_.end() ? kNone : it->second;
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

void FakeWindows::SetControlText(WindowHandle dialog, int controlId, const char* text) {
    if (!faults_.Fail(Op::SetControlText)) {
        texts_[{dialog, controlId}] = text;
    }
}

void FakeWindows::SetProgressPosition(WindowHandle dialog, int controlId, int position) {
    if (!faults_.Fail(Op::SetProgressPosition)) {
        progress_[{dialog, controlId}].push_back(position);
    }
}

}  // namespace fake
