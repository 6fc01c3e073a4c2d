// Window services over the real Windows calls (USER32 and KERNEL32, ANSI).
#pragma once

#include <string>

#include "platform/window_services.h"

class Win32Windows : public WindowServices {
  public:
    Win32Windows();

    std::string LoadString(unsigned id) override;
    int MessageBox(WindowHandle owner, const char* text, const char* caption,
                   unsigned flags) override;
    bool DispatchOneMessage() override;
    void Sleep(unsigned ms) override;
    std::uint32_t TickCount() override;
    int RunModalDialog(unsigned templateId, WindowHandle owner, DialogEvents& events) override;
    void EndDialog(WindowHandle dialog, int result) override;
    void SetWindowTitle(WindowHandle window, const char* text) override;
    void CheckButton(WindowHandle dialog, int controlId, bool checked) override;
    void EnableControl(WindowHandle dialog, int controlId, bool enabled) override;
    void FocusControl(WindowHandle dialog, int controlId) override;
    WindowHandle ControlWindow(WindowHandle dialog, int controlId) override;
    bool AddSystemMenuItem(WindowHandle window, unsigned command, const char* text) override;
    void SetWindowIcon(WindowHandle window, unsigned iconId) override;
    void SetControlBitmap(WindowHandle dialog, int controlId, unsigned bitmapId) override;
    bool IsMinimized(WindowHandle window) override;
    void PaintMinimizedIcon(WindowHandle window, unsigned iconId) override;
    void SetCursorFromResource(unsigned cursorId) override;
    void SetControlText(WindowHandle dialog, int controlId, const char* text) override;
    void SetProgressPosition(WindowHandle dialog, int controlId, int position) override;
    WindowHandle NextWindow(WindowHandle parent, WindowHandle after,
                            const char* className) override;
    void ReadWindowText(WindowHandle window, TextBuffer out) override;
    int GetControlId(WindowHandle window) override;
    bool IsWindowEnabled(WindowHandle window) override;
    bool IsWindowVisible(WindowHandle window) override;
    void SendCommand(WindowHandle dialog, int commandId) override;
    void BringToFront(WindowHandle window) override;
};
