// The window services: string table, message boxes, the message queue and
// sleeping, and the controls of our own dialogs.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text.h"

using WindowHandle = std::uintptr_t;
constexpr WindowHandle kNoWindow = 0;

// Results and commands of the system's dialog handling.
constexpr int kIdOk = 1;           // IDOK
constexpr int kIdCancel = 2;       // IDCANCEL
constexpr int kNotifyClicked = 0;  // BN_CLICKED, STN_CLICKED

// What a modal dialog of ours hears from the system. Each handler returns
// whether it handled the message; what it leaves goes to the system's default
// handling.
class DialogEvents {
  public:
    // The dialog exists, its controls too. True: the system places the focus.
    virtual bool OnInitDialog(WindowHandle dialog) = 0;
    virtual bool OnCommand(int controlId, int notifyCode) = 0;
    virtual bool OnSysCommand(unsigned command) = 0;
    // The pointer moves over `window` (the dialog or one of its controls).
    // True when the handler has set the cursor.
    virtual bool OnSetCursor(WindowHandle window) = 0;
    // True when the handler painted the window.
    virtual bool OnPaint() = 0;
    // The icon to drag for the minimised window; 0 for the system's choice.
    virtual unsigned DragIconId() = 0;

  protected:
    // Never deleted through the interface.
    ~DialogEvents() = default;
};

// Message box icon flags in use.
constexpr unsigned kIconStop = 16;         // MB_ICONHAND
constexpr unsigned kIconInformation = 64;  // MB_ICONASTERISK

class WindowServices {
  public:
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
    // Milliseconds since the system started, wrapping around.
    virtual std::uint32_t TickCount() = 0;

    // Our own dialogs, from templates in the program's resources.
    // Runs the dialog until it ends; returns the result given to EndDialog, -1
    // when it could not be created.
    virtual int RunModalDialog(unsigned templateId, WindowHandle owner, DialogEvents& events) = 0;
    virtual void EndDialog(WindowHandle dialog, int result) = 0;
    virtual void SetWindowTitle(WindowHandle window, const char* text) = 0;
    virtual void CheckButton(WindowHandle dialog, int controlId, bool checked) = 0;
    virtual void EnableControl(WindowHandle dialog, int controlId, bool enabled) = 0;
    virtual void FocusControl(WindowHandle dialog, int controlId) = 0;
    virtual WindowHandle ControlWindow(WindowHandle dialog, int controlId) = 0;
    // A separator and a text item at the end of the window's system menu;
    // false when it has none.
    virtual bool AddSystemMenuItem(WindowHandle window, unsigned command, const char* text) = 0;
    // The icon resource as the window's large and small icon.
    virtual void SetWindowIcon(WindowHandle window, unsigned iconId) = 0;
    // A bitmap resource into a picture control, its first pixel's colour made
    // the window colour and its greys the 3-D colours.
    virtual void SetControlBitmap(WindowHandle dialog, int controlId, unsigned bitmapId) = 0;
    virtual bool IsMinimized(WindowHandle window) = 0;
    // Paints the minimised window: the icon resource centred in it.
    virtual void PaintMinimizedIcon(WindowHandle window, unsigned iconId) = 0;
    // The cursor resource becomes the current cursor.
    virtual void SetCursorFromResource(unsigned cursorId) = 0;

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
    // Restores the top-level window when it is minimised and makes it the
    // foreground window.
    virtual void BringToFront(WindowHandle window) = 0;

  protected:
    // Never deleted through the interface.
    ~WindowServices() = default;
};
