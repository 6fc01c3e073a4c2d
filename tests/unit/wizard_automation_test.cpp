#include "system/wizard_automation.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_wizard.h"
#include "platform/fake/machine.h"
#include "ui/dialog_channel.h"

namespace {

using fake::WizardPage;

constexpr char kDescription[] = "USB Flash Disk";

WizardPage Page(const std::string& text, bool next, bool finish, std::uint64_t advanceMs = 0) {
    WizardPage page;
    page.text = text;
    page.nextEnabled = next;
    page.finishEnabled = page.finishVisible = finish;
    page.advanceAfterMs = advanceMs;
    return page;
}

// A fake machine with our main dialog's channel, and the wizard and device
// dialog a case puts on it.
struct WizardRig {
    fake::Machine m;
    BrandTexts brand{"Setup", "Flash Disk", "About", "none"};
    DialogChannel channel{m.windows, 0x102, brand};
    std::unique_ptr<fake::ScriptedWizard> wizard;
    std::unique_ptr<fake::ScriptedPrompt> prompt;

    void Given(fake::WizardScript script) {
        wizard = std::make_unique<fake::ScriptedWizard>(m.windows.tree, std::move(script));
    }
    // N for Next, F for Finish, C for the device dialog's command.
    std::string Commands() const {
        std::string sent;
        for (const fake::SentCommand& command : m.windows.tree.Commands()) {
            sent += command.commandId == kWizardNextId     ? 'N'
                    : command.commandId == kWizardFinishId ? 'F'
                                                           : 'C';
        }
        return sent;
    }
};

using Given = std::function<void(WizardRig&)>;

Given Wizard(std::vector<WizardPage> pages) {
    return [pages](WizardRig& r) {
        fake::WizardScript script;
        script.pages = pages;
        r.Given(script);
    };
}
// The XP wizard with one flag of one of its pages changed.
Given Xp(std::size_t page, bool WizardPage::*flag, bool value, const char* text = kDescription) {
    return [=](WizardRig& r) {
        fake::WizardScript script = fake::XpNewHardwareWizard(text);
        script.pages[page].*flag = value;
        r.Given(script);
    };
}
Given FrameWithOneButton(int id) {
    return [id](WizardRig& r) {
        fake::WindowTree& tree = r.m.windows.tree;
        WindowHandle frame = tree.Add(kNoWindow, fake::kDialogClass, "Found New Hardware Wizard");
        tree.Add(tree.Add(frame, fake::kDialogClass, ""), "Static", kDescription);
        tree.Add(frame, "Button", "", id);
    };
}
// A dialog naming the device opens over the wizard.
Given WithPrompt(Given wizard, std::uint64_t promptAtMs, bool closesOnContinue = true) {
    return [=](WizardRig& r) {
        wizard(r);
        fake::PromptScript script;
        script.text = "The software for this hardware:\nUSB Flash Disk\nhas not passed testing.";
        script.opensAtMs = promptAtMs;
        script.closesOnContinue = closesOnContinue;
        r.prompt = std::make_unique<fake::ScriptedPrompt>(r.m.windows.tree, script);
    };
}

TEST(Wizard, WhatItPressesAndWhenItEnds) {
    const Given xp = Xp(0, &WizardPage::nextEnabled, true);
    struct Case {
        const char* name;
        Given given;
        bool finished;
        std::uint64_t endsAtMs;
        std::string commands;
        const char* description = kDescription;  // what the wizard's page must show
    } cases[] = {
        {"no wizard in 120 cycles", [](WizardRig&) {}, false, 60000, ""},
        {"the page in other capitals", Xp(0, &WizardPage::nextEnabled, true, "usb flash disk"),
         false, 60000, ""},
        {"empty description", xp, false, 0, "", ""},
        {"no Next button", FrameWithOneButton(kWizardFinishId), false, 0, ""},
        {"no Finish button", FrameWithOneButton(kWizardNextId), false, 0, ""},
        {"the XP wizard", xp, true, 3000, "NNF"},
        {"Next before Finish when both can be pressed",
         Wizard({Page(kDescription, true, false), Page("a", true, true), Page("b", true, true),
                 Page("c", false, true)}),
         true, 1500, "NNNF"},
        {"a hidden Finish is not pressed", Xp(2, &WizardPage::finishVisible, false), false,
         3000 + 160 * 500, "NN"},
        {"160 idle cycles", Wizard({Page(kDescription, true, false)}), false, 1000 + 160 * 500,
         "NN"},
        {"a page change restarts the idle count",
         Wizard({Page(kDescription, true, false), Page("copying", false, false, 20000),
                 Page("still", false, false)}),
         false, 20000 + 160 * 500, "NN"},
        {"the device dialog answered in the cycle it shows", WithPrompt(xp, 1200), true, 3000,
         "NNCF"},
        {"a device dialog on top is not taken for the wizard", WithPrompt(xp, 0), true, 3000,
         "NNCF"},
        {"a device dialog that never closes: 720 cycles in all",
         WithPrompt(Wizard({Page(kDescription, true, false)}), 0, false), false, 1000 + 720 * 500,
         "NN" + std::string(720, 'C')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WizardRig rig;
        c.given(rig);
        EXPECT_EQ(
            DriveNewHardwareWizard(rig.m.windows, rig.channel, c.description, 0, 100, nullptr),
            c.finished);
        EXPECT_EQ(rig.m.windows.NowMs(), c.endsAtMs);
        EXPECT_EQ(rig.Commands(), c.commands);
    }
}

}  // namespace
