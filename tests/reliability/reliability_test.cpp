// Every road on a machine an earlier installation left, run cleanly, then once
// more for each platform call it made (that call failing, and it with every
// later one failing) and once with the disk full. The whole program runs, as
// a user starts it; after each run it has changed only what it may, the
// machine is whole and its exit code honest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/setup_app.h"
#include "engine/setup_context.h"
#include "platform/fake/fake_wizard.h"
#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

const std::string kPkg = "C:\\PACKAGE\\", kWin = "C:\\WINDOWS\\";

enum class Road { Install, Uninstall, SilentInstall };

std::string Key(const std::string& path) {
    return fake::FileSystem::Key(path);
}

// What an earlier installation of the disk and other drivers left in the INF
// store ('I': an INF naming that hardware id, gone after a clean run on the
// kinds of `staleOn` and never touched elsewhere, each with a .PNF), the
// system's own files ('Y', with the name each is set aside under) and the old
// driver files (' ').
const struct {
    char role;
    const char* path;
    const char* text;
    const char* staleOn = "";  // OsKind values, as digits
} kEarlier[] = {
    {'I', "INF\\OTHER\\NIMBLE1.INF", "USB\\VID_F1A5&PID_D15C", "012"},
    {'I', "INF\\OTHER\\nimble10.inf", "usb\\vid_f1a5&pid_d15d", "012"},
    {'I', "INF\\OTHER\\NIMBLE20.INF", "USB\\VID_04B8&PID_0005\r\nB=I,USB\\VID_F1A5&PID_D15D",
     "012"},
    {'I', "INF\\OTHER\\FLOPPY1.INF", "USB\\VID_F1A5&PID_D15F", "3"},  // the floppy INF's disk
    {'I', "INF\\oem3.inf", "USB\\VID_F1A5&PID_D15C&REV_0100", "4"},
    {'I', "INF\\OEM4.INF", "USB\\VID_04B8&PID_0005\r\nB=I,USB\\VID_F1A5&PID_D15F", "5"},
    {'I', "INF\\OTHER\\PRINTER.INF", "USB\\VID_04B8&PID_0005"},
    {'I', "INF\\OTHER\\NIMBLEX.INF", "USB\\VID_F1A5&PID_0001"},  // the vendor's other product
    {'I', "INF\\OEM7.INF", "USB\\VID_04B8&PID_0005"},
    {'I', "INF\\OEM8.INF", "USB\\VID_04B8&PID_D15C"},  // the product id under another vendor
    {'I', "INF\\USB.INF", "USB\\VID_F1A5&PID_D15C"},   // the system's own INF: not an OEM one
    {'Y', "INF\\USBSTOR.INF", "INF\\USBSTOR.I3S"},
    {'Y', "INF\\USBSTOR.PNF", "INF\\USBSTOR.P3S"},
    {'Y', "INF\\DRVIDX.BIN", "INF\\DRVIDX.3S"},
    {'Y', "INF\\DRVDATA.BIN", "INF\\DRVDATA.3S"},
    {' ', "SYSTEM32\\DRIVERS\\NIMBLE.SYS", "old image"},
    {' ', "SYSTEM\\IOSUBSYS\\NIMBLE.PDR", "old port driver"},
};
// Four USB entries (the last one of another vendor with the disk's product id), then
// three of the hard disk controller class.
const char* const kDevices[] = {
    "USB\\VID_F1A5&PID_D15C\\5&2A&0&1", "USB\\VID_F1A5&PID_D15D\\6&11&0&2",
    "USB\\VID_F1A5&PID_D15F\\6&11&0&3", "USB\\VID_045E&PID_D15C\\5&1",
    "USB\\Vid_f1a5&Pid_d15c\\0001",     "D3IVURU\\VID_F1A5&PID_D15C\\7&3C&0",
    "PCI\\VEN_8086&DEV_7111\\3&61"};

std::string Pnf(std::string infPath) {
    return Key(infPath.replace(infPath.size() - 3, 3, "PNF"));
}

