#include "app/setup_app.h"

#include "app/command_line.h"
#include "resources/agreement_text.h"
#include "resources/resource_ids.h"
#include "ui/agreement_dialog.h"
#include "ui/setup_dialog.h"

namespace {

// Held from before the agreement until the program ends, whichever way.
class RunGuard {
  public:
    explicit RunGuard(SystemServices& system) : system_(system), held_(system.TakeRunGuard()) {}
    ~RunGuard() {
        if (held_) {
            system_.ReleaseRunGuard();
        }
    }
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
    bool Held() const { return held_; }

  private:
    SystemServices& system_;
    bool held_;
};

// The running program's topmost dialog or box: its caption is the program
// name, or the agreement's before the main dialog opens.
void ShowRunningProgram(WindowServices& windows) {
    std::string programName = LoadBrandTexts(windows, BRAND_GROUP_FIRST_ID).programName;
    WindowHandle window = kNoWindow;
    while ((window = windows.NextWindow(kNoWindow, window, "#32770")) != kNoWindow) {
        FixedText<256> title;
        windows.ReadWindowText(window, title.Buffer());
        title.Seal();
        if (windows.IsWindowVisible(window) &&
            ((!programName.empty() && title == programName.c_str()) ||
             title == kAgreementCaption)) {
            windows.BringToFront(window);
            return;
        }
    }
}

}  // namespace

bool CSetupApp::InitInstance() {
    if (HasSilentSwitch(platform_.system.GetCommandLine())) {
        state_.silentMode = 1;
    }
    // Two runs at once would set aside and restore the same system files
    // under each other's hands, and could lose the only copy of one.
    RunGuard guard(platform_.system);
    if (!guard.Held()) {
        if (state_.silentMode == 0) {
            ShowRunningProgram(platform_.windows);
        }
        state_.outcome = RunOutcome::AlreadyRunning;
        return false;
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
