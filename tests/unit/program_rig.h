// The rig that runs the whole program on the fake machine, and the language
// of its traces.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/setup_app.h"
#include "platform/fake/fake_wizard.h"
#include "platform/fake/machine.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace programrig {

inline std::string Base(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}

// Window services that write one line of what happens: 'status', @bar
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
        Note("@" + std::to_string(position));
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

inline constexpr char kImage[] = "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS";
inline constexpr char kInf[] = "C:\\WINDOWS\\INF\\";

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
    // The system shows its wizard for the disk at that time.
    void ShowWizardAt(std::uint64_t ms) {
        wizard = std::make_unique<fake::ScriptedWizard>(
            windows.tree, fake::XpNewHardwareWizard("Vostrel NIMBLEKEY USB Floppy", ms));
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

// Both, in this order.
inline Given operator+(Given first, Given second) {
    return [first, second](ProgramRig& r) {
        first(r);
        second(r);
    };
}

// The package's file with its first 'from' made 'to'.
inline Given Edited(const std::string& name, const std::string& from, const std::string& to) {
    return [path = "C:\\PKG\\" + name, from, to](ProgramRig& r) {
        std::string text = r.m.files.Read(path);
        r.m.givenFile(path, text.replace(text.find(from), from.size(), to));
    };
}
// The system shows its wizard this long after the rescan.
inline Given WizardAfter(std::uint64_t ms) {
    return [ms](ProgramRig& r) {
        r.m.devices.onReenumerate = [&r, ms] {
            r.windows.Note("scan");
            r.ShowWizardAt(r.windows.NowMs() + ms);
        };
    };
}
inline Given Version(WindowsVersion version, bool anySystem = false) {
    return [version, anySystem](ProgramRig& r) {
        r.m.system.version = version;
        if (anySystem) {
            Edited("NIMBLE.IN_", "Win98Only=1", "Win98Only=0")(r);
        }
    };
}
inline Given Silent(WindowsVersion version, const char* commandLine = "SETUP.EXE /S") {
    return [version, commandLine](ProgramRig& r) {
        Version(version, true)(r);
        r.m.system.commandLine = commandLine;
    };
}
inline Given Without(std::vector<const char*> names) {
    return [names](ProgramRig& r) {
        for (const char* name : names) {
            r.m.files.Remove(std::string("C:\\PKG\\") + name);
        }
    };
}
inline Given Link(const char* text) {
    return [text](ProgramRig& r) { r.windows.strings[IDS_LINK] = text; };
}

inline constexpr WindowsVersion k95{4, 0, 950}, kMe{4, 90, 3000}, k2000{5, 0, 2195},
    kXp{5, 1, 2600};
inline constexpr WindowsVersion k98Se{4, 10, 0x040A08AE};
inline const Given kNothing = [](ProgramRig&) {};
inline const Given kRefuse = [](ProgramRig& r) { r.agree = false; };
inline const Given kStaleInf = [](ProgramRig& r) {
    r.m.givenFile(kInf + std::string("OTHER\\OLD.INF"),
                  "[Version]\r\nSignature=$CHICAGO$\r\n[Manufacturer]\r\nV=M\r\n[M]\r\n"
                  "A=I,USB\\VID_F1A5&PID_D15C\r\n");
};
// A disk entry the system will not remove.
inline const Given kStuckEntry = [](ProgramRig& r) {
    r.m.devices.Add({kHdcClassGuid, "USB\\VID_F1A5&PID_D15D\\2", true, true});
};
inline const Given kNoDeviceSet = [](ProgramRig& r) {
    r.m.faults.FailAlways(fake::Op::OpenDeviceSet);
};
inline const Given kImageHeld = [](ProgramRig& r) { r.m.files.Find(kImage)->openElsewhere = true; };
inline const std::string kRefused = "stop:This program is for Windows 98 only !";

// What the user does in the main dialog: the default user looks and leaves;
// these press Start at once, or pick Uninstall first.
inline const Given kStart = [](ProgramRig& r) {
    r.onMain = [&r](WindowHandle dialog) { r.Press(dialog, IDC_START); };
};
inline const Given kUninstall = [](ProgramRig& r) {
    r.onMain = [&r](WindowHandle dialog) {
        r.Press(dialog, IDC_UNINSTALL);
        r.Press(dialog, IDC_START);
    };
};

// A trace is the steps of a run, one piece each. Expected steps write bar
// positions as @# and pause and sleep lengths as ~# and z#: each road pins
// its numbers once, in its timeline.
inline std::string Steps(std::initializer_list<std::string> pieces) {
    std::string trace;
    for (const std::string& piece : pieces) {
        trace += trace.empty() || piece.empty() ? piece : " " + piece;
    }
    return trace;
}
inline const std::regex kTimed("(^| )([@~z])([0-9]+)(?= |$)");
inline std::string Masked(const std::string& trace) {
    return std::regex_replace(trace, kTimed, "$1$2#");
}
inline std::string Timeline(const std::string& trace) {
    std::string timeline;
    for (std::sregex_iterator it(trace.begin(), trace.end(), kTimed), end; it != end; ++it) {
        timeline += (timeline.empty() ? "" : " ") + (*it)[2].str() + (*it)[3].str();
    }
    return timeline;
}

// The dialog waits with an empty status line; a radio click empties the bar
// and the status line; Start greys Start and Exit for a pause.
inline const std::string kWaiting = "''";
inline const std::string kRadioClicked = "@# ''";
inline const std::string kStartPressed = "-start -exit ~#";
// Minimised, the dialog paints and drags the program's icon; the default user
// looks, clicks the logo, minimises and leaves.
inline const std::string kMinimised = "icon128 drag128";
inline const std::string kIdle = Steps({kWaiting, kMinimised});
// Before anything is removed, an install stages each file beside its target:
// the script (edited where the floppy INF does not describe the disk), on the
// 98 kinds the port driver, then the image; the short install the floppy INF.
inline const std::string kStaged98 = "+~SETUPI.3SN *~SETUPI.3SN +~SETUPP.3SN +~SETUPS.3SN";
inline const std::string kStagedNt = "+~SETUPI.3SN *~SETUPI.3SN +~SETUPS.3SN";
// The removal step over a range of the bar: the disk's device entries go,
// then the stale INFs and the old image, which an install sets aside.
inline const std::string kImageDeleted = "-NIMBLE.SYS";
inline std::string Removal(const std::string& entries = "-dev",
                           const std::string& image = "NIMBLE.SYS>~SETUPS.3SO") {
    return Steps({"'removing' @#", entries, "~# @#", image, "~# @#"});
}
// The pause before the copies of an interactive install; a silent one waits
// with a plain sleep (z#).
inline const std::string kPause = "~# @#";
// The swap of the full install: the INF, on the 98 kinds the port driver,
// then the image renamed into place; when all are, the old image goes, on the
// 98 kinds with the driver database, and the search path value is set.
inline const std::string kCopies98 =
    "'installing' @# ~# ~SETUPI.3SN>NIMBLE.INF @# ~# @# ~SETUPP.3SN>NIMBLE.PDR ~# @# "
    "~SETUPS.3SN>NIMBLE.SYS -~SETUPS.3SO -DRVIDX.BIN -DRVDATA.BIN reg ~# @#";
inline const std::string kCopiesNt =
    "'installing' @# ~# ~SETUPI.3SN>oemNIMBLE.INF @# ~# @# ~SETUPS.3SN>NIMBLE.SYS -~SETUPS.3SO "
    "~# @#";
// The end of an install: the bar full; Start and Exit come back, the status
// line empties and the closing box shows.
inline const std::string kInstalled =
    "@# +start +exit '' info:Installation is complete. Please replug your device.";
inline const std::string kInstallFailed = "+start +exit '' stop:Installation failed !";
// The rescan of a silent install: from its bar position, USBSTOR set aside
// and back on XP around the wizard's answers.
inline const std::string kUsbstorAside = "USBSTOR.INF>USBSTOR.I3S USBSTOR.PNF>USBSTOR.P3S";
inline const std::string kUsbstorBack = "USBSTOR.I3S>USBSTOR.INF USBSTOR.P3S>USBSTOR.PNF";
inline const std::string kWizardAnswered = "z# z# z# @# z# @# z# @# z# @#";
inline const std::string kInstall98 =
    Steps({kWaiting, kStartPressed, kStaged98, Removal(), kPause, kCopies98, kInstalled});

struct Row {
    const char* name;
    Given given;
    int exitCode;
    std::string steps;
    std::string timeline = "";  // pinned once per road
};

// Runs each row as the user. Steps are compared with their numbers masked, so
// that a retuned pause or bar position fails only the row that pins it.
inline void ExpectRoad(const Given& user, std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ProgramRig rig;
        (user + row.given)(rig);
        EXPECT_EQ(rig.Run(), row.exitCode);
        EXPECT_EQ(Masked(rig.windows.trace), row.steps);
        if (!row.timeline.empty()) {
            EXPECT_EQ(Timeline(rig.windows.trace), row.timeline);
        }
        for (unsigned language : StringLanguages()) {
            for (unsigned id : rig.windows.loaded) {
                EXPECT_NE(StringTable(language).count(id) ? StringTable(language).at(id) : "", "")
                    << "language " << language << ", id " << id;
            }
        }
    }
}

}  // namespace programrig
