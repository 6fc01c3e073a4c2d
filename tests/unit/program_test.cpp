// The whole program on the fake machine: how a run opens and ends, and what
// each road shows and changes, in the order the user and the system meet it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "program_rig.h"

namespace programrig {
namespace {

TEST(Program, TheUserLeavesWithoutARun) {
    ExpectRoad(kNothing, {{"Exit", kNothing, 1602, kIdle},
                          {"98 first edition", Version({4, 10, 1998}), 1602, kIdle},
                          {"agreement refused, silent", Silent(k98Se) + kRefuse, 1602, ""},
                          {"-S is no silent switch", Silent(k98Se, "SETUP.EXE -S"), 1602, kIdle},
                          {"a link inside the text", Link(" see http://www.v.example"), 1602,
                           Steps({kWaiting,
                                  "hand run:C:\\WINDOWS\\EXPLORER.EXE Explorer  see "
                                  "http://www.v.example",
                                  kMinimised})},
                          {"a link in capitals", Link("HTTP://WWW.V.EXAMPLE"), 1602, kIdle}});
}

TEST(Program, AnUnusablePackageEndsTheRun) {
    ExpectRoad(
        kNothing,
        {{"no package", Without({"NIMBLE.IN_", "NIMBLEFD.INF"}), 1619, "stop:INF file not found !"},
         {"no driver image", Without({"NIMBLE.SY_"}), 1619, "stop:SYS(SY_) file not found !"},
         {"no port driver", Without({"NIMBLE.PDR"}), 1619, "stop:MPD file not found !"},
         {"a package defect without a message", Edited("NIMBLE.IN_", "FDDInf", "FDDXnf"), 1619,
          ""}});
}

TEST(Program, WindowsTheProgramDoesNotServeIsRefused) {
    const Given noVersion = [](ProgramRig& r) { r.m.faults.FailAlways(fake::Op::GetVersion); };
    ExpectRoad(kNothing, {{"Windows 95", Version(k95, true), 1633, kRefused},
                          {"version query fails", noVersion, 1633, kRefused},
                          {"Me, a 98 package", Version(kMe), 1633, kRefused},
                          {"2000, a 98 package", Version(k2000), 1633, kRefused},
                          {"XP, a 98 package", Version(kXp), 1633, kRefused},
                          {"Server 2003", Version({5, 2, 3790}, true), 1633, kRefused}});
}

TEST(Program, InstallOnThe98Family) {
    ExpectRoad(
        kStart,
        {{"install", kNothing, 0, kInstall98,
          "~300 @1 ~200 @6 ~200 @10 ~3000 @15 @18 ~200 @21 ~200 @24 ~200 @27 ~200 @30 @100"},
         {"the disk is the model line TargetID names",
          Edited("NIMBLE.IN_", "TargetID=F1A5D15C", "TargetID=F1A5D15D") +
              Edited("NIMBLE.IN_", "=NimbleDisk,USB\\VID_F1A5&PID_D15C",
                     "=None,USB\\VID_F1A5&PID_D15C"),
          0, kInstall98},
         {"no device set could be built: nothing to remove, the install goes on", kNoDeviceSet, 0,
          Steps({kWaiting, kStartPressed, kStaged98, Removal(""), kPause, kCopies98, kInstalled})},
         {"a radio click during the install",
          [](ProgramRig& r) {
              r.onMain = [&r](WindowHandle dialog) {
                  r.Press(dialog, IDC_START);
                  r.Press(dialog, kIdCancel, 2500);  // inside the pause before the copies
                  r.Press(dialog, IDC_START, 2500);
                  r.Press(dialog, IDC_UNINSTALL, 2500);
              };
          },
          0,
          Steps({kWaiting, kStartPressed, kStaged98, Removal(), "~#", kRadioClicked, kPause,
                 kCopies98, kInstalled})},
         {"the package's image unreadable: its staged copies go, nothing is removed",
          [](ProgramRig& r) { r.m.files.Find("C:\\PKG\\NIMBLE.SY_")->openElsewhere = true; }, 1603,
          Steps({kWaiting, kStartPressed, "+~SETUPI.3SN *~SETUPI.3SN +~SETUPP.3SN",
                 "-~SETUPI.3SN -~SETUPP.3SN", kInstallFailed})},
         {"the old image held open: the removal stops, nothing is put in place", kImageHeld, 1603,
          Steps(
              {kWaiting, kStartPressed, kStaged98, Removal("-dev", ""), kPause,
               "'installing' @# ~# @# ~# @# ~# @# -~SETUPI.3SN -~SETUPP.3SN -~SETUPS.3SN ~# @# @#",
               kInstallFailed})}});
}

TEST(Program, InstallOn2000) {
    ExpectRoad(
        kStart,
        {{"2000", Version(k2000, true), 0,
          Steps({kWaiting, kStartPressed, kStagedNt, Removal(), kPause, kCopiesNt, kInstalled}),
          "~300 @1 ~200 @6 ~200 @10 ~3000 @15 @18 ~200 @21 ~200 @27 ~200 @30 @100"}});
}

TEST(Program, ShortInstallPutsTheFloppyInfInPlaceAlone) {
    auto steps = [](const std::string& inf, const std::string& reg) {
        return Steps({kWaiting, kStartPressed, "+~SETUPF.3SN", Removal("-dev", ""), inf,
                      "-NIMBLE.SYS", reg, kInstalled});
    };
    ExpectRoad(kStart, {{"Me", Version(kMe, true), 0, steps("~SETUPF.3SN>NIMBLEFD.INF", "reg"),
                         "~300 @3 ~200 @18 ~200 @30 @100"},
                        {"XP", Version(kXp, true), 0, steps("~SETUPF.3SN>oemNIMBLEFD.INF", "")}});
}

TEST(Program, Uninstall) {
    auto steps = [](const std::string& entries, const std::string& files, bool ok) {
        return Steps({kWaiting, kRadioClicked, kStartPressed, Removal(entries, files),
                      "+start +exit ''",
                      ok ? "info:Uninstallation is complete." : "stop:Uninstallation failed !"});
    };
    const std::string failed = steps("", kImageDeleted, false);
    const Given noEntries = [](ProgramRig& r) { r.m.devices.Clear(); };
    ExpectRoad(
        kUninstall,
        {{"uninstall", kNothing, 0, steps("-dev", kImageDeleted, true),
          "@0 ~300 @10 ~200 @60 ~200 @100"},
         {"small letters in the package's ids",
          kStaleInf + Edited("NIMBLE.IN_", "VID_F1A5&PID_D15C", "VID_f1a5&PID_d15c"), 0,
          steps("-dev", "-OLD.INF -NIMBLE.SYS", true)},
         {"the image held open", kImageHeld, 1603, steps("-dev", "", false)},
         {"an entry that cannot be removed", kStuckEntry, 1603,
          steps("-dev", kImageDeleted, false)},
         {"an entry that comes back at once",
          [](ProgramRig& r) {
              r.m.devices.onRemove = [&r, n = 0](const fake::FakeDevice& gone) mutable {
                  if (++n < 100) {  // the run must give up long before
                      r.m.devices.Add(gone);
                  }
              };
          },
          1603, failed},
         // SETUPAPI refuses the set of an enumerator that never created an entry as
         // invalid data, and failures it has no better code for alike.
         {"no device set could be built", kNoDeviceSet, 1603, failed},
         {"no entries and no enumerator keys: nothing to look at", noEntries, 0,
          steps("", kImageDeleted, true)},
         {"sets refused as invalid data, the key there",
          [](ProgramRig& r) { r.m.devices.refuseSetsWith = 13; }, 1603, failed},
         {"sets refused with another code, no key",
          noEntries + [](ProgramRig& r) { r.m.devices.refuseSetsWith = 31; },  // ERROR_GEN_FAILURE
          1603, failed},
         {"no key as far as could be seen",
          noEntries + [](ProgramRig& r) { r.m.devices.enumeratorKeysUnreadable = true; }, 1603,
          failed}});
}

TEST(Program, SilentInstallOnThe98Family) {
    auto steps = [](const std::string& staged) {
        return Steps({staged, Removal(), "z#", kCopies98, "@# scan ~# @#"});
    };
    ExpectRoad(
        kNothing,
        {{"98 SE", Silent(k98Se, "setup.exe /s"), 0, steps(kStaged98),
          "@2 ~200 @15 ~200 @25 z3000 @30 ~200 @35 ~200 @40 ~200 @45 ~200 @50 @50 ~3000 @100"},
         {"Windows 95", Silent(k95, "SETUP.EXE /SILENT"), 0, steps(kStaged98)},
         {"Me: the full install, no section to edit", Silent(kMe, "C:\\A/S\\SETUP.EXE"), 0,
          steps("+~SETUPI.3SN +~SETUPP.3SN +~SETUPS.3SN")}});
}

TEST(Program, SilentInstallOn2000AndXpAnswersTheWizard) {
    auto steps = [](const std::string& staged, std::initializer_list<std::string> rescan) {
        return Steps({staged, Removal(), "z#", kCopiesNt, "@#", Steps(rescan)});
    };
    const std::string unedited = "+~SETUPI.3SN +~SETUPS.3SN", searching = "~# @# ~# @# ~# @#";
    // The system makes one of the pair anew during the rescan: it stays, its aside copy goes.
    auto madeAnew = [](const char* name) {
        return Silent(kXp) + [name](ProgramRig& r) {
            r.m.devices.onReenumerate = [&r, name] {
                r.m.givenFile(kInf + std::string(name), "made anew");
                r.ShowWizardAt(r.windows.NowMs() + 1500);
            };
        };
    };
    ExpectRoad(
        kNothing,
        {{"XP: the wizard answered",
          // The floppy INF's model line names the main INF's install section; the bar
          // creeps while the search waits.
          Silent(kXp) + Edited("NIMBLEFD.INF", "=NimbleFloppyInstall", "=NimbleDisk") +
              WizardAfter(4500),
          0,
          steps(kStagedNt, {kUsbstorAside, "scan", searching, searching, searching, kWizardAnswered,
                            kUsbstorBack, "@#"}),
          "@2 ~200 @15 ~200 @25 z3000 @30 ~200 @35 ~200 @45 ~200 @50 @50 ~500 @50 ~500 @50 ~500 "
          "@50 ~500 @50 ~500 @50 ~500 @50 ~500 @50 ~500 @50 ~500 @51 z500 z500 z500 @66 z500 @66 "
          "z500 @66 z500 @66 @100"},
         {"XP, the rescan refused: the system shows its wizard anyway",
          Silent(kXp) +
              [](ProgramRig& r) {
                  r.m.devices.rootLocatable = false;
                  r.ShowWizardAt(0);
              },
          0, steps(unedited, {kUsbstorAside, kWizardAnswered, kUsbstorBack, "@#"})},
         {"XP, USBSTOR left aside by an earlier run",
          Silent(kXp) + WizardAfter(0) +
              [](ProgramRig& r) {
                  r.m.files.Rename(kInf + std::string("USBSTOR.INF"),
                                   kInf + std::string("USBSTOR.I3S"));
              },
          0,
          steps(unedited, {"USBSTOR.I3S>USBSTOR.INF", kUsbstorAside, "scan", kWizardAnswered,
                           kUsbstorBack, "@#"})},
         {"XP, USBSTOR.INF made anew", madeAnew("USBSTOR.INF"), 0,
          steps(unedited, {kUsbstorAside, searching, kWizardAnswered,
                           "USBSTOR.P3S>USBSTOR.PNF -USBSTOR.I3S @#"})},
         {"XP, USBSTOR.PNF made anew", madeAnew("USBSTOR.PNF"), 0,
          steps(unedited, {kUsbstorAside, searching, kWizardAnswered,
                           "USBSTOR.I3S>USBSTOR.INF -USBSTOR.P3S @#"})},
         {"2000: no wizard to answer", Silent(k2000), 0, steps(kStagedNt, {"scan @#"})}});
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
    const std::string plain = "UsbFlashDiskDriverSetup.OneRunAtATime", global = "Global\\" + plain;
    const struct {
        WindowsVersion version;
        std::string name;
    } kinds[] = {{k95, plain}, {k98Se, plain}, {kMe, plain}, {k2000, global}, {kXp, global}};
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
        kStart(rig);
        EXPECT_EQ(rig.Run(), 0);
        EXPECT_EQ(Masked(rig.windows.trace), kInstall98);
        EXPECT_TRUE(rig.m.files.Exists(windows + "INF\\OTHER\\NIMBLE.INF"));
    }
}

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
    const Given uninstall = kStaleInf + kStuckEntry + kUninstall + [](ProgramRig& r) {
        r.m.givenFile(kInf + std::string("OTHER\\OLD.PNF"), "pnf");
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
        {"install, 98 SE", kStart,
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
         Silent(kXp) + WizardAfter(0) + [](ProgramRig& r) { r.m.system.systemLanguage = 0x0411; },
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