// One start of the program for one road on a machine an earlier installation
// filled, the package read only (a CD-ROM or a write-protected disk). The
// program decides the exit code as it does for a user.
struct Rig {
    Rig(Road road, std::uint8_t osKind, bool stuckDevice) : road(road), osKind(osKind) {
        const WindowsVersion versions[] = {{4, 0, 950},   {4, 10, 1998}, {4, 10, 0x040A08AE},
                                           {4, 90, 3000}, {5, 0, 2195},  {5, 1, 2600}};
        m.system.version = versions[osKind];
        m.system.commandLine = road == Road::SilentInstall ? "SETUP.EXE /S" : "SETUP.EXE";
        m.system.modulePath = kPkg + "SETUP.EXE";
        m.windows.strings = StringTableForSystem(1033);
        m.windows.onDialogOpen = [this](WindowHandle dialog, unsigned templateId) {
            m.windows.Post([this, dialog, templateId] {
                if (templateId == IDD_AGREEMENT || this->road == Road::SilentInstall) {
                    m.windows.Click(dialog, templateId == IDD_AGREEMENT ? kIdOk : kIdCancel);
                    return;
                }
                if (this->road == Road::Uninstall) {
                    m.windows.ClickRadio(dialog, IDC_UNINSTALL, {IDC_INSTALL, IDC_UNINSTALL});
                }
                m.windows.Click(dialog, IDC_START);
            });
        };
        for (const char* name : {"NIMBLE.IN_", "NIMBLEFD.INF", "NIMBLE.SY_", "NIMBLE.PDR"}) {
            std::ostringstream bytes;
            bytes << std::ifstream(std::string(SAMPLE_PACKAGE_DIR) + "/" + name).rdbuf();
            std::string text = bytes.str();
            std::size_t only98 = text.find("Win98Only=1");  // so that Me, 2000 and XP run too
            m.files.Put(kPkg + name,
                        only98 > text.size() ? text : text.replace(only98, 11, "Win98Only=0"),
                        fake::kAttrReadOnly);
        }
        for (const auto& f : kEarlier) {
            std::string inf =
                "[Version]\r\nSignature=$CHICAGO$\r\n[Manufacturer]\r\nV=M\r\n[M]\r\nA=I,";
            m.files.Put(kWin + f.path,
                        f.role == 'Y'   ? f.path
                        : f.role == 'I' ? inf + f.text
                                        : f.text,
                        f.role == 'Y' ? fake::kAttrNormal : fake::kAttrReadOnly);
            if (f.role == 'I') {
                m.files.Put(Pnf(kWin + f.path), "pnf", fake::kAttrReadOnly);
            }
        }
        for (std::size_t i = 0; i < sizeof kDevices / sizeof *kDevices; ++i) {
            m.givenDevice(i < 4 ? kUsbClassGuid : kHdcClassGuid, kDevices[i], i % 2 == 0);
        }
        if (stuckDevice) {
            m.devices.Add(
                fake::FakeDevice{kUsbClassGuid, "USB\\VID_F1A5&PID_D15C\\9&S", true, true});
        }
        m.devices.onReenumerate = [this] {  // Windows shows its wizard for the disk found again
            if (!wizard) {
                wizard = std::make_unique<fake::ScriptedWizard>(
                    m.windows.tree, fake::XpNewHardwareWizard("Vostrel NIMBLEKEY USB Floppy",
                                                              m.windows.NowMs() + 1500));
            }
        };
        for (const fake::File* file : m.files.All()) {
            before[Key(file->path)] = file->bytes;
        }
        devicesBefore = m.devices.InstanceIds();
    }

    int Run() { return exitCode = RunSetupProgram(Platform{m.system, m.devices, m.windows}); }
    bool Holds(const std::string& path, const std::string& bytes) const {
        const fake::File* file = m.files.Find(path);
        return file != nullptr && file->bytes == bytes;
    }
    bool Kept(const std::string& path) const { return Holds(path, before.at(Key(path))); }
    // Windows Me and XP read the floppy INF, whose model line is the disk's
    // floppy drive; the others read the setup script's two model lines.
    bool ShortKind() const { return InfOnlyModeOf(osKind) != 0; }
    bool StaleHere(const char* staleOn) const {
        return std::string(staleOn).find(char('0' + osKind)) != std::string::npos;
    }

    bool OfTheDisk(const std::string& instanceId) const {
        std::string id = Key(instanceId);
        auto has = [&id](const char* part) { return id.find(part) != std::string::npos; };
        return has("VID_F1A5") &&
               (ShortKind() ? has("PID_D15F") : has("PID_D15C") || (allModels && has("PID_D15D")));
    }

