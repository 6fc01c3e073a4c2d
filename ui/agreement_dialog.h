// The license agreement shown before anything else: Yes goes on, No ends.
#pragma once

#include "ui/dialog.h"

class CAgreementDlg : public CDialog {
  public:
    explicit CAgreementDlg(WindowServices& windows);

  protected:
    bool OnInitDialog() override;
};
