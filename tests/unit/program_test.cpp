// The whole program on the fake machine: how a run opens and ends, and what
// each road shows and changes, in the order the user and the system meet it.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "program_rig.h"

namespace programrig {
namespace {

TEST(Program, HowARunOpensWhatEachRoadDoesAndHowItEnds) {
    enum User { kExit, kInstall, kUninstall, kRadioDuringInstall, kAgreementNo };
    struct Case {
        const char* name;
        Given given;
        User user;
        int exitCode;
        std::string trace;
    } cases[] = {
        {"Exit", kNothing, kExit, 1602, kIdle},
        {"98 first edition", Version({4, 10, 1998}), kExit, 1602, kIdle},
        {"agreement refused, silent", Silent(k98Se), kAgreementNo, 1602, ""},
        {"no package", Without({"NIMBLE.IN_", "NIMBLEFD.INF"}), kExit, 1619,
         "stop:INF file not found !"},
        {"no driver image", Without({"NIMBLE.SY_"}), kExit, 1619, "stop:SYS(SY_) file not found !"},
        {"no port driver", Without({"NIMBLE.PDR"}), kExit, 1619, "stop:MPD file not found !"},
        {"-S is no silent switch", Silent(k98Se, "SETUP.EXE -S"), kExit, 1602, kIdle},
        {"a link inside the text", Link(" see http://www.v.example"), kExit, 1602,
         Steps({kWaiting, "hand run:C:\\WINDOWS\\EXPLORER.EXE Explorer  see http://www.v.example",
                kMinimised})},
        {"a link in capitals", Link("HTTP://WWW.V.EXAMPLE"), kExit, 1602, kIdle},
        {"a package defect without a message",
         [](ProgramRig& r) { r.Edit("NIMBLE.IN_", "FDDInf", "FDDXnf"); }, kExit, 1619, ""},
        {"Windows 95", Version(k95, true), kExit, 1633, kRefused},
        {"version query fails", [](ProgramRig& r) { r.m.faults.FailAlways(fake::Op::GetVersion); },
         kExit, 1633, kRefused},
        {"Me, a 98 package", Version(kMe), kExit, 1633, kRefused},
        {"2000, a 98 package", Version(k2000), kExit, 1633, kRefused},
        {"XP, a 98 package", Version(kXp), kExit, 1633, kRefused},
        {"Server 2003", Version({5, 2, 3790}, true), kExit, 1633, kRefused},
        {"install", kNothing, kInstall, 0, kInstall98},
        {"install: the disk is the model line TargetID names",
         [](ProgramRig& r) {
             r.Edit("NIMBLE.IN_", "TargetID=F1A5D15C", "TargetID=F1A5D15D");
             r.Edit("NIMBLE.IN_", "=NimbleDisk,USB\\VID_F1A5&PID_D15C",
                    "=None,USB\\VID_F1A5&PID_D15C");
         },
         kInstall, 0, kInstall98},
        {"a radio click during the install", kNothing, kRadioDuringInstall, 0,
         Steps({kWaiting, kStartPressed, kStaged98, Removal(1, 6, 10), "~1820", kRadioClicked,
                "~1180 15", Copies98(18, 21, 24, 27, 30), kBarFull, Closing(kInstalledBox)})},
        {"install, Me: the floppy INF alone", Version(kMe, true), kInstall, 0,
         Steps({kWaiting, kStartPressed, kStagedFloppy, Removal(3, 18, 30, "-dev", ""),
                "~SETUPF.3SN>NIMBLEFD.INF", kImageDeleted, "reg", kBarFull,
                Closing(kInstalledBox)})},
        {"install, XP: the floppy INF alone", Version(kXp, true), kInstall, 0,
         Steps({kWaiting, kStartPressed, kStagedFloppy, Removal(3, 18, 30, "-dev", ""),
                "~SETUPF.3SN>oemNIMBLEFD.INF", kImageDeleted, kBarFull, Closing(kInstalledBox)})},
        {"install, 2000", Version(k2000, true), kInstall, 0,
         Steps({kWaiting, kStartPressed, kStagedNt, Removal(1, 6, 10), kPause,
                CopiesNt(18, 21, 27, 30), kBarFull, Closing(kInstalledBox)})},
        {"install, the package's image unreadable: its staged copies go, nothing is removed",
         [](ProgramRig& r) { r.m.files.Find("C:\\PKG\\NIMBLE.SY_")->openElsewhere = true; },
         kInstall, 1603,
         Steps({kWaiting, kStartPressed, "+~SETUPI.3SN *~SETUPI.3SN +~SETUPP.3SN",
                "-~SETUPI.3SN -~SETUPP.3SN", Closing(kInstallFailedBox)})},
        {"install, the old image held open: the removal stops, nothing is put in place", kImageHeld,
         kInstall, 1603,
         Steps({kWaiting, kStartPressed, kStaged98, Removal(1, 6, 10, "-dev", ""), kPause,
                "'installing' 18 ~200 21 ~200 24 ~200 27 -~SETUPI.3SN -~SETUPP.3SN -~SETUPS.3SN",
                "~200 30", kBarFull, Closing(kInstallFailedBox)})},
        {"uninstall", kNothing, kUninstall, 0,
         Steps({kWaiting, kRadioClicked, kStartPressed, Removal(10, 60, 100, "-dev", kImageDeleted),
                Closing("info:Uninstallation is complete.")})},
        {"uninstall, small letters in the package's ids",
         [](ProgramRig& r) {
             r.Edit("NIMBLE.IN_", "VID_F1A5&PID_D15C", "VID_f1a5&PID_d15c");
             r.m.givenFile(kInf + std::string("OTHER\\OLD.INF"),
                           "[Version]\r\nSignature=$CHICAGO$\r\n[Manufacturer]\r\nV=M\r\n[M]\r\n"
                           "A=I,USB\\VID_F1A5&PID_D15C\r\n");
         },
         kUninstall, 0,
         Steps({kWaiting, kRadioClicked, kStartPressed,
                Removal(10, 60, 100, "-dev", "-OLD.INF -NIMBLE.SYS"),
                Closing("info:Uninstallation is complete.")})},
        {"uninstall, the image held open", kImageHeld, kUninstall, 1603,
         Steps({kWaiting, kRadioClicked, kStartPressed, Removal(10, 60, 100, "-dev", ""),
                Closing(kUninstallFailedBox)})},
        {"uninstall, an entry that cannot be removed",
         [](ProgramRig& r) {
             r.m.devices.Add({kHdcClassGuid, "USB\\VID_F1A5&PID_D15D\\2", true, true});
         },
         kUninstall, 1603,
         Steps({kWaiting, kRadioClicked, kStartPressed, Removal(10, 60, 100, "-dev", kImageDeleted),
                Closing(kUninstallFailedBox)})},
        {"uninstall, an entry that comes back at once",
         [](ProgramRig& r) {
             r.m.devices.onRemove = [&r, n = 0](const fake::FakeDevice& gone) mutable {
                 if (++n < 100) {  // the run must give up long before
                     r.m.devices.Add(gone);
                 }
             };
         },
         kUninstall, 1603,
         Steps({kWaiting, kRadioClicked, kStartPressed, Removal(10, 60, 100, "", kImageDeleted),
                Closing(kUninstallFailedBox)})},
        {"silent, 98 SE", Silent(k98Se, "setup.exe /s"), kExit, 0,
         Steps({kStaged98, Removal(2, 15, 25), kSleep, Copies98(30, 35, 40, 45, 50), kRescanFrom,
                "scan ~3000 100"})},
        {"silent, Windows 95", Silent(k95, "SETUP.EXE /SILENT"), kExit, 0,
         Steps({kStaged98, Removal(2, 15, 25), kSleep, Copies98(30, 35, 40, 45, 50), kRescanFrom,
                "scan ~3000 100"})},
        {"silent, Me: the full install, no section to edit", Silent(kMe, "C:\\A/S\\SETUP.EXE"),
         kExit, 0,
         Steps({kStaged98Unedited, Removal(2, 15, 25), kSleep, Copies98(30, 35, 40, 45, 50),
                kRescanFrom, "scan ~3000 100"})},
        {"silent, XP, the rescan refused: the system shows its wizard anyway",
         [](ProgramRig& r) {
             Silent(kXp)(r);
             r.m.devices.rootLocatable = false;
             r.ShowWizardAt(0);
         },
         kExit, 0,
         Steps({kStagedNtUnedited, Removal(2, 15, 25), kSleep, CopiesNt(30, 35, 45, 50),
                kRescanFrom, kUsbstorAside, kWizardAnswered, kUsbstorBack, "100"})},
        {"silent, 2000", Silent(k2000), kExit, 0,
         Steps({kStagedNt, Removal(2, 15, 25), kSleep, CopiesNt(30, 35, 45, 50), kRescanFrom,
                "scan 100"})},
        {"silent, XP: the wizard answered",
         [](ProgramRig& r) {
             Silent(kXp)(r);
             // The floppy INF's model line names the main INF's install section.
             r.Edit("NIMBLEFD.INF", "=NimbleFloppyInstall", "=NimbleDisk");
             r.WizardAfter(4500);  // the bar creeps while the search waits
         },
         kExit, 0,
         Steps({kStagedNt, Removal(2, 15, 25), kSleep, CopiesNt(30, 35, 45, 50), kRescanFrom,
                kUsbstorAside, "scan",
                "~500 50 ~500 50 ~500 50 ~500 50 ~500 50 ~500 50 ~500 50 ~500 50 ~500 51",
                kWizardAnswered, kUsbstorBack, "100"})},
        {"silent, XP, USBSTOR left aside by an earlier run",
         [](ProgramRig& r) {
             Silent(kXp)(r);
             r.m.files.Rename(kInf + std::string("USBSTOR.INF"), kInf + std::string("USBSTOR.I3S"));
             r.WizardAfter(0);
         },
         kExit, 0,
         Steps({kStagedNtUnedited, Removal(2, 15, 25), kSleep, CopiesNt(30, 35, 45, 50),
                kRescanFrom, "USBSTOR.I3S>USBSTOR.INF", kUsbstorAside, "scan", kWizardAnswered,
                kUsbstorBack, "100"})},
    };
    std::set<unsigned> loaded;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramRig rig;
        c.given(rig);
        rig.agree = c.user != kAgreementNo;
        if (c.user != kExit && c.user != kAgreementNo) {
            User user = c.user;
            rig.onMain = [&rig, user](WindowHandle dialog) {
                if (user == kUninstall) {
                    rig.Press(dialog, IDC_UNINSTALL);
                }
                rig.Press(dialog, IDC_START);
                if (user == kRadioDuringInstall) {  // inside the 3000 ms pause
                    rig.Press(dialog, kIdCancel, 2500);
                    rig.Press(dialog, IDC_START, 2500);
                    rig.Press(dialog, IDC_UNINSTALL, 2500);
                }
            };
        }
        EXPECT_EQ(rig.Run(), c.exitCode);
        EXPECT_EQ(rig.windows.trace, c.trace);
        loaded.insert(rig.windows.loaded.begin(), rig.windows.loaded.end());
    }
    for (unsigned language : StringLanguages()) {
        for (unsigned id : loaded) {
            EXPECT_NE(StringTable(language).count(id) ? StringTable(language).at(id) : "", "")
                << "language " << language << ", id " << id;
        }
    }
}

TEST(Program, OneRunWorksOnTheSystemAtATime) {
    // Another run holds the guard; its dialog lies behind another program's.
    const std::string programName = StringTable(1033).at(BRAND_GROUP_FIRST_ID);
    const std::string agreement = "Software License Agreement";
    const std::string told = "info:" + StringTable(1033).at(IDS_ALREADY_RUNNING);
    const struct {
        const char* name;
        const char* commandLine;
        std::string runningTitle;
        int control;  // a control of the running dialog
        bool toFront;
        std::string trace;
    } rows[] = {
        {"at its agreement", "SETUP.EXE", agreement, IDC_AGREEMENT_TEXT, true, ""},
        {"in its main dialog", "SETUP.EXE", programName, IDC_INSTRUCTION, true, ""},
        {"another program's dialog of that caption", "SETUP.EXE", agreement, IDC_INSTRUCTION, false,
         told},
        {"another program's dialog of the program's caption", "SETUP.EXE", programName,
         IDC_AGREEMENT_TEXT, false, told},
        {"silent: ends at once", "SETUP.EXE /S", programName, IDC_INSTRUCTION, false, ""},
        {"silent, nothing to show", "SETUP.EXE /S", "Other", 0, false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ProgramRig rig;
        rig.m.system.commandLine = row.commandLine;
        rig.m.system.runGuardHolders = 1;
        rig.agree = false;  // an agreement shown and refused would end with 1602
        WindowHandle running =
            rig.windows.tree.Add(kNoWindow, fake::kDialogClass, row.runningTitle);
        rig.windows.tree.Add(running, "Static", "", row.control);
        WindowHandle other = rig.windows.tree.Add(kNoWindow, fake::kDialogClass, "Other");
        EXPECT_EQ(rig.Run(), 1618);
        EXPECT_EQ(rig.windows.trace, row.trace);
        EXPECT_EQ(rig.windows.NextWindow(kNoWindow, kNoWindow, nullptr),
                  row.toFront ? running : other);
        if (!row.trace.empty()) {
            EXPECT_EQ(rig.windows.Boxes().back().owner, kNoWindow);
        }
    }
    // The guard's name: one namespace on the 98 family, which refuses a
    // backslash in it; the one shared by every session on 2000 and XP.
    const std::string plain = "UsbFlashDiskDriverSetup.OneRunAtATime";
    const struct {
        WindowsVersion version;
        std::string name;
    } kinds[] = {{k95, plain},
                 {k98Se, plain},
                 {kMe, plain},
                 {k2000, "Global\\" + plain},
                 {kXp, "Global\\" + plain}};
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.name);
        ProgramRig rig;
        Silent(kind.version)(rig);
        EXPECT_NE(rig.Run(), 1618);
        EXPECT_EQ(rig.m.system.runGuardName, kind.name);
    }
    // One machine started again and again: each way out leaves the guard free.
    ProgramRig rig;
    const struct {
        Given given;
        bool agree;
        int exitCode;
    } runs[] = {{kNothing, false, 1602},
                {Version(k95), true, 1633},
                {Silent(k98Se), true, 0},
                {Without({"NIMBLE.PDR"}), true, 1619}};
    for (const auto& run : runs) {
        run.given(rig);
        rig.agree = run.agree;
        EXPECT_EQ(rig.Run(), run.exitCode);
        EXPECT_EQ(rig.m.system.runGuardHolders, 0);
    }
}

