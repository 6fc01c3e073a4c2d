#include "ui/agreement_dialog.h"

#include "resources/agreement_text.h"
#include "resources/resource_ids.h"

CAgreementDlg::CAgreementDlg(WindowServices& windows) : CDialog(windows, IDD_AGREEMENT) {}

bool CAgreementDlg::OnInitDialog() {
    Windows().SetControlText(Handle(), IDC_AGREEMENT_TEXT, kAgreementText);
    return true;  // the focus goes to Yes, the first tab stop
}
