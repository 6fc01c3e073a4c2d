#include "platform/fake/fake_window_tree.h"

#include <algorithm>
#include <utility>

#include "platform/fake/fake_windows.h"
#include "platform/text.h"

namespace fake {

namespace {

// Window class names compare without regard to case.
bool SameClass(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

WindowTree::WindowTree(VirtualClock& clock) : clock_(clock) {}

WindowHandle WindowTree::Add(WindowHandle parent, const std::string& className,
                             const std::string& text, int controlId) {
    if (parent != kNoWindow && !Exists(parent)) {
        return kNoWindow;
    }
    WindowHandle handle = nextHandle_;
    nextHandle_ += 4;
    Window window;
    window.parent = parent;
    window.className = className;
    window.text = text;
    window.controlId = controlId;
    windows_[handle] = std::move(window);
    // A new top-level window comes to the top, a new child goes below its
    // older siblings (the order of a dialog's controls), as on Windows.
    std::vector<WindowHandle>& siblings = SiblingsOf(parent);
    siblings.insert(parent == kNoWindow ? siblings.begin() : siblings.end(), handle);
    return handle;
}

void WindowTree::Remove(WindowHandle window) {
    Window* found = Find(window);
    if (found == nullptr) {
        return;
    }
    std::vector<WindowHandle> inside = children_[window];
    for (WindowHandle child : inside) {
        Remove(child);
    }
    children_.erase(window);
    std::vector<WindowHandle>& siblings = SiblingsOf(found->parent);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    windows_.erase(window);
}

void WindowTree::BringToTop(WindowHandle window) {
    Window* found = Find(window);
    if (found == nullptr) {
        return;
    }
    std::vector<WindowHandle>& siblings = SiblingsOf(found->parent);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    siblings.insert(siblings.begin(), window);
}

void WindowTree::SetText(WindowHandle window, const std::string& text) {
    if (Window* found = Find(window)) {
        found->text = text;
    }
}

void WindowTree::SetEnabled(WindowHandle window, bool enabled) {
    if (Window* found = Find(window)) {
        found->enabled = enabled;
    }
}

void WindowTree::SetVisible(WindowHandle window, bool visible) {
    if (Window* found = Find(window)) {
        found->visible = visible;
    }
}

void WindowTree::OnCommand(WindowHandle window, std::function<void(int)> handler) {
    if (Window* found = Find(window)) {
        found->onCommand = std::move(handler);
    }
}

void WindowTree::At(std::uint64_t atMs, std::function<void()> change) {
    changes_.push_back(Change{atMs, nextChange_++, std::move(change)});
}

bool WindowTree::Exists(WindowHandle window) const {
    return windows_.count(window) != 0;
}

std::uint64_t WindowTree::NowMs() const {
    return clock_.NowMs();
}

void WindowTree::ApplyDueChanges() {
    // A change may schedule or make others; those wait for the next query.
    if (applying_) {
        return;
    }
    applying_ = true;
    for (;;) {
        auto due = changes_.end();
        for (auto it = changes_.begin(); it != changes_.end(); ++it) {
            bool earlier = due == changes_.end() || it->atMs < due->atMs ||
                           (it->atMs == due->atMs && it->order < due->order);
            if (it->atMs <= clock_.NowMs() && earlier) {
                due = it;
            }
        }
        if (due == changes_.end()) {
            break;
        }
        std::function<void()> apply = std::move(due->apply);
        changes_.erase(due);
        apply();
    }
    applying_ = false;
}

std::vector<WindowHandle>& WindowTree::SiblingsOf(WindowHandle parent) {
    return children_[parent];
}

WindowTree::Window* WindowTree::Find(WindowHandle window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : &it->second;
}

WindowHandle WindowTree::Next(WindowHandle parent, WindowHandle after, const char* className) {
    ApplyDueChanges();
    if (parent != kNoWindow && !Exists(parent)) {
        return kNoWindow;
    }
    const std::vector<WindowHandle>& siblings = SiblingsOf(parent);
    auto it = siblings.begin();
    if (after != kNoWindow) {
        it = std::find(siblings.begin(), siblings.end(), after);
        if (it == siblings.end()) {
            return kNoWindow;
        }
        ++it;
    }
    for (; it != siblings.end(); ++it) {
        if (className == nullptr || SameClass(windows_[*it].className, className)) {
            return *it;
        }
    }
    return kNoWindow;
}

std::string WindowTree::Text(WindowHandle window) {
    ApplyDueChanges();
    Window* found = Find(window);
    return found == nullptr ? std::string() : found->text;
}

int WindowTree::ControlId(WindowHandle window) {
    ApplyDueChanges();
    Window* found = Find(window);
    return found == nullptr ? 0 : found->controlId;
}

bool WindowTree::Enabled(WindowHandle window) {
    ApplyDueChanges();
    Window* found = Find(window);
    return found != nullptr && found->enabled;
}

bool WindowTree::Visible(WindowHandle window) {
    ApplyDueChanges();
    for (Window* found = Find(window); found != nullptr; found = Find(found->parent)) {
        if (!found->visible) {
            return false;
        }
        if (found->parent == kNoWindow) {
            return true;
        }
    }
    return false;
}

void WindowTree::Command(WindowHandle dialog, int commandId) {
    ApplyDueChanges();
    commands_.push_back(SentCommand{dialog, commandId, clock_.NowMs()});
    Window* found = Find(dialog);
    if (found == nullptr || !found->onCommand) {
        return;
    }
    // The handler may destroy the window that holds it.
    std::function<void(int)> handler = found->onCommand;
    handler(commandId);
}

}  // namespace fake
