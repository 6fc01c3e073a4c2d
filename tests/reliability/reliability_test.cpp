// Every road on a machine an earlier installation left, run cleanly, then once
// more for each platform call it made (that call failing, and it with every
// later one failing) and once with the disk full. After each run the program
// has changed only what it may, the machine is whole and the outcome honest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/package_reader.h"
#include "engine/run_outcome.h"
#include "engine/sequences.h"
#include "platform/fake/fake_wizard.h"
#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "ui/dialog_channel.h"

namespace {

const std::string kPkg = "C:\\PACKAGE\\", kWin = "C:\\WINDOWS\\";

// One start of the program for one road: the package is read the way the main
// dialog's initialisation reads it, then the road runs and its result becomes
// the outcome; a package that cannot be read runs nothing.
enum class Road { Install, Uninstall, SilentInstall };

RunOutcome RunRoad(const SetupServices& services, Road road, std::uint8_t osKind,
                   const char* sourceDir, SetupContext* ctx) {
    *ctx = SetupContext{};
    ctx->osKind = osKind;
    ctx->infOnlyMode = InfOnlyModeOf(osKind);
    ctx->installSelected = road != Road::Uninstall;
    if (!ctx->windowsDir.Assign("C:\\WINDOWS") || !ctx->sourceDir.Assign(sourceDir) ||
        !LoadPackage(services.system, services.channel, *ctx)) {
        return RunOutcome::PackageUnusable;
    }
    bool ok = road == Road::Install     ? RunInstall(services, *ctx)
              : road == Road::Uninstall ? RunUninstall(services, *ctx)
                                        : RunSilentInstall(services, *ctx);
    return ok ? RunOutcome::Completed : RunOutcome::Failed;
}

std::string Key(const std::string& path) {
    return fake::FileSystem::Key(path);
}

// What an earlier installation of the disk left ('S': a stale INF naming that
// hardware id), what other drivers keep ('F': an INF no run may touch) and the
// system's own files ('Y', with the name each is set aside under).
const struct {
    char role;
    const char* path;
    const char* text;
} kEarlier[] = {
    {'S', "INF\\OTHER\\NIMBLE.INF", "USB\\VID_F1A5&PID_D15C"},
    {'S', "INF\\OTHER\\NIMBLE10.INF", "usb\\vid_f1a5&pid_d15d"},
    {'S', "INF\\OEM3.INF", "USB\\VID_F1A5&PID_D15C&REV_0100"},
    {'F', "INF\\OTHER\\PRINTER.INF", "USB\\VID_04B8&PID_0005"},
    {'F', "INF\\OEM7.INF", "USB\\VID_04B8&PID_0005"},
    {'Y', "INF\\USBSTOR.INF", "INF\\USBSTOR.I3S"},
    {'Y', "INF\\USBSTOR.PNF", "INF\\USBSTOR.P3S"},
    {'Y', "INF\\DRVIDX.BIN", "INF\\DRVIDX.3S"},
    {'Y', "INF\\DRVDATA.BIN", "INF\\DRVDATA.3S"},
    {' ', "INF\\OTHER\\NIMBLE.PNF", "pnf"},
    {' ', "INF\\OTHER\\NIMBLE10.PNF", "pnf"},
    {' ', "INF\\OEM3.PNF", "pnf"},
    {' ', "SYSTEM32\\DRIVERS\\NIMBLE.SYS", "old image"},
    {' ', "SYSTEM\\IOSUBSYS\\NIMBLE.PDR", "old port driver"},
};
// Four USB entries, then three of the hard disk controller class.
const char* const kDevices[] = {
    "USB\\VID_F1A5&PID_D15C\\5&2A&0&1", "USB\\VID_F1A5&PID_D15D\\6&11&0&2",
    "USB\\VID_F1A5&PID_D15F\\6&11&0&3", "USB\\VID_045E&PID_0040\\5&1",
    "USB\\Vid_f1a5&Pid_d15c\\0001",     "D3IVURU\\VID_F1A5&PID_D15C\\7&3C&0",
    "PCI\\VEN_8086&DEV_7111\\3&61"};

struct Rig {
    Rig(Road road, std::uint8_t osKind, bool stuckDevice) : road(road), osKind(osKind) {
        for (const char* name : {"NIMBLE.IN_", "NIMBLEFD.INF", "NIMBLE.SY_", "NIMBLE.PDR"}) {
            std::ostringstream bytes;
            bytes << std::ifstream(std::string(SAMPLE_PACKAGE_DIR) + "/" + name).rdbuf();
            std::string text = bytes.str();
            std::size_t only98 = text.find("Win98Only=1");  // so that Me, 2000 and XP run too
            m.givenFile(kPkg + name,
                        only98 > text.size() ? text : text.replace(only98, 11, "Win98Only=0"));
        }
        for (const auto& f : kEarlier) {
            std::string inf =
                "[Version]\r\nSignature=$CHICAGO$\r\n[Manufacturer]\r\nV=M\r\n[M]\r\nD=I,";
            bool readOnly = f.role == 'S' || f.role == ' ';
            m.files.Put(kWin + f.path,
                        f.role == 'Y'   ? f.path
                        : f.role == ' ' ? f.text
                                        : inf + f.text,
                        readOnly ? fake::kAttrReadOnly : fake::kAttrNormal);
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
                    m.windows.tree, fake::XpNewHardwareWizard(ctx.deviceDescription.c_str(),
                                                              m.windows.NowMs() + 1500));
            }
        };
        for (const fake::File* file : m.files.All()) {
            before[Key(file->path)] = file->bytes;
        }
        devicesBefore = m.devices.InstanceIds();
    }

    RunOutcome Run() { return outcome = RunRoad(services, road, osKind, "C:\\PACKAGE", &ctx); }
    bool Holds(const std::string& path, const std::string& bytes) const {
        const fake::File* file = m.files.Find(path);
        return file != nullptr && file->bytes == bytes;
    }
    bool Kept(const std::string& path) const { return Holds(path, before.at(Key(path))); }

    // The disk's entries are those the loaded target ids name.
    bool OfTheDisk(const std::string& instanceId) const {
        std::string id = Key(instanceId);
        for (std::size_t i = 0; i < kMaxTargetIds && !ctx.targetIds[i].pid.empty(); ++i) {
            if (id.find(Key(std::string("VID_") + ctx.targetIds[i].vid.c_str())) !=
                    std::string::npos &&
                id.find(Key(std::string("PID_") + ctx.targetIds[i].pid.c_str())) !=
                    std::string::npos) {
                return true;
            }
        }
        return false;
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
        if (outcome == RunOutcome::PackageUnusable) {
            return out + (m.system.Changes().empty() ? "" : "an unusable package changed files; ");
        }
        bool shortInstall =
            road == Road::Install && (osKind == OsKind::kWinMe || osKind == OsKind::kWinXP);
        bool mayDeleteDatabase =
            !shortInstall && road != Road::Uninstall && osKind < OsKind::kWin2000;
        for (const auto& f : kEarlier) {
            std::string path = kWin + f.path, aside = kWin + f.text;
            bool back = Kept(path) && !m.files.Exists(aside);
            bool deleted = f.path[4] == 'D' && mayDeleteDatabase && !m.files.Exists(path);
            // An aside copy may hold the only copy where a failing call kept it from coming back.
            bool keptAside = m.faults.Injected() != 0 && Holds(aside, before.at(Key(path)));
            out += f.role == 'F' && !Kept(path) ? "changed " + path + "; " : "";
            out += f.role == 'Y' && !back && !deleted && !keptAside ? path + " is not back; " : "";
        }
        std::string image = kWin + "SYSTEM32\\DRIVERS\\NIMBLE.SYS";
        std::vector<std::string> ids = m.devices.InstanceIds();
        if (road == Road::Uninstall) {
            bool left =
                m.files.Exists(image) ||
                std::any_of(ids.begin(), ids.end(), [this](auto& id) { return OfTheDisk(id); });
            return out +
                   (outcome == RunOutcome::Completed && left ? "complete, the driver left; " : "");
        }
        std::string inf = shortInstall ? "NIMBLEFD.INF" : "NIMBLE.IN_";
        std::string infAt = kWin + (osKind < OsKind::kWin2000 ? "INF\\OTHER\\" : "INF\\OEM") + inf;
        infAt.back() = 'F';
        // The full install turns off the first CopyFiles behind its install section.
        std::string source = before.at(Key(kPkg + inf)), edited = source;
        edited.insert(shortInstall ? 0 : source.find("CopyFiles", source.find("[NimbleDisk]")),
                      shortInstall ? "" : ";");
        bool copied = Holds(infAt, source) || Holds(infAt, edited);
        copied = copied && (shortInstall || Holds(image, before.at(Key(kPkg + "NIMBLE.SY_"))));
        if (!shortInstall && osKind < OsKind::kWin2000) {
            copied = copied && Holds(kWin + "SYSTEM\\IOSUBSYS\\NIMBLE.PDR",
                                     before.at(Key(kPkg + "NIMBLE.PDR")));
        }
        if (copied != (outcome == RunOutcome::Completed)) {
            out += copied ? "failed although every copy was made; "
                          : "complete although a copy is missing; ";
        }
        return out;
    }

    Road road;
    std::uint8_t osKind;
    fake::Machine m;
    BrandTexts brand{"Setup", "NIMBLEKEY", "", ""};
    DialogChannel channel{m.windows, 0x102, brand};
    SetupServices services{m.system, m.devices, m.windows, channel};
    SetupContext ctx;
    RunOutcome outcome = RunOutcome::Cancelled;
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
    EXPECT_EQ(clean.Run(), c.stuckDevice ? RunOutcome::Failed : RunOutcome::Completed);
    EXPECT_EQ(clean.Violations(), "");
    if (c.osKind != OsKind::kWinMe &&
        c.osKind != OsKind::kWinXP) {  // where the models are the disk's
        std::string stale =
            kWin + (c.osKind < OsKind::kWin2000 ? "INF\\OTHER\\NIMBLE10." : "INF\\OEM3.");
        EXPECT_FALSE(clean.m.files.Exists(stale + "INF") || clean.m.files.Exists(stale + "PNF"));
    }
    const std::vector<fake::Op> calls = clean.m.faults.Log();
    for (std::size_t call = 0; call <= calls.size(); ++call) {
        for (bool andLater : {false, true}) {
            Rig rig(c.road, c.osKind, c.stuckDevice);
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
