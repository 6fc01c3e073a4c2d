// Scripted stand-ins for the system's new-hardware wizard and for the dialog
// that names the device during its installation, living in a WindowTree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/fake_window_tree.h"

namespace fake {

// The property-sheet wizard's button ids.
constexpr int kWizardBack = 12323;
constexpr int kWizardNext = 12324;
constexpr int kWizardFinish = 12325;
constexpr int kWizardCancel = 2;
// The button of the device dialog that lets the installation go on.
constexpr int kPromptContinue = 5303;

struct WizardPage {
    // The text of the page's one static control.
    std::string text;
    bool nextEnabled = true;
    bool nextVisible = true;
    bool finishEnabled = false;
    bool finishVisible = false;
    // The page moves on by itself this long after it appeared (0: never), as
    // the wizard does once it has copied the driver.
    std::uint64_t advanceAfterMs = 0;
};

struct WizardScript {
    std::string title = "Found New Hardware Wizard";
    std::vector<WizardPage> pages;
    std::uint64_t opensAtMs = 0;
};

// The wizard as Windows XP shows it for a new disk: a welcome page, a page
// that copies the driver for 3 s with neither button offered, and the last
// page with Finish; each shows the description.
WizardScript XpNewHardwareWizard(const std::string& deviceDescription, std::uint64_t opensAtMs = 0);

// A frame dialog whose first child is the page (a child dialog), followed by
// the Back, Next, Finish and Cancel buttons. Next moves to the following page
// when the page allows it, Finish closes the frame when the page allows it;
// each page is a new window, so the frame's first child changes with it.
class ScriptedWizard {
  public:
    ScriptedWizard(WindowTree& tree, WizardScript script);
    ScriptedWizard(const ScriptedWizard&) = delete;
    ScriptedWizard& operator=(const ScriptedWizard&) = delete;

    // kNoWindow before it opens and after it closed.
    WindowHandle Page() const { return page_; }

  private:
    void Open();
    void ShowPage(std::size_t index);
    void OnCommand(int commandId);

    WindowTree& tree_;
    WizardScript script_;
    WindowHandle frame_ = kNoWindow;
    WindowHandle page_ = kNoWindow;
    WindowHandle next_ = kNoWindow;
    WindowHandle finish_ = kNoWindow;
    std::size_t pageIndex_ = 0;
    std::uint64_t pageSerial_ = 0;
};

struct PromptScript {
    std::string title = "Hardware Installation";
    std::string text;
    bool closesOnContinue = true;
    std::uint64_t opensAtMs = 0;
};

// A top-level dialog showing the text in a static control, with the buttons
// 5303 and 5304.
class ScriptedPrompt {
  public:
    ScriptedPrompt(WindowTree& tree, PromptScript script);
    ScriptedPrompt(const ScriptedPrompt&) = delete;
    ScriptedPrompt& operator=(const ScriptedPrompt&) = delete;

    int Answers() const { return answers_; }

  private:
    void Open();

    WindowTree& tree_;
    PromptScript script_;
    WindowHandle dialog_ = kNoWindow;
    int answers_ = 0;
};

}  // namespace fake
