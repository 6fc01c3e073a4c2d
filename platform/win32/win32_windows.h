// Window services over the real Windows calls (USER32 and KERNEL32, ANSI).
#pragma once

#include <string>

#include "platform/window_services.h"

class Win32Windows : public WindowServices {
  public:
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
};
