#include "ui/setup_dialog.h"

#include "engine/package_reader.h"
#include "engine/sequences.h"
#include "platform/os_kind.h"
#include "resources/resource_ids.h"
#include "system/os_classification.h"
#include "ui/about_dialog.h"
#include "ui/web_link.h"

CSetupDlg::CSetupDlg(const Platform& platform, ProgramState& state)
    : CDialog(platform.windows, IDD_SETUP),
      platform_(platform),
      state_(state),
      channel_(platform.windows, kNoWindow, state.brand) {}

void CSetupDlg::SetCaptions() {
    WindowServices& windows = Windows();
    windows.SetWindowTitle(Handle(), state_.brand.programName.c_str());
    static const struct {
        int control;
        unsigned text;
    } captions[] = {
        {IDC_SELECT_GROUP, IDS_SELECT_INSTALL_UNINSTALL},
        {IDC_INSTALL, IDS_INSTALL_OR_UPDATE},
        {IDC_UNINSTALL, IDS_UNINSTALL},
        {IDC_START, IDS_START},
        {kIdCancel, IDS_CANCEL},
    };
    for (const auto& caption : captions) {
        windows.SetControlText(Handle(), caption.control, windows.LoadString(caption.text).c_str());
    }
}

void CSetupDlg::ReadMachine() {
    ctx_.osKind = ClassifyWindows(platform_.facts);
    ctx_.infOnlyMode = InfOnlyModeOf(ctx_.osKind);
    SystemFacts& system = platform_.facts;
    auto isLeadByte = [&system](unsigned char byte) { return system.IsLeadByte(byte); };
    // A folder that cannot be read is never guessed: the program's folder then
    // stays empty, and the package is not found.
    FolderText folder;
    if (!system.GetWindowsDirectory(folder.Buffer())) {
        return;
    }
    // Windows at a drive's root reports "C:\"; paths add their own backslash.
    std::size_t last = LastBackslash(folder.c_str(), isLeadByte);
    if (last != kNoBackslash && last + 1 == folder.size()) {
        folder.Truncate(last);
    }
    ctx_.windowsDir = folder;
    if (system.GetModulePath(folder.Buffer())) {
        // The program's folder: its path cut at the last backslash.
        last = LastBackslash(folder.c_str(), isLeadByte);
        if (last != kNoBackslash) {
            folder.Truncate(last);
        }
        ctx_.sourceDir = folder;
    }
}

void CSetupDlg::Finish(RunOutcome outcome) {
    state_.outcome = outcome;
    EndDialog(kIdCancel);
}

bool CSetupDlg::OnInitDialog() {
    WindowServices& windows = Windows();
    channel_.Attach(Handle());

    std::string about = windows.LoadString(IDS_ABOUTBOX) + "...";
    if (about != "...") {
        windows.AddSystemMenuItem(Handle(), kAboutCommand, about.c_str());
    }
    windows.SetWindowIcon(Handle(), IDI_PROGRAM);
    state_.brand = LoadBrandTexts(windows, BRAND_GROUP_FIRST_ID);
    windows.SetControlBitmap(Handle(), IDC_LOGO, IDB_LOGO);
    SetCaptions();

    ReadMachine();
    state_.osKind = ctx_.osKind;
    state_.windowsDir = ctx_.windowsDir;
    if (!LoadPackage(platform_.files, platform_.infs, channel_, ctx_)) {
        Finish(RunOutcome::PackageUnusable);
        return false;
    }
    ctx_.installSelected = 1;
    windows.CheckButton(Handle(), IDC_INSTALL, true);
    windows.CheckButton(Handle(), IDC_UNINSTALL, false);

    if (state_.silentMode == 1) {
        state_.road = "silent install";
        SetupServices services = ServicesFor(platform_, windows, channel_);
        bool ok = RunSilentInstall(services, ctx_);
        Finish(ok ? RunOutcome::Completed : RunOutcome::Failed);
        return false;
    }
    if (RefusesSystem(ctx_)) {
        channel_.ShowMessage(IDS_WINDOWS98_ONLY, kIconStop);
        Finish(RunOutcome::SystemRefused);
        return false;
    }
    windows.SetControlText(Handle(), IDC_INSTRUCTION, windows.LoadString(IDS_INSTRUCTION).c_str());
    channel_.ClearStatus();
    windows.FocusControl(Handle(), IDC_START);
    return false;
}

bool CSetupDlg::OnCommand(int controlId, int notifyCode) {
    if (notifyCode == kNotifyClicked) {
        switch (controlId) {
            case IDC_START:
                OnStart();
                return true;
            case IDC_INSTALL:
                OnInstallSelected();
                return true;
            case IDC_UNINSTALL:
                OnUninstallSelected();
                return true;
            case IDC_LOGO:
                OnLogoClicked();
                return true;
            default:
                break;
        }
    }
    return CDialog::OnCommand(controlId, notifyCode);
}

void CSetupDlg::OnStart() {
    WindowServices& windows = Windows();
    windows.EnableControl(Handle(), IDC_START, false);
    windows.EnableControl(Handle(), kIdCancel, false);
    channel_.PumpMessages(300);

    // Read once: a radio click during a pause changes neither the sequence
    // nor its closing message.
    bool install = ctx_.installSelected == 1;
    state_.road = !install ? "uninstall" : ctx_.infOnlyMode != 0 ? "short install" : "install";
    SetupServices services = ServicesFor(platform_, windows, channel_);
    bool ok = install ? RunInstall(services, ctx_) : RunUninstall(services, ctx_);

    windows.EnableControl(Handle(), IDC_START, true);
    windows.EnableControl(Handle(), kIdCancel, true);
    channel_.ClearStatus();
    unsigned message = install ? (ok ? IDS_INSTALL_DONE_REPLUG : IDS_INSTALL_FAILED)
                               : (ok ? IDS_UNINSTALL_COMPLETE : IDS_UNINSTALL_FAILED);
    channel_.ShowMessage(message, ok ? kIconInformation : kIconStop);
    Finish(ok ? RunOutcome::Completed : RunOutcome::Failed);
}

void CSetupDlg::SelectRoad(int installSelected) {
    ctx_.installSelected = installSelected;
    channel_.SetProgress(0);
    channel_.ClearStatus();
}

bool CSetupDlg::OnSysCommand(unsigned command) {
    if ((command & 0xFFF0u) != kAboutCommand) {
        return false;
    }
    CAboutDlg about(Windows(), state_.brand);
    about.DoModal(Handle());
    return true;
}

bool CSetupDlg::OnSetCursor(WindowHandle window) {
    // The hand only over a link that a click can open.
    LaunchCommand command;
    if (window != Windows().ControlWindow(Handle(), IDC_LOGO) ||
        !BuildLaunchCommand(state_.brand.linkText, &command)) {
        return false;
    }
    Windows().SetCursorFromResource(IDC_LINK_HAND);
    return true;
}

void CSetupDlg::OnLogoClicked() {
    LaunchCommand command;
    LauncherPath program;
    if (BuildLaunchCommand(state_.brand.linkText, &command) &&
        BuildLauncherPath(ctx_.windowsDir.c_str(), &program)) {
        platform_.process.StartProgram(program.c_str(), command.c_str());
    }
}

bool CSetupDlg::OnPaint() {
    if (!Windows().IsMinimized(Handle())) {
        return false;
    }
    Windows().PaintMinimizedIcon(Handle(), IDI_PROGRAM);
    return true;
}

unsigned CSetupDlg::DragIconId() {
    return IDI_PROGRAM;
}
