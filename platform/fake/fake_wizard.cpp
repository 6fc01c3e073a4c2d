#include "platform/fake/fake_wizard.h"

#include <utility>

namespace fake {

WizardScript XpNewHardwareWizard(const std::string& deviceDescription, std::uint64_t opensAtMs) {
    WizardScript script;
    script.opensAtMs = opensAtMs;
    WizardPage welcome;
    welcome.text = "This wizard helps you install software for:\n" + deviceDescription;
    WizardPage copying;
    copying.text = "Please wait while the wizard installs the software...\n" + deviceDescription;
    copying.nextEnabled = false;
    copying.advanceAfterMs = 3000;
    WizardPage done;
    done.text = "The wizard has finished installing the software for:\n" + deviceDescription;
    done.nextEnabled = false;
    done.nextVisible = false;
    done.finishEnabled = true;
    done.finishVisible = true;
    script.pages = {welcome, copying, done};
    return script;
}

ScriptedWizard::ScriptedWizard(WindowTree& tree, WizardScript script)
    : tree_(tree), script_(std::move(script)) {
    tree_.At(script_.opensAtMs, [this] { Open(); });
}

void ScriptedWizard::Open() {
    if (script_.pages.empty()) {
        return;
    }
    frame_ = tree_.Add(kNoWindow, kDialogClass, script_.title);
    tree_.Add(frame_, "Button", "< &Back", kWizardBack);
    next_ = tree_.Add(frame_, "Button", "&Next >", kWizardNext);
    finish_ = tree_.Add(frame_, "Button", "Finish", kWizardFinish);
    tree_.Add(frame_, "Button", "Cancel", kWizardCancel);
    tree_.OnCommand(frame_, [this](int commandId) { OnCommand(commandId); });
    ShowPage(0);
}

void ScriptedWizard::ShowPage(std::size_t index) {
    const WizardPage& page = script_.pages[index];
    tree_.Remove(page_);
    page_ = tree_.Add(frame_, kDialogClass, "");
    tree_.Add(page_, "Static", page.text, 1000 + static_cast<int>(index));
    tree_.BringToTop(page_);
    tree_.SetEnabled(next_, page.nextEnabled);
    tree_.SetVisible(next_, page.nextVisible);
    tree_.SetEnabled(finish_, page.finishEnabled);
    tree_.SetVisible(finish_, page.finishVisible);
    pageIndex_ = index;
    std::uint64_t serial = ++pageSerial_;
    if (page.advanceAfterMs != 0 && index + 1 < script_.pages.size()) {
        tree_.At(tree_.NowMs() + page.advanceAfterMs, [this, serial] {
            if (serial == pageSerial_ && tree_.Exists(frame_)) {
                ShowPage(pageIndex_ + 1);
            }
        });
    }
}

void ScriptedWizard::OnCommand(int commandId) {
    const WizardPage& page = script_.pages[pageIndex_];
    // A page refuses what its buttons do not offer.
    if (commandId == kWizardNext && page.nextEnabled && pageIndex_ + 1 < script_.pages.size()) {
        ShowPage(pageIndex_ + 1);
    } else if (commandId == kWizardFinish && page.finishEnabled) {
        tree_.Remove(frame_);
        frame_ = page_ = next_ = finish_ = kNoWindow;
    }
}

ScriptedPrompt::ScriptedPrompt(WindowTree& tree, PromptScript script)
    : tree_(tree), script_(std::move(script)) {
    tree_.At(script_.opensAtMs, [this] { Open(); });
}

void ScriptedPrompt::Open() {
    dialog_ = tree_.Add(kNoWindow, kDialogClass, script_.title);
    tree_.Add(dialog_, "Static", script_.text, 1001);
    tree_.Add(dialog_, "Button", "&Continue Anyway", kPromptContinue);
    tree_.Add(dialog_, "Button", "&STOP Installation", 5304);
    tree_.OnCommand(dialog_, [this](int commandId) {
        if (commandId != kPromptContinue) {
            return;
        }
        ++answers_;
        if (script_.closesOnContinue) {
            tree_.Remove(dialog_);
            dialog_ = kNoWindow;
        }
    });
}

}  // namespace fake
