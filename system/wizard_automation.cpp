#include "system/wizard_automation.h"

#include <cstring>

#include "platform/run_log.h"
#include "platform/text.h"

namespace {

constexpr int kSearchCycles = 120;
constexpr unsigned kCycleMs = 500;
constexpr int kPrimingPresses = 2;
constexpr int kIdleCyclesToGiveUp = 160;
constexpr int kProgressSteps = 160;
// A dialog that keeps showing the description after each answer restarts the
// idle count every cycle; this ends the watch all the same (about 6 minutes).
constexpr int kMaxWatchCycles = 720;
// Window order can change while it is walked; a walk of more windows than a
// desktop holds is one that goes round in circles.
constexpr int kMaxSiblings = 4096;

// A window's text as GetWindowTextA gives it with a size of 255.
using WindowText = FixedText<256>;

bool ShowsText(WindowServices& windows, WindowHandle window, const char* text) {
    WindowText shown;
    windows.ReadWindowText(window, TextBuffer{shown.Buffer().data, 255});
    shown.Seal();
    return std::strstr(shown.c_str(), text) != nullptr;
}

bool CanPress(WindowServices& windows, WindowHandle button) {
    return windows.IsWindowEnabled(button) && windows.IsWindowVisible(button);
}

WindowHandle FirstChild(WindowServices& windows, WindowHandle parent) {
    return windows.NextWindow(parent, kNoWindow, nullptr);
}

// Calls `found` for each direct child of `parent` of the class (any with
// nullptr) until it returns true; that child, or kNoWindow.
template <typename Found>
WindowHandle FindChild(WindowServices& windows, WindowHandle parent, const char* className,
                       Found found) {
    WindowHandle child = kNoWindow;
    for (int i = 0; i < kMaxSiblings; ++i) {
        child = windows.NextWindow(parent, child, className);
        if (child == kNoWindow || found(child)) {
            return child;
        }
    }
    return kNoWindow;
}

}  // namespace

WindowHandle FindDialogShowingText(WindowServices& windows, WindowHandle parent, const char* text) {
    return FindChild(windows, parent, kDialogClassName, [&](WindowHandle dialog) {
        return FindChild(windows, dialog, nullptr, [&](WindowHandle control) {
                   return ShowsText(windows, control, text);
               }) != kNoWindow;
    });
}

WindowHandle FindChildById(WindowServices& windows, WindowHandle parent, int id) {
    return FindChild(windows, parent, nullptr,
                     [&](WindowHandle child) { return windows.GetControlId(child) == id; });
}

WindowHandle WaitForWizard(WindowServices& windows, SetupChannel& channel, const char* text,
                           int from, int to) {
    for (int cycle = 0; cycle < kSearchCycles; ++cycle) {
        // The page shows the text, so the frame is the dialog whose child
        // dialog shows it.
        WindowHandle frame = FindChild(windows, kNoWindow, kDialogClassName, [&](WindowHandle top) {
            return FindDialogShowingText(windows, top, text) != kNoWindow;
        });
        if (frame != kNoWindow) {
            return frame;
        }
        channel.PumpMessages(kCycleMs);
        channel.SetProgress(from + (to - from) * cycle / kSearchCycles);
    }
    return kNoWindow;
}

bool DriveNewHardwareWizard(WindowServices& windows, SetupChannel& channel,
                            const char* deviceDescription, int from, int to, RunLog* log) {
    // An empty pattern is in every window text: it would take any dialog for
    // the wizard and answer our own dialog in every cycle.
    if (deviceDescription == nullptr || deviceDescription[0] == '\0') {
        return false;
    }
    int mid = from + (to - from) / 3;
    WindowHandle wizard = WaitForWizard(windows, channel, deviceDescription, from, mid);
    if (wizard == kNoWindow) {
        return false;
    }
    WindowHandle pageMarker = FirstChild(windows, wizard);
    if (pageMarker == kNoWindow) {
        return false;
    }
    WindowHandle next = FindChildById(windows, wizard, kWizardNextId);
    WindowHandle finish = FindChildById(windows, wizard, kWizardFinishId);
    if (next == kNoWindow || finish == kNoWindow) {
        return false;
    }
    for (int priming = 0; priming < kPrimingPresses; ++priming) {
        windows.SendCommand(wizard, kWizardNextId);
        Note(log, "wizard page answered: Next");
        windows.Sleep(kCycleMs);
    }

    int idle = 0;
    int progress = 0;
    for (int cycle = 0; cycle < kMaxWatchCycles; ++cycle) {
        WindowHandle prompt = FindDialogShowingText(windows, kNoWindow, deviceDescription);
        if (prompt != kNoWindow) {
            windows.SendCommand(prompt, kContinueInstallId);
            idle = 0;
        }
        WindowHandle page = FirstChild(windows, wizard);
        if (page != pageMarker) {
            if (CanPress(windows, next)) {
                windows.SendCommand(wizard, kWizardNextId);
                Note(log, "wizard page answered: Next");
            } else if (CanPress(windows, finish)) {
                windows.SendCommand(wizard, kWizardFinishId);
                Note(log, "wizard page answered: Finish");
                return true;
            }
            idle = 0;
            pageMarker = page;
        }
        windows.Sleep(kCycleMs);
        if (progress < kProgressSteps) {
            ++progress;
        }
        channel.SetProgress(mid + (to - mid) * progress / kProgressSteps);
        if (++idle >= kIdleCyclesToGiveUp) {
            return false;
        }
    }
    return false;
}
