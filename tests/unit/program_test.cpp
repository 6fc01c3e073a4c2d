// The whole program on the fake machine: the agreement, the main dialog's
// opening, the user's choices, the About box, the link and the exit code.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "app/command_line.h"
#include "app/setup_app.h"
#include "platform/fake/machine.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "ui/setup_dialog.h"

namespace {

using User = std::function<void(fake::Machine&, WindowHandle)>;

std::string ReadSample(const std::string& name) {
    std::ifstream in(std::string(SAMPLE_PACKAGE_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A Windows 98 SE machine with the sample package beside SETUP.EXE, and a user
// who answers each of our dialogs as told.
struct ProgramRig {
    fake::Machine m;
    std::map<unsigned, User> user;
    int exitCode = -1;

    ProgramRig() {
        m.windows.strings = StringTableForSystem(1033);
        for (const char* name : {"NIMBLE.IN_", "NIMBLEFD.INF", "NIMBLE.SY_", "NIMBLE.PDR"}) {
            m.givenFile(std::string("C:\\PKG\\") + name, ReadSample(name));
        }
        m.system.modulePath = "C:\\PKG\\SETUP.EXE";
        m.system.commandLine = "\"C:\\PKG\\SETUP.EXE\"";
        user[IDD_AGREEMENT] = Press(kIdOk);
        user[IDD_SETUP] = Press(kIdCancel);
        user[IDD_ABOUTBOX] = Press(kIdOk);
        m.windows.onDialogOpen = [this](WindowHandle dialog, unsigned templateId) {
            auto acts = user.find(templateId);
            if (acts != user.end()) {
                acts->second(m, dialog);
            }
        };
    }

    static User Press(int controlId) {
        return [controlId](fake::Machine& m, WindowHandle dialog) {
            m.windows.Post([&m, dialog, controlId] { m.windows.Click(dialog, controlId); });
        };
    }

    int Run() {
        exitCode = RunSetupProgram(Platform{m.system, m.devices, m.windows});
        return exitCode;
    }

    WindowHandle Opened(unsigned templateId) const {
        for (WindowHandle dialog : m.windows.DialogsOpened()) {
            if (m.windows.Dialog(dialog).templateId == templateId) {
                return dialog;
            }
        }
        return kNoWindow;
    }
    std::string Text(WindowHandle dialog, int control) const {
        return m.windows.ControlText(dialog, control);
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const fake::ShownBox& box : m.windows.Boxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }
};

const std::string kProgramName = StringTable(1033).at(BRAND_GROUP_FIRST_ID);

TEST(Program, TheMainDialogOpensForTheUser) {
    ProgramRig rig;
    EXPECT_EQ(rig.Run(), 1602) << "closed with Exit, nothing ran";
    WindowHandle main = rig.Opened(IDD_SETUP);
    ASSERT_NE(main, kNoWindow);
    const fake::FakeDialog& dialog = rig.m.windows.Dialog(main);
    EXPECT_EQ(dialog.title, kProgramName);
    EXPECT_EQ(rig.Text(main, IDC_SELECT_GROUP), "Select Install/Uninstall");
    EXPECT_EQ(rig.Text(main, IDC_INSTALL), "Install or update driver");
    EXPECT_EQ(rig.Text(main, IDC_UNINSTALL), "Uninstall driver");
    EXPECT_EQ(rig.Text(main, IDC_START), "Start");
    EXPECT_EQ(rig.Text(main, kIdCancel), "Exit");
    EXPECT_EQ(rig.Text(main, IDC_INSTRUCTION), StringTable(1033).at(IDS_INSTRUCTION));
    EXPECT_EQ(rig.Text(main, IDC_STATUS), "") << "never the template's placeholder";
    EXPECT_TRUE(dialog.checked.at(IDC_INSTALL));
    EXPECT_FALSE(dialog.checked.at(IDC_UNINSTALL));
    EXPECT_EQ(dialog.focus, IDC_START);
    EXPECT_EQ(dialog.icon, static_cast<unsigned>(IDI_PROGRAM));
    EXPECT_EQ(dialog.bitmaps.at(IDC_LOGO), static_cast<unsigned>(IDB_LOGO));
    ASSERT_EQ(dialog.systemMenu.size(), 1u);
    EXPECT_EQ(dialog.systemMenu[0].first, kAboutCommand);
    EXPECT_EQ(dialog.systemMenu[0].second, "About ...");
    EXPECT_TRUE(rig.m.windows.Boxes().empty());
}

TEST(Program, WhatEndsTheOpeningEarly) {
    struct Case {
        const char* name;
        std::function<void(fake::Machine&)> given;
        int exitCode;
        std::vector<std::string> boxes;
    } cases[] = {
        {"no package",
         [](fake::Machine& m) {
             m.files.Remove("C:\\PKG\\NIMBLE.IN_");
             m.files.Remove("C:\\PKG\\NIMBLEFD.INF");
         },
         1619,
         {"INF file not found !"}},
        {"the program's folder cannot be read",
         [](fake::Machine& m) {
             m.faults.FailAlways(fake::Op::GetModulePath);
             m.givenFile("\\NIMBLE.IN_", m.files.Read("C:\\PKG\\NIMBLE.IN_"));  // the drive's root
         },
         1619,
         {"INF file not found !"}},
        {"the Windows directory cannot be read",
         [](fake::Machine& m) { m.faults.FailAlways(fake::Op::GetWindowsDirectory); },
         1619,
         {"INF file not found !"}},
        {"a silent defect of the package",
         [](fake::Machine& m) {
             std::string script = m.files.Read("C:\\PKG\\NIMBLE.IN_");
             script.replace(script.find("FDDInf"), 6, "FDDXnf");
             m.givenFile("C:\\PKG\\NIMBLE.IN_", script);
         },
         1619,
         {}},
        {"Windows 95",
         [](fake::Machine& m) {
             m.system.version = {4, 0, 950};
         },
         1633,
         {"This program is for Windows 98 only !"}},
        {"Windows Me with a Windows 98 package",
         [](fake::Machine& m) {
             m.system.version = {4, 90, 3000};
         },
         1633,
         {"This program is for Windows 98 only !"}},
        {"Windows XP with a Windows 98 package",
         [](fake::Machine& m) {
             m.system.version = {5, 1, 2600};
         },
         1633,
         {"This program is for Windows 98 only !"}},
        {"version query fails",
         [](fake::Machine& m) { m.faults.FailAlways(fake::Op::GetVersion); },
         1633,
         {"This program is for Windows 98 only !"}},
    };
    for (const Case& c : cases) {
        ProgramRig rig;
        c.given(rig.m);
        EXPECT_EQ(rig.Run(), c.exitCode) << c.name;
        EXPECT_EQ(rig.BoxTexts(), c.boxes) << c.name;
        WindowHandle main = rig.Opened(IDD_SETUP);
        ASSERT_NE(main, kNoWindow) << c.name;
        EXPECT_EQ(rig.Text(main, IDC_INSTRUCTION), "") << c.name << ": never waited for the user";
        EXPECT_FALSE(rig.m.windows.Dialog(main).abandoned) << c.name;
        for (const fake::ShownBox& box : rig.m.windows.Boxes()) {
            EXPECT_EQ(box.flags, kIconStop) << c.name;
            EXPECT_EQ(box.caption, kProgramName) << c.name;
        }
    }
}

TEST(Program, WhichSystemsTheInteractiveStartServes) {
    struct Case {
        WindowsVersion version;
        const char* win98Only;
        bool opens;
    } cases[] = {
        {{4, 10, 1998}, "1", true}, {{4, 10, 2222}, "1", true}, {{4, 90, 3000}, "1", false},
        {{5, 0, 2195}, "1", false}, {{5, 1, 2600}, "1", false}, {{4, 0, 950}, "0", false},
        {{4, 90, 3000}, "0", true}, {{5, 0, 2195}, "0", true},  {{5, 1, 2600}, "0", true},
        {{5, 2, 3790}, "0", false},
    };
    for (const Case& c : cases) {
        ProgramRig rig;
        rig.m.system.version = c.version;
        std::string script = rig.m.files.Read("C:\\PKG\\NIMBLE.IN_");
        script.replace(script.find("Win98Only=1"), 11, std::string("Win98Only=") + c.win98Only);
        rig.m.givenFile("C:\\PKG\\NIMBLE.IN_", script);
        int code = rig.Run();
        EXPECT_EQ(code, c.opens ? 1602 : 1633) << c.version.major << "." << c.version.minor << "."
                                               << c.version.build << " Win98Only=" << c.win98Only;
    }
}

TEST(Program, TheAgreementComesFirstAndNoEndsEverything) {
    ProgramRig rig;
    rig.m.system.commandLine = "SETUP.EXE /S";
    rig.user[IDD_AGREEMENT] = ProgramRig::Press(kIdCancel);
    EXPECT_EQ(rig.Run(), 1602);
    EXPECT_EQ(rig.Opened(IDD_SETUP), kNoWindow);
    EXPECT_TRUE(rig.m.system.Changes().empty());
    for (fake::Op op : rig.m.faults.Log()) {
        EXPECT_NE(op, fake::Op::ListFiles) << "the package is never read";
    }
    WindowHandle agreement = rig.Opened(IDD_AGREEMENT);
    EXPECT_EQ(rig.Text(agreement, IDC_AGREEMENT_TEXT).size(), 5751u);
    EXPECT_EQ(rig.m.windows.Dialog(agreement).focus, -1) << "the system focuses Yes";
}

TEST(Program, SilentSwitchAnywhereInAnyCase) {
    struct Case {
        const char* commandLine;
        bool silent;
    } cases[] = {
        {"SETUP.EXE /S", true},     {"setup.exe /s", true},       {"SETUP.EXE /SILENT", true},
        {"SETUP.EXE /SETUP", true}, {"C:\\A/S\\SETUP.EXE", true}, {"SETUP.EXE -S", false},
        {"SETUP.EXE", false},       {"SETUP.EXE / S", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HasSilentSwitch(c.commandLine), c.silent) << c.commandLine;
    }
}

TEST(Program, SilentInstallRunsWhereTheUserWouldBeRefused) {
    for (WindowsVersion version :
         {WindowsVersion{4, 10, 2222}, WindowsVersion{4, 0, 950}, WindowsVersion{4, 90, 3000}}) {
        ProgramRig rig;
        rig.m.system.version = version;
        rig.m.system.commandLine = "SETUP.EXE /s";
        EXPECT_EQ(rig.Run(), 0) << version.major << "." << version.minor;
        EXPECT_TRUE(rig.m.windows.Boxes().empty());
        EXPECT_TRUE(rig.m.files.Exists("C:\\WINDOWS\\inf\\other\\NIMBLE.INF"));
        EXPECT_TRUE(rig.m.files.Exists("C:\\WINDOWS\\system32\\drivers\\NIMBLE.SYS"));
        EXPECT_EQ(rig.Text(rig.Opened(IDD_SETUP), IDC_INSTRUCTION), "");
    }
}

TEST(Program, InstallAndUninstallEndWithTheirMessages) {
    struct Case {
        const char* name;
        bool uninstall;
        std::function<void(fake::Machine&)> given;
        std::string message;
        unsigned icon;
        int exitCode;
    } cases[] = {
        {"install", false, [](fake::Machine&) {},
         "Installation is complete. Please replug your device.", kIconInformation, 0},
        {"install with a failed copy", false,
         [](fake::Machine& m) { m.files.Find("C:\\PKG\\NIMBLE.SY_")->openElsewhere = true; },
         "Installation failed !", kIconStop, 1603},
        {"uninstall", true, [](fake::Machine&) {}, "Uninstallation is complete.", kIconInformation,
         0},
        {"uninstall with the image in use", true,
         [](fake::Machine& m) {
             m.givenFile("C:\\WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS", "old");
             m.files.Find("C:\\WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS")->openElsewhere = true;
         },
         "Uninstallation failed !", kIconStop, 1603},
    };
    for (const Case& c : cases) {
        ProgramRig rig;
        c.given(rig.m);
        bool uninstall = c.uninstall;
        rig.user[IDD_SETUP] = [uninstall](fake::Machine& m, WindowHandle dialog) {
            if (uninstall) {
                m.windows.Post([&m, dialog] {
                    m.windows.ClickRadio(dialog, IDC_UNINSTALL, {IDC_INSTALL, IDC_UNINSTALL});
                });
            }
            m.windows.Post([&m, dialog] { m.windows.Click(dialog, IDC_START); });
        };
        EXPECT_EQ(rig.Run(), c.exitCode) << c.name;
        ASSERT_EQ(rig.m.windows.Boxes().size(), 1u) << c.name;
        EXPECT_EQ(rig.m.windows.Boxes()[0].text, c.message) << c.name;
        EXPECT_EQ(rig.m.windows.Boxes()[0].flags, c.icon) << c.name;
        WindowHandle main = rig.Opened(IDD_SETUP);
        EXPECT_EQ(rig.Text(main, IDC_STATUS), "") << c.name;
        EXPECT_TRUE(rig.m.windows.Dialog(main).disabled.empty())
            << c.name << ": buttons enabled again";
    }
}

TEST(Program, DuringARunStartAndExitAreDisabledAndARadioClickChangesNothing) {
    ProgramRig rig;
    bool startDisabled = false;
    bool exitDisabled = false;
    rig.user[IDD_SETUP] = [&](fake::Machine& m, WindowHandle dialog) {
        m.windows.Post([&m, dialog] { m.windows.Click(dialog, IDC_START); });
        // Inside the 3000 ms pause of the install.
        std::uint64_t during = m.windows.NowMs() + 2000;
        m.windows.Post(
            [&, dialog] {
                const fake::FakeDialog& state = m.windows.Dialog(dialog);
                startDisabled = state.disabled.count(IDC_START) != 0;
                exitDisabled = state.disabled.count(kIdCancel) != 0;
                m.windows.Click(dialog, kIdCancel);  // ignored: disabled
                m.windows.ClickRadio(dialog, IDC_UNINSTALL, {IDC_INSTALL, IDC_UNINSTALL});
            },
            during);
    };
    EXPECT_EQ(rig.Run(), 0);
    EXPECT_TRUE(startDisabled);
    EXPECT_TRUE(exitDisabled);
    ASSERT_EQ(rig.m.windows.Boxes().size(), 1u);
    EXPECT_EQ(rig.m.windows.Boxes()[0].text,
              "Installation is complete. Please replug your device.");
    const std::vector<int>& bar =
        rig.m.windows.ProgressHistory(rig.Opened(IDD_SETUP), IDC_PROGRESS);
    EXPECT_EQ(bar, (std::vector<int>{1, 6, 10, 0, 15, 18, 21, 24, 27, 30, 100}))
        << "the click sets 0, the run goes on from its next step";
    EXPECT_TRUE(rig.m.files.Exists("C:\\WINDOWS\\inf\\other\\NIMBLE.INF"));
}

TEST(Program, RadioButtonsResetTheBarAndTheStatusLine) {
    ProgramRig rig;
    rig.user[IDD_SETUP] = [](fake::Machine& m, WindowHandle dialog) {
        m.windows.Post([&m, dialog] {
            m.windows.SetProgressPosition(dialog, IDC_PROGRESS, 40);
            m.windows.SetControlText(dialog, IDC_STATUS, "x");
            m.windows.ClickRadio(dialog, IDC_INSTALL, {IDC_INSTALL, IDC_UNINSTALL});
        });
        m.windows.Post([&m, dialog] { m.windows.Click(dialog, kIdCancel); });
    };
    rig.Run();
    WindowHandle main = rig.Opened(IDD_SETUP);
    EXPECT_EQ(rig.m.windows.ProgressHistory(main, IDC_PROGRESS), (std::vector<int>{40, 0}))
        << "the selected button still resets";
    EXPECT_EQ(rig.Text(main, IDC_STATUS), "");
}

TEST(Program, TheAboutBoxFromTheSystemMenu) {
    ProgramRig rig;
    std::string title;
    std::string text;
    rig.user[IDD_SETUP] = [](fake::Machine& m, WindowHandle dialog) {
        m.windows.Post([&m, dialog] { m.windows.SystemCommand(dialog, kAboutCommand | 0x3); });
        m.windows.Post([&m, dialog] { m.windows.SystemCommand(dialog, 0xF060); });  // close box
    };
    rig.user[IDD_ABOUTBOX] = [&](fake::Machine& m, WindowHandle dialog) {
        title = m.windows.Dialog(dialog).title;
        text = m.windows.ControlText(dialog, IDC_ABOUT_TEXT);
        m.windows.Post([&m, dialog] { m.windows.Click(dialog, kIdOk); });
    };
    EXPECT_EQ(rig.Run(), 1602);
    EXPECT_EQ(title, "About " + kProgramName);
    EXPECT_EQ(text, StringTable(1033).at(BRAND_GROUP_FIRST_ID + 2));
    EXPECT_NE(text.find("\n\n"), std::string::npos) << "the About text keeps its line breaks";
}

TEST(Program, TheLogoLinksOnlyToAWebAddress) {
    struct Case {
        std::string link;
        bool active;
    } cases[] = {
        {"no link", false},
        {"http://www.vostrel.example/", true},
        {" see http://www.vostrel.example", true},
        {"HTTP://WWW.VOSTREL.EXAMPLE", false},
        {"http://www." + std::string(107, 'x'), true},   // 118 bytes
        {"http://www." + std::string(108, 'x'), false},  // 119 bytes: no cut command line
    };
    for (const Case& c : cases) {
        ProgramRig rig;
        rig.m.windows.strings[BRAND_GROUP_FIRST_ID + 3] = c.link;
        bool pointer = false;
        bool pointerElsewhere = true;
        rig.user[IDD_SETUP] = [&](fake::Machine& m, WindowHandle dialog) {
            m.windows.Post([&, dialog] {
                pointer = m.windows.PointAt(dialog, m.windows.ControlWindow(dialog, IDC_LOGO));
                pointerElsewhere =
                    m.windows.PointAt(dialog, m.windows.ControlWindow(dialog, IDC_START));
                m.windows.Click(dialog, IDC_LOGO);
                m.windows.Click(dialog, kIdCancel);
            });
        };
        rig.Run();
        EXPECT_EQ(pointer, c.active) << c.link;
        EXPECT_FALSE(pointerElsewhere) << c.link;
        std::vector<std::string> expected;
        if (c.active) {
            expected.push_back("Explorer " + c.link);
        }
        EXPECT_EQ(rig.m.system.StartedPrograms(), expected) << c.link;
    }
}

TEST(Program, MinimisedWindowShowsTheIcon) {
    ProgramRig rig;
    bool paintedNormal = true;
    bool paintedMinimised = false;
    unsigned dragIcon = 0;
    rig.user[IDD_SETUP] = [&](fake::Machine& m, WindowHandle dialog) {
        m.windows.Post([&, dialog] {
            paintedNormal = m.windows.Paint(dialog);
            m.windows.Minimize(dialog);
            paintedMinimised = m.windows.Paint(dialog);
            dragIcon = m.windows.DragIcon(dialog);
            m.windows.Click(dialog, kIdCancel);
        });
    };
    rig.Run();
    EXPECT_FALSE(paintedNormal) << "the system paints a normal window";
    EXPECT_TRUE(paintedMinimised);
    EXPECT_EQ(rig.m.windows.Dialog(rig.Opened(IDD_SETUP)).iconsPainted, 1);
    EXPECT_EQ(dragIcon, static_cast<unsigned>(IDI_PROGRAM));
}

}  // namespace
