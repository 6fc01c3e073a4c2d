// Answers the system's new-hardware wizard for the flash disk: finds it by the
// device description, presses Next until it can be finished, answers the
// dialog that names the device, and presses Finish, moving the progress bar.
#pragma once

#include "platform/run_log.h"
#include "platform/setup_channel.h"
#include "platform/window_services.h"

// The platform's dialog class and the property-sheet wizard's buttons.
constexpr const char* kDialogClassName = "#32770";
constexpr int kWizardNextId = 12324;
constexpr int kWizardFinishId = 12325;
// The command that lets the installation of the named device go on.
constexpr int kContinueInstallId = 5303;

// The first dialog among the direct children of `parent` (the top-level
// windows with kNoWindow) that has a direct child whose text contains `text`
// (case-sensitive); kNoWindow when none has.
WindowHandle FindDialogShowingText(WindowServices& windows, WindowHandle parent, const char* text);

// The first direct child of `parent` with the control id; kNoWindow if none.
WindowHandle FindChildById(WindowServices& windows, WindowHandle parent, int id);

// Looks for a top-level dialog holding a page that shows `text`, 120 times
// with a pause of 500 ms that handles our messages, moving the bar from
// `from` towards `to`. The frame (not the page), or kNoWindow.
WindowHandle WaitForWizard(WindowServices& windows, SetupChannel& channel, const char* text,
                           int from, int to);

// The whole automation; true only when it pressed Finish. Gives up when no
// wizard appears, when it lacks a page or its Next or Finish button, after
// 160 cycles of 500 ms in a row without progress, and after 720 cycles in all.
// Each page answered is a line of `log` when one is kept.
bool DriveNewHardwareWizard(WindowServices& windows, SetupChannel& channel,
                            const char* deviceDescription, int from, int to, RunLog* log);
