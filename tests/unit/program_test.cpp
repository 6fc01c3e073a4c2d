// The whole program on the fake machine: how a run opens and ends, and what
// each road shows and changes, in the order the user and the system meet it.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <set>
#include <string>

#include "app/setup_app.h"
#include "platform/fake/fake_wizard.h"
#include "platform/fake/machine.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

std::string Base(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

// Window services that write one line of what happens: 'status', bar
// positions, ~ms pauses that handle messages, zms plain sleeps, -start/+exit
// buttons, boxes (stop:/info:), +copied -deleted A>B renamed *written files,
// reg, -dev removed device entries, scan, the pointer, run: started programs.
class Tracing : public fake::FakeWindows {
  public:
    explicit Tracing(fake::Machine& m) : FakeWindows(m.faults, m.clock), m_(m) {}

    void Note(const std::string& token) {
        if (pauseMs_ != 0) {
            Add("~" + std::to_string(pauseMs_));
            pauseMs_ = 0;
        }
        FlushChanges();
        if (!token.empty()) {
            Add(token);
        }
    }
    std::string trace;
    std::set<unsigned> loaded;

    std::string LoadString(unsigned id) override {
        loaded.insert(id);
        return FakeWindows::LoadString(id);
    }
    bool DispatchOneMessage() override {
        if (pauseMs_ == 0) {
            FlushChanges();
        }
        pumping_ = true;
        return FakeWindows::DispatchOneMessage();
    }
    void Sleep(unsigned ms) override {
        if (pumping_) {
            pauseMs_ += ms;
            pumping_ = false;
        } else {
            Note("z" + std::to_string(ms));
        }
        FakeWindows::Sleep(ms);
    }
    void PaintMinimizedIcon(WindowHandle window, unsigned id) override {
        Note("icon" + std::to_string(id));
        FakeWindows::PaintMinimizedIcon(window, id);
    }
    void SetCursorFromResource(unsigned id) override {
        Note(id == 139 ? "hand" : "cursor " + std::to_string(id));
        FakeWindows::SetCursorFromResource(id);
    }
    void SetControlText(WindowHandle dialog, int control, const char* text) override {
        if (control == IDC_STATUS) {
            Note("'" + std::string(text) + "'");
        }
        FakeWindows::SetControlText(dialog, control, text);
    }
    void SetProgressPosition(WindowHandle dialog, int control, int position) override {
        Note(std::to_string(position));
        FakeWindows::SetProgressPosition(dialog, control, position);
    }
    void EnableControl(WindowHandle dialog, int control, bool enabled) override {
        Note((enabled ? "+" : "-") + std::string(control == IDC_START ? "start" : "exit"));
        FakeWindows::EnableControl(dialog, control, enabled);
    }
    int MessageBox(WindowHandle owner, const char* text, const char* caption,
                   unsigned flags) override {
        EXPECT_TRUE(flags == kIconStop || flags == kIconInformation) << flags;
        Note((flags == kIconStop ? "stop:" : "info:") + std::string(text));
        EXPECT_EQ(std::string(caption), StringTable(1033).at(BRAND_GROUP_FIRST_ID));
        return FakeWindows::MessageBox(owner, text, caption, flags);
    }

  private:
    void FlushChanges() {
        for (const auto& changes = m_.system.Changes(); seen_ < changes.size(); ++seen_) {
            const fake::Change& c = changes[seen_];
            if (Base(c.path).rfind("USBSETUP.", 0) == 0) {
                continue;  // the run's log: its rows read it whole
            }
            if (c.kind == fake::Change::Copy || c.kind == fake::Change::Delete) {
                Add((c.kind == fake::Change::Copy ? "+" : "-") + Base(c.path));
            } else if (c.kind == fake::Change::Rename) {
                Add(Base(c.source) + ">" + Base(c.path));
            } else if (c.kind == fake::Change::Write && last_ != "*" + Base(c.path)) {
                Add("*" + Base(c.path));
            } else if (c.kind == fake::Change::RegistryValue) {
                Add("reg");
            }
        }
        for (const auto& started = m_.system.StartedPrograms(); run_ < started.size(); ++run_) {
            Add("run:" + started[run_]);
        }
    }
    void Add(const std::string& token) {
        trace += (trace.empty() ? "" : " ") + token;
        last_ = token;
    }

    fake::Machine& m_;
    std::size_t seen_ = 0;
    std::size_t run_ = 0;
    bool pumping_ = false;
    unsigned pauseMs_ = 0;
    std::string last_;
};

constexpr char kImage[] = "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS";
constexpr char kInf[] = "C:\\WINDOWS\\INF\\";

// A Windows 98 SE machine with the sample package beside SETUP.EXE and what an
// earlier installation left: the disk's entry, its image, the driver database.
struct ProgramRig {
    fake::Machine m;
    Tracing windows{m};
    std::unique_ptr<fake::ScriptedWizard> wizard;
    bool agree = true;
    // The user looks at Start and the logo, clicks the logo, minimises the
    // dialog (a normal one is the system's to paint) and leaves.
    std::function<void(WindowHandle)> onMain = [this](WindowHandle dialog) {
        windows.Post([this, dialog] {
            windows.PointAt(dialog, windows.ControlWindow(dialog, IDC_START));
            windows.PointAt(dialog, windows.ControlWindow(dialog, IDC_LOGO));
            windows.Click(dialog, IDC_LOGO);
            windows.Paint(dialog);
            windows.Minimize(dialog);
            windows.Paint(dialog);
            windows.Note("drag" + std::to_string(windows.DragIcon(dialog)));
        });
        Press(dialog, kIdCancel);
    };

    ProgramRig() {
        windows.onDialogOpen = [this](WindowHandle dialog, unsigned templateId) {
            if (templateId == IDD_AGREEMENT) {
                Press(dialog, agree ? kIdOk : kIdCancel);
            } else if (templateId == IDD_SETUP) {
                onMain(dialog);
            }
        };
        windows.strings = StringTableForSystem(1033);
        windows.strings[IDS_REMOVING] = "removing";
        windows.strings[IDS_INSTALLING] = "installing";
        for (const char* name : {"NIMBLE.IN_", "NIMBLEFD.INF", "NIMBLE.SY_", "NIMBLE.PDR"}) {
            std::ifstream in(std::string(SAMPLE_PACKAGE_DIR) + "/" + name, std::ios::binary);
            m.givenFile(std::string("C:\\PKG\\") + name, {std::istreambuf_iterator<char>(in), {}});
        }
        for (const char* name : {"DRVIDX.BIN", "DRVDATA.BIN", "USBSTOR.INF", "USBSTOR.PNF"}) {
            m.givenFile(kInf + std::string(name), name);
        }
        m.givenFile(kImage, "old");
        m.givenDevice(kUsbClassGuid, "USB\\VID_F1A5&PID_D15C\\1");
        m.givenDevice(kHdcClassGuid, "USB\\VID_F1A5&PID_D15F\\1");  // the floppy INF's disk
        m.system.modulePath = "C:\\PKG\\SETUP.EXE";
        m.system.commandLine = "SETUP.EXE";
        m.devices.onRemove = [this](const fake::FakeDevice&) { windows.Note("-dev"); };
        m.devices.onReenumerate = [this] { windows.Note("scan"); };
    }
    void Edit(const std::string& name, const std::string& from, const std::string& to) {
        std::string text = m.files.Read("C:\\PKG\\" + name);
        m.givenFile("C:\\PKG\\" + name, text.replace(text.find(from), from.size(), to));
    }
    // The system shows its wizard for the disk at that time, or this long after the rescan.
    void ShowWizardAt(std::uint64_t ms) {
        wizard = std::make_unique<fake::ScriptedWizard>(
            windows.tree, fake::XpNewHardwareWizard("Vostrel NIMBLEKEY USB Floppy", ms));
    }
    void WizardAfter(std::uint64_t ms) {
        m.devices.onReenumerate = [this, ms] {
            windows.Note("scan");
            ShowWizardAt(windows.NowMs() + ms);
        };
    }
    void Press(WindowHandle dialog, int control, std::uint64_t atMs = 0) {
        windows.Post(
            [this, dialog, control] {
                if (control == IDC_UNINSTALL) {
                    windows.ClickRadio(dialog, control, {IDC_INSTALL, IDC_UNINSTALL});
                } else {
                    windows.Click(dialog, control);
                }
            },
            atMs);
    }
    int Run() {
        int code = RunSetupProgram(PlatformOf(m.system, m.devices, windows));
        windows.Note("");
        return code;
    }
};

using Given = std::function<void(ProgramRig&)>;

Given Version(WindowsVersion version, bool anySystem = false) {
    return [version, anySystem](ProgramRig& r) {
        r.m.system.version = version;
        if (anySystem) {
            r.Edit("NIMBLE.IN_", "Win98Only=1", "Win98Only=0");
        }
    };
}
Given Silent(WindowsVersion version, const char* commandLine = "SETUP.EXE /S") {
    return [version, commandLine](ProgramRig& r) {
        Version(version, true)(r);
        r.m.system.commandLine = commandLine;
    };
}
Given Without(std::vector<const char*> names) {
    return [names](ProgramRig& r) {
        for (const char* name : names) {
            r.m.files.Remove(std::string("C:\\PKG\\") + name);
        }
    };
}
Given Link(const char* text) {
    return [text](ProgramRig& r) { r.windows.strings[IDS_LINK] = text; };
}

constexpr WindowsVersion k95{4, 0, 950}, kMe{4, 90, 3000}, k2000{5, 0, 2195}, kXp{5, 1, 2600};
constexpr WindowsVersion k98Se{4, 10, 0x040A08AE};
const Given kNothing = [](ProgramRig&) {};
const Given kImageHeld = [](ProgramRig& r) { r.m.files.Find(kImage)->openElsewhere = true; };
const std::string kRefused = "stop:This program is for Windows 98 only !";

// A trace is the steps of a run, one piece each.
std::string Steps(std::initializer_list<std::string> pieces) {
    std::string trace;
    for (const std::string& piece : pieces) {
        trace += trace.empty() || piece.empty() ? piece : " " + piece;
    }
    return trace;
}
std::string At(int position) {
    return std::to_string(position);
}

// The dialog waits with an empty status line; a radio click empties the bar
// and the status line; Start greys Start and Exit for a 300 ms pause.
const std::string kWaiting = "''";
const std::string kRadioClicked = "0 ''";
const std::string kStartPressed = "-start -exit ~300";
// Minimised, the dialog paints and drags the program's icon; the default user
// looks, clicks the logo, minimises and leaves.
const std::string kMinimised = "icon128 drag128";
const std::string kIdle = Steps({kWaiting, kMinimised});
// Before anything is removed, an install stages each file beside its target:
// the script (edited where the floppy INF does not describe the disk), on the
// 98 kinds the port driver, then the image; the short install the floppy INF.
const std::string kStaged98 = "+~SETUPI.3SN *~SETUPI.3SN +~SETUPP.3SN +~SETUPS.3SN";
const std::string kStaged98Unedited = "+~SETUPI.3SN +~SETUPP.3SN +~SETUPS.3SN";
const std::string kStagedNt = "+~SETUPI.3SN *~SETUPI.3SN +~SETUPS.3SN";
const std::string kStagedNtUnedited = "+~SETUPI.3SN +~SETUPS.3SN";
const std::string kStagedFloppy = "+~SETUPF.3SN";
// The removal step over a range of the bar: the disk's device entries go,
// then the stale INFs and the old image, which an install sets aside.
const std::string kImageAside = "NIMBLE.SYS>~SETUPS.3SO";
const std::string kImageDeleted = "-NIMBLE.SYS";
std::string Removal(int at10, int at60, int end, const std::string& entries = "-dev",
                    const std::string& image = kImageAside) {
    return Steps({"'removing'", At(at10), entries, "~200", At(at60), image, "~200", At(end)});
}
// The pause before the copies of an interactive install, and the plain wait
// of a silent one.
const std::string kPause = "~3000 15";
const std::string kSleep = "z3000";
// The swap of the full install: the INF, on the 98 kinds the port driver,
// then the image renamed into place; when all are, the old image goes, on the
// 98 kinds with the driver database, and the search path value is set.
std::string Copies98(int at20, int at40, int at60, int at80, int end) {
    return Steps({"'installing'", At(at20), "~200 ~SETUPI.3SN>NIMBLE.INF", At(at40), "~200",
                  At(at60), "~SETUPP.3SN>NIMBLE.PDR ~200", At(at80),
                  "~SETUPS.3SN>NIMBLE.SYS -~SETUPS.3SO -DRVIDX.BIN -DRVDATA.BIN reg ~200",
                  At(end)});
}
std::string CopiesNt(int at20, int at40, int at80, int end) {
    return Steps({"'installing'", At(at20), "~200 ~SETUPI.3SN>oemNIMBLE.INF", At(at40), "~200",
                  At(at80), "~SETUPS.3SN>NIMBLE.SYS -~SETUPS.3SO ~200", At(end)});
}
// The end of an install; Start and Exit come back, the status line empties
// and the closing box shows.
const std::string kBarFull = "100";
std::string Closing(const std::string& box) {
    return Steps({"+start +exit ''", box});
}
const std::string kInstalledBox = "info:Installation is complete. Please replug your device.";
const std::string kUninstallFailedBox = "stop:Uninstallation failed !";
const std::string kInstallFailedBox = "stop:Installation failed !";
// The rescan of a silent install: from 50 on the bar, USBSTOR set aside and
// back on XP around the wizard's answers.
const std::string kRescanFrom = "50";
const std::string kUsbstorAside = "USBSTOR.INF>USBSTOR.I3S USBSTOR.PNF>USBSTOR.P3S";
const std::string kUsbstorBack = "USBSTOR.I3S>USBSTOR.INF USBSTOR.P3S>USBSTOR.PNF";
const std::string kWizardAnswered = "z500 z500 z500 66 z500 66 z500 66 z500 66";
const std::string kInstall98 =
    Steps({kWaiting, kStartPressed, kStaged98, Removal(1, 6, 10), kPause,
           Copies98(18, 21, 24, 27, 30), kBarFull, Closing(kInstalledBox)});

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