    // Only the program's own folders and the search path value change.
    static bool Fenced(const fake::Change& change) {
        auto inFolders = [](const std::string& path) {
            std::string folder = Key(fake::FileSystem::FolderOf(path)) + "\\ ";
            return path.find('/') == std::string::npos && path.find("\\.") == std::string::npos &&
                   std::string(
                       R"(C:\WINDOWS\INF\ C:\WINDOWS\INF\OTHER\ C:\WINDOWS\SYSTEM\IOSUBSYS\ )"
                       R"(C:\WINDOWS\SYSTEM32\DRIVERS\ )")
                           .find(folder) != std::string::npos;
        };
        if (change.kind == fake::Change::RegistryValue) {
            return Key(change.path) ==
                   Key("Software\\Microsoft\\Windows\\CurrentVersion\\OtherDevicePath");
        }
        return inFolders(change.path) &&
               (change.kind != fake::Change::Rename || inFolders(change.source));
    }

    // The installed INF: the full install turns off the first CopyFiles behind
    // its install section, the short one copies the floppy INF as it is.
    std::string InstalledInf(std::string* source, std::string* edited) const {
        bool shortInstall = road == Road::Install && ShortKind();
        std::string inf = shortInstall ? "NIMBLEFD.INF" : "NIMBLE.IN_";
        std::string infAt = kWin + (osKind < OsKind::kWin2000 ? "INF\\OTHER\\" : "INF\\OEM") + inf;
        infAt.back() = 'F';
        *source = *edited = before.at(Key(kPkg + inf));
        std::size_t copyFiles = source->find("CopyFiles", source->find("[NimbleDisk]"));
        if (!ShortKind()) {
            edited->insert(copyFiles, ";");
        }
        return infAt;
    }

    // The rules every run keeps; empty when it kept them all.
    std::string Violations() const {
        std::string out;
        bool wizardRoad = road == Road::SilentInstall && osKind == OsKind::kWinXP;
        if (m.windows.NowMs() > (wizardRoad ? 431000u : 10000u)) {  // the wizard may take 7 minutes
            out += "the run took " + std::to_string(m.windows.NowMs()) + " ms; ";
        }
        if (m.system.OpenInfCount() + m.system.OpenFileCount() + m.devices.OpenSetCount() != 0) {
            out += "a handle was left open; ";
        }
        for (const fake::Change& change : m.system.Changes()) {
            out += Fenced(change) ? "" : "changed outside the fence: " + change.path + "; ";
        }
        for (const std::string& id : devicesBefore) {
            out += m.devices.Has(id) || OfTheDisk(id) ? "" : "removed a foreign entry " + id + "; ";
        }
        if (exitCode != 0 && exitCode != 1603) {  // no run: refused, cancelled, no package
            bool changed = !m.system.Changes().empty() || m.devices.InstanceIds() != devicesBefore;
            return out +
                   (changed ? "ended with " + std::to_string(exitCode) + " after changes; " : "");
        }
        bool shortInstall = road == Road::Install && ShortKind();
        bool mayDeleteDatabase =
            !shortInstall && road != Road::Uninstall && osKind < OsKind::kWin2000;
        for (const auto& f : kEarlier) {
            std::string path = kWin + f.path, aside = kWin + f.text;
            bool back = Kept(path) && !m.files.Exists(aside);
            bool deleted = f.path[4] == 'D' && mayDeleteDatabase && !m.files.Exists(path);
            // An aside copy may hold the only copy where a failing call kept it from coming back.
            bool keptAside = m.faults.Injected() != 0 && Holds(aside, before.at(Key(path)));
            bool foreign = f.role == 'I' && !StaleHere(f.staleOn);
            out += foreign && !(Kept(path) && Kept(Pnf(path))) ? "changed " + path + "; " : "";
            out += f.role == 'Y' && !back && !deleted && !keptAside ? path + " is not back; " : "";
        }
        std::string image = kWin + "SYSTEM32\\DRIVERS\\NIMBLE.SYS";
        std::vector<std::string> ids = m.devices.InstanceIds();
        if (road == Road::Uninstall) {
            bool left =
                m.files.Exists(image) ||
                std::any_of(ids.begin(), ids.end(), [this](auto& id) { return OfTheDisk(id); });
            return out + (exitCode == 0 && left ? "complete, the driver left; " : "");
        }
        std::string source, edited;
        std::string infAt = InstalledInf(&source, &edited);
        bool copied = Holds(infAt, source) || Holds(infAt, edited);
        copied = copied && (shortInstall || Holds(image, before.at(Key(kPkg + "NIMBLE.SY_"))));
        if (!shortInstall && osKind < OsKind::kWin2000) {
            copied = copied && Holds(kWin + "SYSTEM\\IOSUBSYS\\NIMBLE.PDR",
                                     before.at(Key(kPkg + "NIMBLE.PDR")));
        }
        if (copied != (exitCode == 0)) {
            out += copied ? "failed although every copy was made; "
                          : "complete although a copy is missing; ";
        }
        return out;
    }

