// Our own dialogs on the fake machine: a modal loop over the message queue and
// the virtual clock, and the controls' state for tests to read.
#include <algorithm>

#include "platform/fake/fake_windows.h"

namespace fake {

namespace {

// Controls of a dialog have handles of their own, derived from the dialog's.
WindowHandle ControlHandle(WindowHandle dialog, int controlId) {
    return dialog * 0x10000 + static_cast<WindowHandle>(controlId);
}

}  // namespace

FakeDialog* FakeWindows::DialogOf(WindowHandle dialog) {
    auto it = dialogs_.find(dialog);
    return it == dialogs_.end() ? nullptr : &it->second;
}

bool FakeWindows::DispatchOrWait() {
    if (queue_.empty()) {
        return false;
    }
    auto next =
        std::min_element(queue_.begin(), queue_.end(),
                         [](const Message& a, const Message& b) { return a.dueMs < b.dueMs; });
    if (next->dueMs > clock_.NowMs()) {
        clock_.Advance(next->dueMs - clock_.NowMs());
    }
    // A message is due, so only an injected fault fails the dispatch: the
    // loop then ends as over a broken queue instead of spinning on it.
    return DispatchOneMessage();
}

int FakeWindows::RunModalDialog(unsigned templateId, WindowHandle owner, DialogEvents& events) {
    if (faults_.Fail(Op::RunModalDialog)) {
        return -1;
    }
    WindowHandle handle = nextDialog_;
    nextDialog_ += 0x10;
    FakeDialog& created = dialogs_[handle];
    created.templateId = templateId;
    created.owner = owner;
    created.events = &events;
    if (events.OnInitDialog(handle) && created.focus == 0) {
        created.focus = -1;  // the system's choice: the first tab stop
    }
    if (!dialogs_.at(handle).ended && onDialogOpen) {
        onDialogOpen(handle, templateId);
    }
    // The modal loop: the user acts through posted messages.
    while (!dialogs_.at(handle).ended) {
        if (!DispatchOrWait()) {
            dialogs_.at(handle).abandoned = true;
            dialogs_.at(handle).result = -1;
            break;
        }
    }
    FakeDialog& done = dialogs_.at(handle);
    done.open = false;
    done.events = nullptr;
    return done.result;
}

void FakeWindows::EndDialog(WindowHandle dialog, int result) {
    FakeDialog* found = DialogOf(dialog);
    if (!faults_.Fail(Op::EndDialog) && found != nullptr && !found->ended) {
        found->ended = true;
        found->result = result;
    }
}

void FakeWindows::SetWindowTitle(WindowHandle window, const char* text) {
    FakeDialog* found = DialogOf(window);
    if (!faults_.Fail(Op::SetWindowTitle) && found != nullptr) {
        found->title = text;
    }
}

void FakeWindows::CheckButton(WindowHandle dialog, int controlId, bool checked) {
    FakeDialog* found = DialogOf(dialog);
    if (!faults_.Fail(Op::CheckButton) && found != nullptr) {
        found->checked[controlId] = checked;
    }
}

void FakeWindows::EnableControl(WindowHandle dialog, int controlId, bool enabled) {
    FakeDialog* found = DialogOf(dialog);
    if (!faults_.Fail(Op::EnableControl) && found != nullptr) {
        if (enabled) {
            found->disabled.erase(controlId);
        } else {
            found->disabled.insert(controlId);
        }
    }
}

void FakeWindows::FocusControl(WindowHandle dialog, int controlId) {
    FakeDialog* found = DialogOf(dialog);
    if (!faults_.Fail(Op::FocusControl) && found != nullptr) {
        found->focus = controlId;
    }
}

WindowHandle FakeWindows::ControlWindow(WindowHandle dialog, int controlId) {
    if (faults_.Fail(Op::ControlWindow) || DialogOf(dialog) == nullptr) {
        return kNoWindow;
    }
    return ControlHandle(dialog, controlId);
}

bool FakeWindows::AddSystemMenuItem(WindowHandle window, unsigned command, const char* text) {
    FakeDialog* found = DialogOf(window);
    if (faults_.Fail(Op::AddSystemMenuItem) || found == nullptr || !dialogsHaveSystemMenu) {
        return false;
    }
    found->systemMenu.emplace_back(command, text);
    return true;
}

void FakeWindows::SetWindowIcon(WindowHandle window, unsigned iconId) {
    FakeDialog* found = DialogOf(window);
    if (!faults_.Fail(Op::SetWindowIcon) && found != nullptr) {
        found->icon = iconId;
    }
}

void FakeWindows::SetControlBitmap(WindowHandle dialog, int controlId, unsigned bitmapId) {
    FakeDialog* found = DialogOf(dialog);
    if (!faults_.Fail(Op::SetControlBitmap) && found != nullptr) {
        found->bitmaps[controlId] = bitmapId;
    }
}

bool FakeWindows::IsMinimized(WindowHandle window) {
    FakeDialog* found = DialogOf(window);
    return !faults_.Fail(Op::IsMinimized) && found != nullptr && found->minimized;
}

void FakeWindows::PaintMinimizedIcon(WindowHandle window, unsigned iconId) {
    FakeDialog* found = DialogOf(window);
    if (!faults_.Fail(Op::PaintMinimizedIcon) && found != nullptr && found->icon == iconId) {
        ++found->iconsPainted;
    }
}

void FakeWindows::SetCursorFromResource(unsigned) {
    faults_.Fail(Op::SetCursorFromResource);  // recorded for fault sweeps
}

void FakeWindows::Click(WindowHandle dialog, int controlId) {
    FakeDialog* found = DialogOf(dialog);
    if (found != nullptr && found->open && found->disabled.count(controlId) == 0) {
        found->events->OnCommand(controlId, kNotifyClicked);
    }
}

void FakeWindows::ClickRadio(WindowHandle dialog, int controlId, std::initializer_list<int> group) {
    FakeDialog* found = DialogOf(dialog);
    if (found == nullptr || !found->open || found->disabled.count(controlId) != 0) {
        return;
    }
    for (int member : group) {
        found->checked[member] = member == controlId;
    }
    found->events->OnCommand(controlId, kNotifyClicked);
}

bool FakeWindows::PointAt(WindowHandle dialog, WindowHandle window) {
    FakeDialog* found = DialogOf(dialog);
    return found != nullptr && found->open && found->events->OnSetCursor(window);
}

bool FakeWindows::Paint(WindowHandle dialog) {
    FakeDialog* found = DialogOf(dialog);
    return found != nullptr && found->open && found->events->OnPaint();
}

unsigned FakeWindows::DragIcon(WindowHandle dialog) {
    FakeDialog* found = DialogOf(dialog);
    return found != nullptr && found->open ? found->events->DragIconId() : 0;
}

}  // namespace fake