TEST(Program, FoldersWhoseLastByteIsABackslashOfADoubleByteCharacter) {
    // Shift-JIS: each of these characters ends in the byte 0x5C.
    const std::string hyo = "\x95\x5C", so = "\x83\x5C", nou = "\x94\x5C";
    const struct {
        const char* name;
        unsigned codePage;
        std::string package, program, windows, windowsWithBackslash;
    } rows[] = {
        {"Japanese", 932, "C:\\" + hyo, so + ".EXE", "C:\\" + nou, "C:\\" + nou + "\\"},
        {"Windows at the root of its drive", 1252, "C:\\PKG", "SETUP.EXE", "C:\\", "C:\\"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ProgramRig rig;
        rig.m.system.codePage = row.codePage;
        const std::string& windows = row.windowsWithBackslash;
        for (const fake::File* file : rig.m.files.All()) {
            std::string path = file->path;
            for (const char* from : {"C:\\PKG\\", "C:\\WINDOWS\\"}) {
                if (path.rfind(from, 0) == 0) {
                    std::string to = from[3] == 'P' ? row.package + "\\" : windows;
                    rig.m.files.Rename(path, to + path.substr(std::strlen(from)));
                }
            }
        }
        for (const char* folder : {"INF", "SYSTEM\\IOSUBSYS", "SYSTEM32\\DRIVERS"}) {
            rig.m.files.MakeFolder(windows + folder);
        }
        rig.m.system.modulePath = row.package + "\\" + row.program;
        rig.m.system.windowsDirectory = row.windows;
        rig.onMain = [&rig](WindowHandle dialog) { rig.Press(dialog, IDC_START); };
        EXPECT_EQ(rig.Run(), 0);
        EXPECT_EQ(rig.windows.trace, kInstall98);
        EXPECT_TRUE(rig.m.files.Exists(windows + "INF\\OTHER\\NIMBLE.INF"));
    }
}

TEST(Program, FilesTheSystemMadeAnewDuringTheRescanStayAndTheirAsideCopiesGo) {
    for (const char* name : {"USBSTOR.INF", "USBSTOR.PNF"}) {
        SCOPED_TRACE(name);
        ProgramRig rig;
        Silent(kXp)(rig);
        const std::string path = kInf + std::string(name);
        rig.m.devices.onReenumerate = [&rig, &path] {
            rig.m.givenFile(path, "made anew");
            rig.ShowWizardAt(rig.windows.NowMs() + 1500);
        };
        EXPECT_EQ(rig.Run(), 0);
        EXPECT_EQ(rig.m.files.Read(path), "made anew");
        EXPECT_EQ(rig.m.files.List(kInf + std::string("USBSTOR.?3S")), std::vector<std::string>{});
    }
}

TEST(Program, DevicesThatCouldNotBeLookedAtFailTheUninstallNotTheInstall) {
    // SETUPAPI refuses the set of an enumerator that never created an entry
    // as invalid data, and failures it has no better code for alike.
    const Given noEntries = [](ProgramRig& r) { r.m.devices.Clear(); };
    const struct {
        const char* name;
        Given given;
        bool install;
        int exitCode;
    } rows[] = {
        {"no set could be built",
         [](ProgramRig& r) { r.m.faults.FailAlways(fake::Op::OpenDeviceSet); }, false, 1603},
        {"no set could be built, install",
         [](ProgramRig& r) { r.m.faults.FailAlways(fake::Op::OpenDeviceSet); }, true, 0},
        {"no entries and no enumerator keys: nothing to look at", noEntries, false, 0},
        {"refused as invalid data, the key there",
         [](ProgramRig& r) { r.m.devices.refuseSetsWith = 13; }, false, 1603},
        {"refused with another code, no key",
         [&](ProgramRig& r) {
             noEntries(r);
             r.m.devices.refuseSetsWith = 31;  // ERROR_GEN_FAILURE
         },
         false, 1603},
        {"no key as far as could be seen",
         [&](ProgramRig& r) {
             noEntries(r);
             r.m.devices.enumeratorKeysUnreadable = true;
         },
         false, 1603},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ProgramRig rig;
        row.given(rig);
        bool uninstall = !row.install;
        rig.onMain = [&rig, uninstall](WindowHandle dialog) {
            if (uninstall) {
                rig.Press(dialog, IDC_UNINSTALL);
            }
            rig.Press(dialog, IDC_START);
        };
        EXPECT_EQ(rig.Run(), row.exitCode);
        EXPECT_EQ(rig.windows.Boxes().back().text,
                  row.exitCode != 0 ? "Uninstallation failed !"
                  : uninstall       ? "Uninstallation is complete."
                                    : "Installation is complete. Please replug your device.");
    }
}

}  // namespace

