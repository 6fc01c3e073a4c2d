// Every road on a machine an earlier installation left, run cleanly, then once
// more for each platform call it made (that call failing, and it with every
// later one failing) and once with the disk full. The whole program runs, as
// a user starts it; after each run it has changed only what it may, the
// machine holds the earlier installation or the new one and its exit code is
// honest. Each install road is also cut short after each of its calls, and
// started again on what the cut left.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
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

// The run's log and its older part, in the Windows folder.
bool IsRunLog(const std::string& path) {
    return Key(path) == Key(kWin + "USBSETUP.LOG") || Key(path) == Key(kWin + "USBSETUP.OLD");
}

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
        // The earlier installation's own INF where the road installs its INF.
        m.files.Put(
            InfTarget(),
            "[Version]\r\nSignature=$CHICAGO$\r\n[Manufacturer]\r\nV=M\r\n[M]\r\nA=I," +
                std::string(ShortKind() ? "USB\\VID_F1A5&PID_D15F" : "USB\\VID_F1A5&PID_D15C") +
                "\r\n; the earlier driver\r\n",
            fake::kAttrReadOnly);
        m.files.Put(Pnf(InfTarget()), "earlier pnf", fake::kAttrReadOnly);
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

    int Run() { return exitCode = RunSetupProgram(PlatformOf(m.system, m.devices, m.windows)); }
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
        if (IsRunLog(change.path)) {
            return change.kind == fake::Change::Write || change.kind == fake::Change::Rename;
        }
        if (change.kind == fake::Change::RegistryValue) {
            return Key(change.path) ==
                   Key("Software\\Microsoft\\Windows\\CurrentVersion\\OtherDevicePath");
        }
        return inFolders(change.path) &&
               (change.kind != fake::Change::Rename || inFolders(change.source));
    }

    bool ShortInstall() const { return road == Road::Install && ShortKind(); }
    std::string InfTarget() const {
        return kWin + (osKind < OsKind::kWin2000 ? "INF\\OTHER\\" : "INF\\OEM") +
               (ShortInstall() ? "NIMBLEFD.INF" : "NIMBLE.INF");
    }
    // The installed INF as the package holds it and as installed: the full
    // install turns off the first CopyFiles behind its install section, the
    // short one copies the floppy INF as it is.
    std::pair<std::string, std::string> InstalledInf() const {
        std::string source =
            before.at(Key(kPkg + (ShortInstall() ? "NIMBLEFD.INF" : "NIMBLE.IN_")));
        std::string edited = source;
        if (!ShortKind()) {
            edited.insert(source.find("CopyFiles", source.find("[NimbleDisk]")), ";");
        }
        return {source, edited};
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
            const auto& changes = m.system.Changes();
            bool changed = std::any_of(changes.begin(), changes.end(),
                                       [](const fake::Change& c) { return !IsRunLog(c.path); }) ||
                           m.devices.InstanceIds() != devicesBefore;
            return out +
                   (changed ? "ended with " + std::to_string(exitCode) + " after changes; " : "");
        }
        bool mayDeleteDatabase =
            !ShortInstall() && road != Road::Uninstall && osKind < OsKind::kWin2000;
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
        std::vector<std::string> ids = m.devices.InstanceIds();
        if (road == Road::Uninstall) {
            std::string image = kWin + "SYSTEM32\\DRIVERS\\NIMBLE.SYS";
            bool left =
                m.files.Exists(image) ||
                std::any_of(ids.begin(), ids.end(), [this](auto& id) { return OfTheDisk(id); });
            return out + (exitCode == 0 && left ? "complete, the driver left; " : "");
        }
        bool fresh = NewInstallationWhole();
        if (fresh != (exitCode == 0)) {
            out += fresh ? "failed although every file is in place; "
                         : "complete although a file is not in place; ";
        }
        return out + FilesOfTheInstall();
    }

    // A file the install puts in place (or, on the short install, the image it
    // removes): what the earlier installation held there and what the new one
    // may hold, "" for no file.
    struct Target {
        std::string path, earlier;
        std::vector<std::string> fresh;
    };
    std::string Before(const std::string& path) const {
        auto it = before.find(Key(path));
        return it == before.end() ? "" : it->second;
    }
    bool HoldsOrNot(const std::string& path, const std::string& bytes) const {
        return bytes.empty() ? !m.files.Exists(path) : Holds(path, bytes);
    }
    bool HoldsNew(const Target& t) const {
        return std::any_of(t.fresh.begin(), t.fresh.end(),
                           [&](const std::string& bytes) { return HoldsOrNot(t.path, bytes); });
    }
    std::vector<Target> Targets() const {
        auto [source, edited] = InstalledInf();
        std::string image = kWin + "SYSTEM32\\DRIVERS\\NIMBLE.SYS";
        std::string port = kWin + "SYSTEM\\IOSUBSYS\\NIMBLE.PDR";
        std::vector<Target> targets = {
            {InfTarget(), Before(InfTarget()), {source, edited}},
            // The short install deletes the earlier image when its INF is in place.
            {image, Before(image),
             ShortInstall() ? std::vector<std::string>{"", Before(image)}
                            : std::vector<std::string>{Before(kPkg + "NIMBLE.SY_")}}};
        if (!ShortInstall() && osKind < OsKind::kWin2000) {
            targets.push_back({port, Before(port), {Before(kPkg + "NIMBLE.PDR")}});
        }
        return targets;
    }
    bool NewInstallationWhole() const {
        std::vector<Target> targets = Targets();
        return std::all_of(targets.begin(), targets.end(),
                           [this](const Target& t) { return HoldsNew(t); });
    }
    bool EarlierInstallationWhole() const {
        bool whole = HoldsOrNot(Pnf(InfTarget()), Before(Pnf(InfTarget())));
        for (const Target& t : Targets()) {
            whole = whole && HoldsOrNot(t.path, t.earlier);
        }
        return whole;
    }
    // Files that were not there before and are no file of the new installation
    // (the rescan's own aside names are held to their rule above).
    std::vector<const fake::File*> Leftovers() const {
        std::vector<const fake::File*> left;
        std::vector<Target> targets = Targets();
        for (const fake::File* file : m.files.All()) {
            bool target = std::any_of(targets.begin(), targets.end(), [&](const Target& t) {
                return Key(t.path) == Key(file->path);
            });
            for (const auto& f : kEarlier) {
                target = target || (f.role == 'Y' && Key(kWin + f.text) == Key(file->path));
            }
            if (!target && before.count(Key(file->path)) == 0 && !IsRunLog(file->path)) {
                left.push_back(file);
            }
        }
        return left;
    }

    // The install's files: the earlier installation whole or the new one, and
    // nothing else. Where the run was cut short (`lenient`), files beside the
    // targets, 8.3 names in their folders, may still hold the earlier ones.
    std::string FilesOfTheInstall() const {
        if (road == Road::Uninstall) {
            return "";
        }
        std::string out;
        std::vector<const fake::File*> left = Leftovers();
        std::vector<Target> targets = Targets();
        if (!lenient) {
            if (!EarlierInstallationWhole() && !NewInstallationWhole()) {
                out += "neither the earlier nor the new installation is whole; ";
            }
            for (const fake::File* file : left) {
                out += "left " + file->path + "; ";
            }
            return out;
        }
        for (const Target& t : targets) {
            bool beside = std::any_of(left.begin(), left.end(), [&](const fake::File* file) {
                return Key(fake::FileSystem::FolderOf(file->path)) ==
                           Key(fake::FileSystem::FolderOf(t.path)) &&
                       file->bytes == t.earlier;
            });
            bool kept = HoldsOrNot(t.path, t.earlier) || HoldsNew(t) || beside;
            out += kept ? "" : "lost the earlier " + t.path + "; ";
        }
        for (const fake::File* file : left) {
            std::string folder = Key(fake::FileSystem::FolderOf(file->path));
            std::string name = Key(file->path).substr(folder.size() + 1);
            std::size_t dot = name.find('.');
            bool shortName =
                dot <= 8 && name.size() - dot <= 4 && name.find('.', dot + 1) == std::string::npos;
            bool besideTarget = std::any_of(targets.begin(), targets.end(), [&](const Target& t) {
                return Key(fake::FileSystem::FolderOf(t.path)) == folder;
            });
            out +=
                shortName && besideTarget ? "" : "left " + file->path + " elsewhere or not 8.3; ";
        }
        return out;
    }

    // The files, registry value and device entries a run leaves.
    std::string State() const {
        std::string state;
        for (const fake::File* file : m.files.All()) {
            if (IsRunLog(file->path)) {
                continue;
            }
            state +=
                Key(file->path) + "=" + file->bytes + "/" + std::to_string(file->attributes) + "\n";
        }
        state += m.registry.Text("Software\\Microsoft\\Windows\\CurrentVersion", "OtherDevicePath");
        for (const std::string& id : m.devices.InstanceIds()) {
            state += "\n" + id;
        }
        return state;
    }
    // The log's rules, for a run whose calls from `failed` on (with
    // `andLater`) or that call alone failed: a section whenever its write was
    // not one of them, in CRLF lines, ending with the run's exit code; where a
    // failed change is one the run reports, it names it with its error code.
    std::string LogViolations(std::size_t failed, bool andLater) const {
        const std::vector<fake::Op>& calls = m.faults.Log();
        auto failing = [&](std::size_t call) {
            return call == failed || (andLater && call > failed);
        };
        auto last = [&calls](fake::Op op) {
            return std::find(calls.rbegin(), calls.rend(), op).base() - calls.begin() - 1;
        };
        const std::ptrdiff_t append = last(fake::Op::AppendToFile);
        const fake::File* log = m.files.Find(kWin + "USBSETUP.LOG");
        if (append < 0 || failing(static_cast<std::size_t>(append))) {
            return log == nullptr ? "" : "a log without its write; ";
        }
        if (log == nullptr) {
            return m.system.diskFreeBytes == 0 ? "" : "no log; ";  // a full disk takes no section
        }
        const std::string& text = log->bytes;
        std::string out;
        for (std::size_t at = text.find('\n'); at != std::string::npos;
             at = text.find('\n', at + 1)) {
            out += at > 0 && text[at - 1] == '\r' ? "" : "a line without CR; ";
        }
        std::string end = "exit code " + std::to_string(exitCode) + "\r\n";
        if (text.size() < end.size() || text.compare(text.size() - end.size(), end.size(), end)) {
            out += "the section does not end with exit code " + std::to_string(exitCode) + "; ";
        }
        // The section's own writer begins with the version in its header.
        const std::ptrdiff_t writer = last(fake::Op::GetVersion);
        // Changes and looks; the INF edit and the marks cleared before a
        // delete have the line of the step they serve.
        const std::set<fake::Op> reported = {fake::Op::CopyFile,
                                             fake::Op::DeleteFile,
                                             fake::Op::MoveFile,
                                             fake::Op::CreateDirectory,
                                             fake::Op::RemoveDevice,
                                             fake::Op::OpenDeviceSet,
                                             fake::Op::LocateRootDevNode,
                                             fake::Op::ReenumerateDevNode,
                                             fake::Op::SetMachineRegistryText};
        if (!andLater && failed < calls.size() && static_cast<std::ptrdiff_t>(failed) < writer &&
            reported.count(calls[failed]) != 0 &&
            text.find("error 31 (0x0000001F)") == std::string::npos) {
            out += "the failed " + std::string(fake::OpName(calls[failed])) + " is not named; ";
        }
        return out;
    }

    // The machine another run left, with no program holding a file open.
    void TakeMachineOf(const Rig& other) {
        m.files = other.m.files;
        for (const fake::File* file : other.m.files.All()) {
            m.files.Find(file->path)->openHere = 0;
        }
        m.registry = other.m.registry;
        m.devices.CopyTreeFrom(other.m.devices);
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
        std::string infAt = InfTarget();
        if (road != Road::Uninstall && !Holds(infAt, InstalledInf().second)) {
            out += infAt + " is not as installed; ";
        }
        if (road == Road::Uninstall && m.files.Exists(infAt)) {
            out += infAt + " stays; ";
        }
        if (m.files.Exists(Pnf(infAt))) {  // precompiled from the INF replaced or removed
            out += Pnf(infAt) + " stays; ";
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
    bool lenient = false;   // every call from one on failed, or the run was cut short
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
    EXPECT_EQ(clean.LogViolations(SIZE_MAX, false), "");
    // A log that cannot be written changes nothing else.
    Rig unlogged(c.road, c.osKind, c.stuckDevice);
    unlogged.m.faults.FailAlways(fake::Op::AppendToFile);
    EXPECT_EQ(unlogged.Run(), clean.exitCode);
    EXPECT_EQ(unlogged.State(), clean.State());
    const std::vector<fake::Op> calls = clean.m.faults.Log();
    // The version the program classifies by: the run guard's own query before
    // it only chooses the guard's name.
    const auto guard = std::find(calls.begin(), calls.end(), fake::Op::TakeRunGuard);
    const std::size_t version = std::find(guard, calls.end(), fake::Op::GetVersion) - calls.begin();
    const std::size_t secondModel =
        std::find(calls.begin(), calls.end(), fake::Op::FindNextLine) - calls.begin();
    std::size_t runs = 1;
    for (std::size_t call = 0; call <= calls.size(); ++call) {
        for (bool andLater : {false, true}) {
            Rig rig(c.road, c.osKind, c.stuckDevice);
            rig.lenient = andLater;
            ++runs;
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
            EXPECT_EQ(rig.Violations() + rig.LogViolations(call, andLater), "")
                << "failing call " << call << (andLater ? " and later " : " ")
                << (call < calls.size() ? fake::OpName(calls[call]) : ", disk full");
        }
    }
    // Each install road cut short after each of its calls, and started again.
    const std::size_t cuts = c.road == Road::Uninstall ? 0 : calls.size();
    std::set<std::string> cutStates;
    for (std::size_t call = 0; call < cuts; ++call) {
        Rig cut(c.road, c.osKind, c.stuckDevice);
        cut.m.faults.CutAfter(call);
        try {
            cut.Run();
        } catch (const fake::PowerCut&) {
        }
        cut.lenient = true;
        EXPECT_EQ(cut.FilesOfTheInstall(), "")
            << "cut after call " << call << " " << fake::OpName(calls[call]);
        // The next start on a state met before ends as it did then.
        if (!cutStates.insert(cut.State()).second) {
            continue;
        }
        Rig next(c.road, c.osKind, c.stuckDevice);
        next.TakeMachineOf(cut);
        EXPECT_EQ(next.Run(), 0) << "cut after call " << call;
        EXPECT_EQ(next.Violations() + next.CleanRunLeft(), "")
            << "cut after call " << call << " " << fake::OpName(calls[call]);
    }
    std::cout << c.name << ": " << runs << " runs, " << cuts << " cuts, " << cutStates.size()
              << " machine states started again\n";
}

std::string RoadName(const ::testing::TestParamInfo<RoadCase>& info) {
    return info.param.name;
}
INSTANTIATE_TEST_SUITE_P(All, Roads, ::testing::ValuesIn(kRoads), RoadName);

}  // namespace
