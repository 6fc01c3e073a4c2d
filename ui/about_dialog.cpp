#include "ui/about_dialog.h"

#include "resources/resource_ids.h"

CAboutDlg::CAboutDlg(WindowServices& windows, const BrandTexts& brand)
    : CDialog(windows, IDD_ABOUTBOX), brand_(brand) {}

bool CAboutDlg::OnInitDialog() {
    std::string title = Windows().LoadString(IDS_ABOUTBOX) + brand_.programName;
    Windows().SetWindowTitle(Handle(), title.c_str());
    Windows().SetControlText(Handle(), IDC_ABOUT_TEXT, brand_.aboutText.c_str());
    return true;
}
