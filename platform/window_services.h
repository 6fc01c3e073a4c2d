// The window services: string table, message boxes, the message queue and
// sleeping, and the controls of our own dialogs.
#pragma once

#include <cstdint>
#include <string>

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
};
