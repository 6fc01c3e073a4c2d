#include "app/setup_app.h"

#include "app/command_line.h"
#include "ui/agreement_dialog.h"
#include "ui/setup_dialog.h"

bool CSetupApp::InitInstance() {
    if (HasSilentSwitch(platform_.system.GetCommandLine())) {
        state_.silentMode = 1;
    }
    CAgreementDlg agreement(platform_.windows);
    if (agreement.DoModal() == kIdOk) {
        CSetupDlg dialog(platform_, state_);
        dialog.DoModal();
    }
    return false;
}

int CSetupApp::ExitCode() const {
    return ExitCodeOf(state_.outcome);
}

int RunSetupProgram(const Platform& platform) {
    CSetupApp app(platform);
    app.InitInstance();
    return app.ExitCode();
}
