// The fake machine's windows of other programs (and of the system): a tree of
// top-level and child windows with classes, texts, control ids, states and
// command handlers, changing on their own schedule on the virtual clock.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/window_services.h"

namespace fake {

class VirtualClock;

constexpr const char* kDialogClass = "#32770";

struct SentCommand {
    WindowHandle dialog;
    int commandId;
    std::uint64_t atMs;
};

class WindowTree {
  public:
    explicit WindowTree(VirtualClock& clock);

    // A new window: top-level (kNoWindow parent) ones first among the
    // top-level windows, children last among their siblings.
    WindowHandle Add(WindowHandle parent, const std::string& className, const std::string& text,
                     int controlId = 0);
    // Destroys the window and everything inside it.
    void Remove(WindowHandle window);
    // Makes the window the first among its siblings.
    void BringToTop(WindowHandle window);
    void SetText(WindowHandle window, const std::string& text);
    void SetEnabled(WindowHandle window, bool enabled);
    void SetVisible(WindowHandle window, bool visible);
    // Runs when the window is sent a command; may change the tree.
    void OnCommand(WindowHandle window, std::function<void(int commandId)> handler);
    // A change the system makes by itself once the virtual clock reaches `atMs`.
    void At(std::uint64_t atMs, std::function<void()> change);

    bool Exists(WindowHandle window) const;
    std::uint64_t NowMs() const;
    // Every command sent, in order, to windows that existed or not.
    const std::vector<SentCommand>& Commands() const { return commands_; }

    // What the window services see; each first applies the changes now due.
    WindowHandle Next(WindowHandle parent, WindowHandle after, const char* className);
    std::string Text(WindowHandle window);
    int ControlId(WindowHandle window);
    bool Enabled(WindowHandle window);
    bool Visible(WindowHandle window);
    void Command(WindowHandle dialog, int commandId);

  private:
    struct Window {
        WindowHandle parent = kNoWindow;
        std::string className;
        std::string text;
        int controlId = 0;
        bool enabled = true;
        bool visible = true;
        std::function<void(int)> onCommand;
    };
    struct Change {
        std::uint64_t atMs;
        std::uint64_t order;
        std::function<void()> apply;
    };

    void ApplyDueChanges();
    std::vector<WindowHandle>& SiblingsOf(WindowHandle parent);
    Window* Find(WindowHandle window);

    VirtualClock& clock_;
    std::map<WindowHandle, Window> windows_;
    // Children in window order; kNoWindow holds the top-level windows.
    std::map<WindowHandle, std::vector<WindowHandle>> children_;
    std::vector<Change> changes_;
    std::uint64_t nextChange_ = 0;
    WindowHandle nextHandle_ = 0x10010;
    std::vector<SentCommand> commands_;
    bool applying_ = false;
};

}  // namespace fake