namespace {

const std::string kLog = "C:\\WINDOWS\\USBSETUP.LOG", kOldLog = "C:\\WINDOWS\\USBSETUP.OLD";

// A section of the log: the header's machine and road, the action lines, the
// outcome; CRLF line ends. The fake machine's clock is fixed.
std::string Section(const std::string& machine, const std::string& road,
                    std::initializer_list<std::string> lines, const std::string& outcome) {
    std::string text = "2026-12-08 09:30:05 Setup.exe 2.02 on " + machine + ", " + road + "\r\n";
    for (const std::string& line : lines) {
        text += "  " + line + "\r\n";
    }
    return text + "Outcome: " + outcome + "\r\n";
}
const std::string k98SeMachine = "Windows 98 SE 4.10.2222, language 0x0409, command line SETUP.EXE";
const std::string kClosed = Section(k98SeMachine, "no run", {}, "cancelled, exit code 1602");

TEST(Program, EachRunAppendsOneSectionToTheLog) {
    const Given install = [](ProgramRig& r) {
        r.onMain = [&r](WindowHandle dialog) { r.Press(dialog, IDC_START); };
    };
    const Given uninstall = [](ProgramRig& r) {
        r.m.givenFile(kInf + std::string("OTHER\\OLD.INF"),
                      "[Version]\r\nSignature=$CHICAGO$\r\n[Manufacturer]\r\nV=M\r\n[M]\r\n"
                      "A=I,USB\\VID_F1A5&PID_D15C\r\n");
        r.m.givenFile(kInf + std::string("OTHER\\OLD.PNF"), "pnf");
        r.m.devices.Add({kHdcClassGuid, "USB\\VID_F1A5&PID_D15D\\2", true, true});
        r.onMain = [&r](WindowHandle dialog) {
            r.Press(dialog, IDC_UNINSTALL);
            r.Press(dialog, IDC_START);
        };
    };
    const std::string drivers = "C:\\WINDOWS\\system32\\drivers\\",
                      other = "C:\\WINDOWS\\inf\\other\\";
    const std::string iosubsys = "C:\\WINDOWS\\system\\iosubsys\\", inf = "C:\\WINDOWS\\INF\\";
    const struct {
        const char* name;
        Given given;
        std::string log;  // the whole log afterwards
        std::string old = "";
    } rows[] = {
        {"install, 98 SE", install,
         Section(k98SeMachine, "install",
                 {"created the folder C:\\WINDOWS\\INF\\OTHER",
                  "copied C:\\PKG\\NIMBLE.IN_ -> " + other + "~SETUPI.3SN",
                  "disabled the INF's CopyFiles entry",
                  "copied C:\\PKG\\NIMBLE.PDR -> " + iosubsys + "~SETUPP.3SN",
                  "copied C:\\PKG\\NIMBLE.SY_ -> " + drivers + "~SETUPS.3SN",
                  "removed the device entry USB\\VID_F1A5&PID_D15C\\1",
                  "renamed " + drivers + "NIMBLE.SYS -> " + drivers + "~SETUPS.3SO",
                  "renamed " + other + "~SETUPI.3SN -> " + other + "NIMBLE.INF",
                  "renamed " + iosubsys + "~SETUPP.3SN -> " + iosubsys + "NIMBLE.PDR",
                  "renamed " + drivers + "~SETUPS.3SN -> " + drivers + "NIMBLE.SYS",
                  "deleted " + drivers + "~SETUPS.3SO", "deleted C:\\WINDOWS\\inf\\DRVIDX.BIN",
                  "deleted C:\\WINDOWS\\inf\\DRVDATA.BIN", "OtherDevicePath was (not set)",
                  "set OtherDevicePath to C:\\WINDOWS\\INF\\OTHER"},
                 "completed, exit code 0")},
        {"uninstall, an entry that stays and a stale INF", uninstall,
         Section(k98SeMachine, "uninstall",
                 {"removed the device entry USB\\VID_F1A5&PID_D15C\\1",
                  // The next sweep tries again, meets it and stops.
                  "could not remove the device entry USB\\VID_F1A5&PID_D15D\\2: error 5 "
                  "(0x00000005)",
                  "could not remove the device entry USB\\VID_F1A5&PID_D15D\\2: error 5 "
                  "(0x00000005)",
                  "deleted C:\\WINDOWS\\INF\\OTHER\\OLD.PNF",
                  "deleted C:\\WINDOWS\\INF\\OTHER\\OLD.INF", "deleted " + drivers + "NIMBLE.SYS"},
                 "failed, exit code 1603")},
        {"silent, a Japanese XP",
         [](ProgramRig& r) {
             Silent(kXp)(r);
             r.m.system.systemLanguage = 0x0411;
             r.WizardAfter(0);
         },
         Section("Windows XP 5.1.2600, language 0x0411, command line SETUP.EXE /S",
                 "silent install",
                 {"copied C:\\PKG\\NIMBLE.IN_ -> C:\\WINDOWS\\inf\\~SETUPI.3SN",
                  "disabled no CopyFiles entry",
                  "copied C:\\PKG\\NIMBLE.SY_ -> " + drivers + "~SETUPS.3SN",
                  "removed the device entry USB\\VID_F1A5&PID_D15F\\1",
                  "renamed " + drivers + "NIMBLE.SYS -> " + drivers + "~SETUPS.3SO",
                  "renamed C:\\WINDOWS\\inf\\~SETUPI.3SN -> C:\\WINDOWS\\inf\\oemNIMBLE.INF",
                  "renamed " + drivers + "~SETUPS.3SN -> " + drivers + "NIMBLE.SYS",
                  "deleted " + drivers + "~SETUPS.3SO",
                  "renamed " + inf + "USBSTOR.INF -> " + inf + "USBSTOR.I3S",
                  "renamed " + inf + "USBSTOR.PNF -> " + inf + "USBSTOR.P3S",
                  "requested a hardware rescan", "wizard page answered: Next",
                  "wizard page answered: Next", "wizard page answered: Finish",
                  "renamed " + inf + "USBSTOR.I3S -> " + inf + "USBSTOR.INF",
                  "renamed " + inf + "USBSTOR.P3S -> " + inf + "USBSTOR.PNF"},
                 "completed, exit code 0")},
        {"refused", Version(kMe),
         Section("Windows Me 4.90.3000, language 0x0409, command line SETUP.EXE", "no run", {},
                 "Windows not served, exit code 1633")},
        {"no package", Without({"NIMBLE.PDR"}),
         Section(k98SeMachine, "no run", {}, "package unusable, exit code 1619")},
        {"closed without a run, a log under the limit grows",
         [](ProgramRig& r) { r.m.givenFile(kLog, "earlier\r\n"); }, "earlier\r\n" + kClosed},
        {"a log past the limit becomes the .OLD, replacing an older one",
         [](ProgramRig& r) {
             r.m.givenFile(kLog, std::string(256 * 1024 - kClosed.size() + 1, 'x'));
             r.m.givenFile(kOldLog, "older");
         },
         kClosed, std::string(256 * 1024 - kClosed.size() + 1, 'x')},
        {"a log that just fits the limit",
         [](ProgramRig& r) { r.m.givenFile(kLog, std::string(256 * 1024 - kClosed.size(), 'x')); },
         std::string(256 * 1024 - kClosed.size(), 'x') + kClosed},
        {"a read-only log is left as it is",
         [](ProgramRig& r) { r.m.files.Put(kLog, "earlier\r\n", fake::kAttrReadOnly); },
         "earlier\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ProgramRig rig;
        row.given(rig);
        ProgramRig unlogged;  // the same run without a log: the same trace and exit code
        row.given(unlogged);
        unlogged.m.faults.FailAlways(fake::Op::AppendToFile);
        EXPECT_EQ(rig.Run(), unlogged.Run());
        EXPECT_EQ(rig.windows.trace, unlogged.windows.trace);
        EXPECT_EQ(rig.m.files.Read(kLog), row.log);
        EXPECT_EQ(rig.m.files.Exists(kOldLog) ? rig.m.files.Read(kOldLog) : "", row.old);
    }
    // A second start while the first works writes nothing.
    ProgramRig second;
    second.m.system.runGuardHolders = 1;
    EXPECT_EQ(second.Run(), 1618);
    EXPECT_FALSE(second.m.files.Exists(kLog));
}

}  // namespace
}  // namespace programrig
