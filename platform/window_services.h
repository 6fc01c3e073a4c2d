// The window services: string table, message boxes, the message queue and
// sleeping, and the controls of our own dialogs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"

using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;

// Message box icon flags in use.
constexpr unsigned kIconStop = 16;         // MB_ICONHAND
constexpr unsigned kIconInformation = 64;  // MB_ICONASTERISK

class WindowServices {
  public:
    virtual ~WindowServices() = default;

    // Text of a string id in the system's language; empty for a missing id.
    // A text of any length loads whole.
    virtual std::string LoadString(unsigned id) = 0;

    // Modal box with one OK button; returns the pressed button's id, 0 when no
    // box could be shown.
    virtual int MessageBox(WindowHandle owner, const char* text, const char* caption,
                           unsigned flags) = 0;

    // Removes, translates and dispatches at most one queued message of the
    // thread; false when none was waiting.
    virtual bool DispatchOneMessage() = 0;
    virtual void Sleep(unsigned ms) = 0;

    virtual void SetControlText(WindowHandle dialog, int controlId, const char* text) = 0;
    // PBM_SETPOS on a progress bar.
    virtual void SetProgressPosition(WindowHandle dialog, int controlId, int position) = 0;

    // Other programs' windows as well as ours.
    // The next direct child of `parent` (of the desktop with kNoWindow) after
    // `after` (from the first with kNoWindow), in the system's window order,
    // of the window class `className` (any class with nullptr). kNoWindow when
    // there is none more, or `after` is no child of `parent`.
    virtual WindowHandle NextWindow(WindowHandle parent, WindowHandle after,
                                    const char* className) = 0;
    // The window's text, cut to fit `out` with its NUL; empty when the window
    // is gone.
    virtual void ReadWindowText(WindowHandle window, TextBuffer out) = 0;
    // A child window's control id; 0 when the window is gone.
    virtual int GetControlId(WindowHandle window) = 0;
    virtual bool IsWindowEnabled(WindowHandle window) = 0;
    // False also when the window or one of its parents is hidden.
    virtual bool IsWindowVisible(WindowHandle window) = 0;
    // WM_COMMAND with `commandId`, notification 0 and no control: presses that
    // control of the dialog. Returns once the dialog has handled it.
    virtual void SendCommand(WindowHandle dialog, int commandId) = 0;
};
