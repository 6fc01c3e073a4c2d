#include "app/setup_app.h"

#include "app/command_line.h"
#include "engine/log_section.h"
#include "resources/agreement_text.h"
#include "resources/resource_ids.h"
#include "system/run_guard.h"
#include "ui/agreement_dialog.h"
#include "ui/setup_dialog.h"

namespace {

// Whether `window` has a direct child with this control id.
bool HasControl(WindowServices& windows, WindowHandle window, int controlId) {
    WindowHandle child = kNoWindow;
    while ((child = windows.NextWindow(window, child, nullptr)) != kNoWindow) {
        if (windows.GetControlId(child) == controlId) {
            return true;
        }
    }
    return false;
}

// Brings the running program's main or agreement dialog to the front: its
// caption is the program name or the agreement's, and it holds a control
// only that dialog has, so that another program's dialog of the same caption
// is left alone. False when none is on this desktop.
bool ShowRunningProgram(WindowServices& windows) {
    std::string programName = LoadBrandTexts(windows, BRAND_GROUP_FIRST_ID).programName;
    WindowHandle window = kNoWindow;
    while ((window = windows.NextWindow(kNoWindow, window, "#32770")) != kNoWindow) {
        FixedText<256> title;
        windows.ReadWindowText(window, title.Buffer());
        title.Seal();
        bool main = !programName.empty() && title == programName.c_str() &&
                    HasControl(windows, window, IDC_INSTRUCTION);
        bool agreement =
            title == kAgreementCaption && HasControl(windows, window, IDC_AGREEMENT_TEXT);
        if (windows.IsWindowVisible(window) && (main || agreement)) {
            windows.BringToFront(window);
            return true;
        }
    }
    return false;
}

// The first run is silent, still starting or on another user's desktop: the
// user is told why nothing opens rather than left clicking again.
void TellAnotherRunWorks(WindowServices& windows) {
    std::string programName = LoadBrandTexts(windows, BRAND_GROUP_FIRST_ID).programName;
    windows.MessageBox(kNoWindow, windows.LoadString(IDS_ALREADY_RUNNING).c_str(),
                       programName.c_str(), kIconInformation);
}

}  // namespace

bool CSetupApp::InitInstance() {
    if (HasSilentSwitch(platform_.facts.GetCommandLine())) {
        state_.silentMode = 1;
    }
    // Two runs at once would set aside and restore the same system files
    // under each other's hands, and could lose the only copy of one.
    RunGuard guard(platform_.facts, platform_.process);
    if (!guard.Held()) {
        if (state_.silentMode == 0 && !ShowRunningProgram(platform_.windows)) {
            TellAnotherRunWorks(platform_.windows);
        }
        state_.outcome = RunOutcome::AlreadyRunning;
        return false;
    }
    CAgreementDlg agreement(platform_.windows);
    if (agreement.DoModal() != kIdOk) {
        return false;
    }
    // The run's changes are logged as they happen; the section is written
    // once, through the plain services, after the dialog has ended.
    RunLog log(platform_.facts);
    platform_.files.runLog = &log;
    platform_.devices.runLog = &log;
    CSetupDlg dialog(platform_, state_);
    dialog.DoModal();
    platform_.files.runLog = nullptr;
    platform_.devices.runLog = nullptr;
    if (!state_.windowsDir.empty()) {
        RunFacts facts{state_.osKind, state_.road, OutcomeText(state_.outcome), ExitCode()};
        AppendRunLog(platform_.files, platform_.facts, state_.windowsDir.c_str(), log, facts);
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
