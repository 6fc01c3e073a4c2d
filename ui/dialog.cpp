#include "ui/dialog.h"

bool CDialog::OnCommand(int controlId, int notifyCode) {
    if (notifyCode != kNotifyClicked) {
        return false;
    }
    if (controlId == kIdOk) {
        OnOK();
        return true;
    }
    if (controlId == kIdCancel) {
        OnCancel();
        return true;
    }
    return false;
}
