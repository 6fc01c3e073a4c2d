// Our stand-in for the framework's dialog class: a modal dialog from a template
// whose messages reach virtual handlers. OK and Cancel end it.
#pragma once

#include "platform/window_services.h"

class CDialog : public DialogEvents {
  public:
    CDialog(WindowServices& windows, unsigned templateId)
        : windows_(windows), templateId_(templateId) {}
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog; returns the result it ended with.
    int DoModal(WindowHandle owner = kNoWindow) {
        return windows_.RunModalDialog(templateId_, owner, *this);
    }
    void EndDialog(int result) { windows_.EndDialog(handle_, result); }
    WindowHandle Handle() const { return handle_; }

  protected:
    WindowServices& Windows() { return windows_; }

    // After the dialog exists. True: the system places the focus.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(kIdOk); }
    virtual void OnCancel() { EndDialog(kIdCancel); }

    bool OnInitDialog(WindowHandle dialog) final {
        handle_ = dialog;
        return OnInitDialog();
    }
    bool OnCommand(int controlId, int notifyCode) override;
    bool OnSysCommand(unsigned) override { return false; }
    bool OnSetCursor(WindowHandle) override { return false; }
    bool OnPaint() override { return false; }
    unsigned DragIconId() override { return 0; }

  private:
    WindowServices& windows_;
    unsigned templateId_;
    WindowHandle handle_ = kNoWindow;
};
