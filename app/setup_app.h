// The application object: the silent switch, the agreement, then the main
// dialog. The whole program runs from InitInstance.
#pragma once

#include "platform/platform.h"
#include "platform/program_main.h"
#include "ui/program_state.h"

class CSetupApp {
  public:
    explicit CSetupApp(const Platform& platform) : platform_(platform) {}

    // Runs the program; false in every case, so that no message loop follows.
    bool InitInstance();

    const ProgramState& State() const { return state_; }
    int ExitCode() const;

  private:
    Platform platform_;
    ProgramState state_;
};
