#include "tests/reliability/rig.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/os_kind.h"
#include "resources/resource_ids.h"

namespace reliability {

namespace {

using fake::Change;
using fake::FileSystem;

constexpr WindowHandle kDialog = 0x102;
constexpr char kInfFolder[] = "C:\\WINDOWS\\INF\\";
constexpr char kOtherFolder[] = "C:\\WINDOWS\\INF\\OTHER\\";
constexpr char kImageFolder[] = "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\";
constexpr char kPortFolder[] = "C:\\WINDOWS\\SYSTEM\\IOSUBSYS\\";
constexpr char kSearchPathValue[] = "Software\\Microsoft\\Windows\\CurrentVersion\\OtherDevicePath";

// The longest road without the wizard pauses about 7.2 s; the wizard adds its
// search (120 x 500 ms), the two first presses and at most 720 watch cycles.
constexpr std::uint64_t kQuietRunBoundMs = 10000;
constexpr std::uint64_t kWizardRunBoundMs = kQuietRunBoundMs + 60000 + 1000 + 720 * 500;

std::string ReadSample(const std::string& name) {
    std::ifstream in(std::string(SAMPLE_PACKAGE_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Upper(std::string text) {
    for (char& c : text) {
        c = AsciiUpper(c);
    }
    return text;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::string OldInf(const std::string& hardwareId, const std::string& description) {
    return "[Version]\r\nSignature=\"$CHICAGO$\"\r\nClass=hdc\r\nProvider=%Maker%\r\n"
           "[Manufacturer]\r\n%Maker%=OldModels\r\n[OldModels]\r\n%Desc%=OldInstall," +
           hardwareId +
           "\r\n[OldInstall]\r\nCopyFiles=Old.Sys\r\n[Strings]\r\nMaker=\"Vostrel\"\r\n" +
           "Desc=\"" + description + "\"\r\n";
}

std::string ForeignInf() {
    return "[Version]\r\nSignature=\"$Chicago$\"\r\nClass=Printer\r\nProvider=Other\r\n"
           "[Manufacturer]\r\nOther=Printers\r\n[Printers]\r\nLaser=LaserInstall,"
           "USB\\VID_04B8&PID_0005\r\n";
}

// What an earlier installation of the disk's driver, and Windows itself, left.
void GivenEarlierInstallation(fake::Machine& m, const MachineOptions& options) {
    constexpr std::uint32_t kReadOnly = fake::kAttrReadOnly;
    std::string other = kOtherFolder;
    std::string inf = kInfFolder;
    m.files.Put(other + "NIMBLE.INF", OldInf("USB\\VID_F1A5&PID_D15C", "NIMBLEKEY 1.0"));
    m.files.Put(other + "NIMBLE.PNF", "compiled NIMBLE.INF");
    m.files.Put(other + "NIMBLE10.INF", OldInf("usb\\vid_f1a5&pid_d15d", "NIMBLEKEY 0.9"),
                kReadOnly);
    m.files.Put(other + "NIMBLE10.PNF", "compiled NIMBLE10.INF", kReadOnly);
    m.files.Put(other + "PRINTER.INF", ForeignInf());
    m.files.Put(inf + "OEM3.INF", OldInf("USB\\VID_F1A5&PID_D15C&REV_0100", "NIMBLEKEY 1.0"));
    m.files.Put(inf + "OEM3.PNF", "compiled OEM3.INF");
    m.files.Put(inf + "OEM7.INF", ForeignInf());
    m.files.Put(inf + "OEM7.PNF", "compiled OEM7.INF");
    for (const char* name : {"USBSTOR.INF", "USBSTOR.PNF", "DRVIDX.BIN", "DRVDATA.BIN"}) {
        m.files.Put(inf + name, std::string("system file ") + name);
    }
    m.files.Put(std::string(kImageFolder) + "NIMBLE.SYS", "driver image 1.0", kReadOnly);
    m.files.Put(std::string(kPortFolder) + "NIMBLE.PDR", "port driver 1.0");
    m.files.Put(std::string(kPortFolder) + "ESDI_506.PDR", "a port driver of Windows");

    m.givenDevice(kUsbClassGuid, "USB\\VID_F1A5&PID_D15C\\5&2A3B4C5D&0&1");
    m.givenDevice(kUsbClassGuid, "USB\\VID_F1A5&PID_D15D\\6&11&0&2", false);
    m.givenDevice(kUsbClassGuid, "USB\\VID_F1A5&PID_D15F\\6&11&0&3", false);
    m.givenDevice(kHdcClassGuid, "USB\\Vid_f1a5&Pid_d15c\\0001");
    m.givenDevice(kHdcClassGuid, "D3IVURU\\VID_F1A5&PID_D15C\\7&3C&0");
    m.givenDevice(kUsbClassGuid, "USB\\VID_045E&PID_0040\\5&1&0&1");
    m.givenDevice(kHdcClassGuid, "PCI\\VEN_8086&DEV_7111\\3&61AAA01&0&39");
    if (options.stuckDevice) {
        m.devices.Add(
            fake::FakeDevice{kUsbClassGuid, "USB\\VID_F1A5&PID_D15C\\9&STUCK", true, true});
    }
}

// The installed name: the last character replaced.
std::string Installed(const std::string& path, char mark) {
    std::string marked = path;
    if (!marked.empty()) {
        marked.back() = mark;
    }
    return marked;
}

std::string InfDestination(std::uint8_t osKind, const std::string& name) {
    std::string path = osKind < OsKind::kWin2000
                           ? std::string(kWindowsDir) + "\\inf\\other\\" + name
                           : std::string(kWindowsDir) + "\\inf\\oem" + name;
    return Installed(path, 'F');
}

bool SamePath(const std::string& a, const std::string& b) {
    return FileSystem::Key(a) == FileSystem::Key(b);
}

// The disk's device entries are those the loaded target ids name: a section
// whose lines stop early cannot be told from a package with fewer lines.
bool OfTheDisk(const std::string& instanceId, const SetupContext& ctx) {
    std::string id = Upper(instanceId);
    for (const TargetId& target : ctx.targetIds) {
        if (target.vid.empty() || target.pid.empty()) {
            break;
        }
        if (Contains(id, Upper(std::string("VID_") + target.vid.c_str())) &&
            Contains(id, Upper(std::string("PID_") + target.pid.c_str()))) {
            return true;
        }
    }
    return false;
}

bool PlainPath(const std::string& path) {
    if (path.find('/') != std::string::npos) {
        return false;
    }
    std::string wrapped = "\\" + path + "\\";
    return !Contains(wrapped, "\\.\\") && !Contains(wrapped, "\\..\\");
}

bool InAllowedFolder(const std::string& path) {
    static const char* const kFolders[] = {kInfFolder, kOtherFolder, kImageFolder, kPortFolder};
    if (!PlainPath(path)) {
        return false;
    }
    std::string folder = FileSystem::Key(FileSystem::FolderOf(path)) + "\\";
    return std::any_of(std::begin(kFolders), std::end(kFolders),
                       [&](const char* allowed) { return folder == allowed; });
}

}  // namespace

PackageFiles SamplePackage() {
    std::string script = ReadSample("NIMBLE.IN_");
    std::string serves98Only = "Win98Only=1";
    std::size_t at = script.find(serves98Only);
    if (at != std::string::npos) {
        script.replace(at, serves98Only.size(), "Win98Only=0");
    }
    return {{"NIMBLE.IN_", script},
            {"NIMBLEFD.INF", ReadSample("NIMBLEFD.INF")},
            {"NIMBLE.SY_", ReadSample("NIMBLE.SY_")},
            {"NIMBLE.PDR", ReadSample("NIMBLE.PDR")}};
}

bool InsideFence(const Change& change) {
    switch (change.kind) {
        case Change::RegistryValue:
            return SamePath(change.path, kSearchPathValue);
        case Change::CreateFolder:
            return PlainPath(change.path) && SamePath(change.path, "C:\\WINDOWS\\INF\\OTHER");
        case Change::Rename:
            return InAllowedFolder(change.path) && InAllowedFolder(change.source);
        default:
            return InAllowedFolder(change.path);
    }
}

std::string WithCopyFilesDisabled(const std::string& bytes, const std::string& section) {
    std::string upper = Upper(bytes.substr(0, bytes.find('\0')));  // text ends at a NUL
    std::string header = Upper("[" + section + "]");
    std::size_t at = upper.find(header);
    if (at == std::string::npos) {
        return std::string();
    }
    std::size_t entry = upper.find("COPYFILES", at + header.size());
    if (entry == std::string::npos) {
        return std::string();
    }
    return bytes.substr(0, entry) + ";" + bytes.substr(entry);
}

Rig::Rig(const PackageFiles& package, MachineOptions options)
    : brand_{"Setup", "NIMBLEKEY", "", ""},
      channel_(m.windows, kDialog, brand_),
      services_{m.system, m.devices, m.windows, channel_} {
    for (const PackageFile& file : package) {
        m.givenFile(std::string(kPackageDir) + "\\" + file.name, file.bytes);
    }
    GivenEarlierInstallation(m, options);
    m.givenString(IDS_REMOVING, "removing device if present...");
    m.givenString(IDS_INSTALLING, "installing...");
    m.givenString(IDS_INF_NOT_FOUND, "INF file not found !");
    m.givenString(IDS_SYS_NOT_FOUND, "SYS(SY_) file not found !");
    m.givenString(IDS_PDR_NOT_FOUND, "MPD file not found !");
    // Windows shows its wizard for the disk it found again.
    m.devices.onReenumerate = [this] {
        if (!wizard_) {
            wizard_ = std::make_unique<fake::ScriptedWizard>(
                m.windows.tree,
                fake::XpNewHardwareWizard(ctx.deviceDescription.c_str(), m.windows.NowMs() + 1500));
        }
    };
}

RunOutcome Rig::Run(Road runRoad, std::uint8_t kind, const FaultPlan* fault) {
    road = runRoad;
    osKind = kind;
    fault_ = fault;
    for (const fake::File* file : m.files.All()) {
        filesBefore_[FileSystem::Key(file->path)] = file->bytes;
    }
    devicesBefore_ = m.devices.InstanceIds();
    m.faults.Clear();
    if (fault != nullptr) {
        m.faults.FailCall(fault->call, fault->andLater);
    }
    outcome = RunRoad(services_, RunRequest{road, osKind, kPackageDir, kWindowsDir}, &ctx);
    return outcome;
}

bool Rig::Injected(fake::Op op) const {
    if (fault_ == nullptr) {
        return false;
    }
    const std::vector<fake::Op>& log = m.faults.Log();
    for (std::size_t i = fault_->call; i < log.size(); ++i) {
        if (log[i] == op) {
            return true;
        }
        if (!fault_->andLater) {
            break;
        }
    }
    return false;
}

std::string Rig::Before(const std::string& path) const {
    auto it = filesBefore_.find(FileSystem::Key(path));
    return it == filesBefore_.end() ? std::string() : it->second;
}

bool Rig::ExistedBefore(const std::string& path) const {
    return filesBefore_.count(FileSystem::Key(path)) != 0;
}

bool Rig::Received(Change::Kind kind, const std::string& path) const {
    const std::vector<Change>& changes = m.system.Changes();
    return std::any_of(changes.begin(), changes.end(), [&](const Change& change) {
        return change.kind == kind && SamePath(change.path, path);
    });
}

std::vector<std::string> Rig::Violations() const {
    std::vector<std::string> out;
    CheckClock(&out);
    if (m.system.OpenInfCount() != 0 || m.system.OpenFileCount() != 0 ||
        m.devices.OpenSetCount() != 0) {
        out.push_back("a handle was left open");
    }
    CheckFence(&out);
    if (outcome == RunOutcome::PackageUnusable) {
        if (!m.system.Changes().empty() || m.devices.InstanceIds() != devicesBefore_) {
            out.push_back("an unusable package still changed the machine");
        }
        return out;
    }
    if (outcome != RunOutcome::Completed && outcome != RunOutcome::Failed) {
        out.push_back("a run that started ended neither complete nor failed");
    }
    CheckSystemFiles(&out);
    CheckInstalledInf(&out);
    CheckOutcome(&out);
    return out;
}

void Rig::CheckClock(std::vector<std::string>* out) const {
    bool wizard = road == Road::SilentInstall && osKind == OsKind::kWinXP;
    std::uint64_t bound = wizard ? kWizardRunBoundMs : kQuietRunBoundMs;
    if (m.windows.NowMs() > bound) {
        out->push_back("the run took " + std::to_string(m.windows.NowMs()) + " ms");
    }
}

void Rig::CheckFence(std::vector<std::string>* out) const {
    for (const Change& change : m.system.Changes()) {
        if (!InsideFence(change)) {
            out->push_back("changed outside the fence: " + change.path +
                           (change.source.empty() ? "" : " from " + change.source));
        }
    }
    for (const std::string& id : devicesBefore_) {
        if (!m.devices.Has(id) && !OfTheDisk(id, ctx)) {
            out->push_back("removed a device entry that is not the disk's: " + id);
        }
    }
}

void Rig::CheckSystemFiles(std::vector<std::string>* out) const {
    struct Pair {
        const char* system;
        const char* aside;
        bool database;
    };
    static const Pair kPairs[] = {{"USBSTOR.INF", "USBSTOR.I3S", false},
                                  {"USBSTOR.PNF", "USBSTOR.P3S", false},
                                  {"DRVIDX.BIN", "DRVIDX.3S", true},
                                  {"DRVDATA.BIN", "DRVDATA.3S", true}};
    bool fullInstall =
        road == Road::SilentInstall || (road == Road::Install && !ShortInstallKind(osKind));
    bool mayDeleteDatabase = fullInstall && osKind < OsKind::kWin2000;
    for (const Pair& pair : kPairs) {
        std::string system = std::string(kInfFolder) + pair.system;
        std::string aside = std::string(kInfFolder) + pair.aside;
        if (!ExistedBefore(system)) {
            continue;
        }
        const fake::File* now = m.files.Find(system);
        const fake::File* asideNow = m.files.Find(aside);
        // An aside copy stays only where a restore could not rename it back.
        bool keptAside = asideNow != nullptr && asideNow->bytes == Before(system) &&
                         Injected(fake::Op::MoveFile);
        if (now != nullptr) {
            if (now->bytes != Before(system)) {
                out->push_back(std::string(pair.system) + " changed its content");
            }
            if (asideNow != nullptr && !ExistedBefore(aside)) {
                out->push_back(std::string(pair.aside) + " left beside " + pair.system);
            }
        } else if (pair.database && mayDeleteDatabase && Received(Change::Delete, system)) {
            // The full install deletes the driver database on purpose.
        } else if (!keptAside) {
            out->push_back(std::string(pair.system) + " is gone" +
                           (asideNow != nullptr ? " (aside copy present)" : ""));
        }
    }
}

void Rig::CheckInstalledInf(std::vector<std::string>* out) const {
    if (road == Road::Uninstall) {
        return;
    }
    bool floppy = road == Road::Install && ShortInstallKind(osKind);
    std::string name = floppy ? ctx.floppyInfName.c_str() : ctx.mainInfName.c_str();
    std::string source = Before(std::string(kPackageDir) + "\\" + name);
    std::string path = InfDestination(osKind, name);
    const fake::File* installed = m.files.Find(path);
    if (installed == nullptr) {
        return;
    }
    const std::string& bytes = installed->bytes;
    bool whole = bytes == source || (ExistedBefore(path) && bytes == Before(path));
    if (!floppy) {
        std::string edited = WithCopyFilesDisabled(source, ctx.installSection.c_str());
        whole = whole || (!edited.empty() && bytes == edited);
    }
    if (!whole) {
        out->push_back("the installed INF " + path + " is neither the package's nor its edit (" +
                       std::to_string(bytes.size()) + " of " + std::to_string(source.size()) +
                       " bytes)");
    }
}

void Rig::CheckOutcome(std::vector<std::string>* out) const {
    if (road == Road::Uninstall) {
        std::string image = Installed(
            std::string(kWindowsDir) + "\\system32\\drivers\\" + ctx.sysFileName.c_str(), 'S');
        bool imageLeft = m.files.Exists(image);
        std::vector<std::string> ids = m.devices.InstanceIds();
        bool entryLeft = std::any_of(ids.begin(), ids.end(),
                                     [&](const std::string& id) { return OfTheDisk(id, ctx); });
        if (outcome == RunOutcome::Completed && (imageLeft || entryLeft)) {
            out->push_back(std::string("uninstall complete although ") +
                           (imageLeft ? "the driver image" : "a device entry") + " is left");
        }
        return;
    }
    bool floppy = road == Road::Install && ShortInstallKind(osKind);
    struct Destination {
        std::string source;
        std::string path;
        bool inf;  // judged by CheckInstalledInf: it may carry the edit
    };
    std::vector<Destination> expected;
    std::string pkg = std::string(kPackageDir) + "\\";
    if (floppy) {
        expected.push_back({pkg + ctx.floppyInfName.c_str(),
                            InfDestination(osKind, ctx.floppyInfName.c_str()), true});
    } else {
        expected.push_back(
            {pkg + ctx.mainInfName.c_str(), InfDestination(osKind, ctx.mainInfName.c_str()), true});
        if (osKind < OsKind::kWin2000) {
            expected.push_back(
                {pkg + ctx.pdrFileName.c_str(),
                 std::string(kWindowsDir) + "\\system\\iosubsys\\" + ctx.pdrFileName.c_str(),
                 false});
        }
        expected.push_back(
            {pkg + ctx.sysFileName.c_str(),
             Installed(std::string(kWindowsDir) + "\\system32\\drivers\\" + ctx.sysFileName.c_str(),
                       'S'),
             false});
    }
    bool allCopied = true;
    for (const Destination& d : expected) {
        if (!Received(Change::Copy, d.path)) {
            allCopied = false;
            if (outcome == RunOutcome::Completed) {
                out->push_back("install complete although " + d.path + " was not copied");
            }
        } else if (outcome == RunOutcome::Completed && !d.inf &&
                   m.files.Read(d.path) != Before(d.source)) {
            out->push_back("install complete although " + d.path + " differs from the package");
        }
    }
    if (allCopied && outcome != RunOutcome::Completed) {
        out->push_back("install failed although every copy was made");
    }
}

}  // namespace reliability
