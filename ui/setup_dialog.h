// The program's working window: it reads the package and the system when it
// opens, then runs the silent install, refuses the system, or lets the user
// choose and start an install or an uninstall.
#pragma once

#include "engine/setup_context.h"
#include "platform/platform.h"
#include "ui/dialog.h"
#include "ui/dialog_channel.h"
#include "ui/program_state.h"

// The About item of the system menu.
constexpr unsigned kAboutCommand = 16;

class CSetupDlg : public CDialog {
  public:
    CSetupDlg(const Platform& platform, ProgramState& state);

    const SetupContext& Context() const { return ctx_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int controlId, int notifyCode) override;
    bool OnSysCommand(unsigned command) override;
    bool OnSetCursor(WindowHandle window) override;
    bool OnPaint() override;
    unsigned DragIconId() override;

  private:
    void OnStart();
    void OnInstallSelected() { SelectRoad(1); }
    void OnUninstallSelected() { SelectRoad(0); }
    void SelectRoad(int installSelected);
    void OnLogoClicked();

    // The end of the dialog's opening, when something decides the run.
    void Finish(RunOutcome outcome);
    void ReadMachine();
    void SetCaptions();

    Platform platform_;
    ProgramState& state_;
    SetupContext ctx_;
    DialogChannel channel_;
};