    // What a run without faults leaves besides: the stale INFs gone with their
    // .PNF, the installed INF edited and every installed file writable.
    std::string CleanRunLeft() const {
        std::string out;
        for (const auto& f : kEarlier) {
            std::string path = kWin + f.path;
            bool gone = !Kept(path) && !m.files.Exists(Pnf(path));
            out += f.role == 'I' && StaleHere(f.staleOn) && !gone ? path + " stays; " : "";
        }
        std::string source, edited;
        std::string infAt = InstalledInf(&source, &edited);
        if (road != Road::Uninstall && !Holds(infAt, edited)) {
            out += infAt + " is not as installed; ";
        }
        for (const fake::File* file : m.files.All()) {
            bool installed = before.count(Key(file->path)) == 0 || !Kept(file->path);
            if (installed && (file->attributes & fake::kAttrReadOnly) != 0) {
                out += file->path + " is read-only; ";
            }
        }
        return out;
    }

    Road road;
    std::uint8_t osKind;  // as the program sees it
    fake::Machine m;
    int exitCode = -1;
    bool allModels = true;  // false: the reader met the end of the models after the first
    std::unique_ptr<fake::ScriptedWizard> wizard;
    std::map<std::string, std::string> before;
    std::vector<std::string> devicesBefore;
};

const struct RoadCase {
    const char* name;
    Road road;
    std::uint8_t osKind;
    bool stuckDevice;  // an entry of the disk the system refuses to remove
} kRoads[] = {
    {"InstallOn98", Road::Install, OsKind::kWin98, false},
    {"InstallOn2000", Road::Install, OsKind::kWin2000, false},
    {"ShortInstallOnMe", Road::Install, OsKind::kWinMe, false},
    {"ShortInstallOnXP", Road::Install, OsKind::kWinXP, false},
    {"UninstallOn98SE", Road::Uninstall, OsKind::kWin98SE, false},
    {"UninstallOn2000", Road::Uninstall, OsKind::kWin2000, false},
    {"UninstallWithAnEntryThatStays", Road::Uninstall, OsKind::kWin98SE, true},
    {"SilentOnUnknown", Road::SilentInstall, OsKind::kUnknown, false},
    {"SilentOn98SE", Road::SilentInstall, OsKind::kWin98SE, false},
    {"SilentOnMe", Road::SilentInstall, OsKind::kWinMe, false},
    {"SilentOn2000", Road::SilentInstall, OsKind::kWin2000, false},
    {"SilentOnXP", Road::SilentInstall, OsKind::kWinXP, false},
};

class Roads : public ::testing::TestWithParam<RoadCase> {};

TEST_P(Roads, EveryFailureLeavesTheMachineWholeAndTheOutcomeHonest) {
    const RoadCase& c = GetParam();
    Rig clean(c.road, c.osKind, c.stuckDevice);
    EXPECT_EQ(clean.Run(), c.stuckDevice ? 1603 : 0);
    EXPECT_EQ(clean.Violations(), "");
    EXPECT_EQ(clean.CleanRunLeft(), "");
    const std::vector<fake::Op> calls = clean.m.faults.Log();
    // The version the program classifies by: the run guard's own query before
    // it only chooses the guard's name.
    const auto guard = std::find(calls.begin(), calls.end(), fake::Op::TakeRunGuard);
    const std::size_t version = std::find(guard, calls.end(), fake::Op::GetVersion) - calls.begin();
    const std::size_t secondModel =
        std::find(calls.begin(), calls.end(), fake::Op::FindNextLine) - calls.begin();
    for (std::size_t call = 0; call <= calls.size(); ++call) {
        for (bool andLater : {false, true}) {
            Rig rig(c.road, c.osKind, c.stuckDevice);
            if (call == version || (andLater && call < version)) {
                rig.osKind = OsKind::kUnknown;  // what a failed version query classifies as
            }
            // The second model line refused reads as the end of the models, as it
            // does on Windows, where only the end refuses a next line.
            rig.allModels = call != secondModel;
            rig.m.faults.FailCall(call < calls.size() ? call : SIZE_MAX, andLater);
            rig.m.system.diskFreeBytes =
                call < calls.size() ? UINT64_MAX : 0;  // the edit grows a file
            rig.Run();
            EXPECT_EQ(rig.Violations(), "")
                << "failing call " << call << (andLater ? " and later " : " ")
                << (call < calls.size() ? fake::OpName(calls[call]) : ", disk full");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(All, Roads, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<RoadCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
