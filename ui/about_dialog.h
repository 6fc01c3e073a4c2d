// The About box: the program name in its title and the brand's About text.
#pragma once

#include "ui/brand_texts.h"
#include "ui/dialog.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg(WindowServices& windows, const BrandTexts& brand);

  protected:
    bool OnInitDialog() override;

  private:
    const BrandTexts& brand_;
};
