#include "tools/pkgcheck/dry_run.h"

#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "resources/string_table.h"
#include "ui/dialog_channel.h"

namespace pkgcheck {

const WindowsKind kKinds[] = {
    {OsKind::kWin98, "Windows 98", "C:\\WINDOWS"},
    {OsKind::kWin98SE, "Windows 98 SE", "C:\\WINDOWS"},
    {OsKind::kWinMe, "Windows Me", "C:\\WINDOWS"},
    {OsKind::kWin2000, "Windows 2000", "C:\\WINNT"},
    {OsKind::kWinXP, "Windows XP", "C:\\WINDOWS"},
};

namespace {

constexpr WindowHandle kDialog = 0x102;

// A freshly installed Windows of the kind with the package in its folder.
struct Rig {
    fake::Machine m;
    InfServices& infs;
    BrandTexts brand{"Setup", "USB Flash Disk", "", ""};
    DialogChannel channel{m.windows, kDialog, brand};
    SetupServices services{m.system, infs, m.system, m.system, m.devices, m.windows, channel};

    Rig(const Package& package, const WindowsKind& kind, HostComputer& computer)
        : infs(InfsOf(computer, m)) {
        m.system.windowsDirectory = kind.windowsDir;
        std::string windows = kind.windowsDir;
        for (const char* folder :
             {"", "\\INF", "\\SYSTEM", "\\SYSTEM\\IOSUBSYS", "\\SYSTEM32", "\\SYSTEM32\\DRIVERS"}) {
            m.files.MakeFolder(windows + folder);
        }
        // The system files that the silent install's rescan sets aside.
        if (kind.osKind < OsKind::kWin2000) {
            m.givenFile(windows + "\\INF\\DRVIDX.BIN", "driver index");
            m.givenFile(windows + "\\INF\\DRVDATA.BIN", "driver data");
        } else {
            m.givenFile(windows + "\\INF\\USBSTOR.INF",
                        "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
            m.givenFile(windows + "\\INF\\USBSTOR.PNF", "precompiled");
        }
        package.PutOn(m);
        for (const auto& [id, text] : StringTable(kEnglish)) {
            m.givenString(id, text);
        }
    }

    // The system's INF reader over the machine's disk, or the machine's own.
    static InfServices& InfsOf(HostComputer& computer, fake::Machine& m) {
        InfServices* system = computer.SystemInfReader(m.system);
        return system != nullptr ? *system : m.system;
    }
};

// Copies what the load tells, as it goes.
class Recorder : public PackageObserver {
  public:
    explicit Recorder(Load& load) : load_(load) {}

    void PassedOver(const char* mask, const char* name, PassedOverReason reason) override {
        load_.passed.push_back(pkgcheck::PassedOver{mask, name, reason});
    }
    void Failed(const PackageFailure& f) override {
        Failure copy;
        copy.defect = f.defect;
        copy.infName = f.infName != nullptr ? f.infName : "";
        copy.section = f.section != nullptr ? f.section : "";
        copy.hasKey = f.key != nullptr;
        copy.key = f.key != nullptr ? f.key : "";
        copy.lineIndex = f.lineIndex;
        load_.failure = std::make_unique<Failure>(copy);
    }

  private:
    Load& load_;
};

SetupContext FreshContext(const Package& package, const WindowsKind& kind) {
    SetupContext ctx;
    ctx.osKind = kind.osKind;
    ctx.infOnlyMode = InfOnlyModeOf(kind.osKind);
    ctx.sourceDir.Assign(package.sourceDir.c_str());
    ctx.windowsDir.Assign(kind.windowsDir);
    return ctx;
}

const char* ChangeVerb(fake::Change::Kind kind) {
    switch (kind) {
        case fake::Change::Attributes:
            return "attributes";
        case fake::Change::Copy:
            return "copy";
        case fake::Change::Delete:
            return "delete";
        case fake::Change::Rename:
            return "rename";
        case fake::Change::CreateFolder:
            return "create folder";
        case fake::Change::Write:
            return "write";
        case fake::Change::Truncate:
            return "truncate";
        case fake::Change::RegistryValue:
            return "set value";
    }
    return "change";
}

// The changes from the `from`th on, one a line; a change repeated at once is
// told once, with its count.
std::string ChangeLines(const fake::Machine& m, std::size_t from) {
    std::string out;
    const std::vector<fake::Change>& changes = m.system.Changes();
    if (from >= changes.size()) {
        return "        (no change)\n";
    }
    for (std::size_t i = from; i < changes.size();) {
        const fake::Change& change = changes[i];
        std::size_t repeat = 1;
        while (i + repeat < changes.size() && changes[i + repeat].kind == change.kind &&
               changes[i + repeat].path == change.path &&
               changes[i + repeat].source == change.source) {
            ++repeat;
        }
        out += "        " + Padded(ChangeVerb(change.kind), 14);
        switch (change.kind) {
            case fake::Change::Copy:
            case fake::Change::Rename:
                out += change.source + " -> " + change.path;
                break;
            case fake::Change::Attributes:
                out += change.path + " (cleared)";
                break;
            case fake::Change::RegistryValue: {
                std::size_t cut = change.path.find_last_of('\\');
                std::string key = change.path.substr(0, cut);
                std::string value = change.path.substr(cut + 1);
                out += "HKLM\\" + change.path + " = " + Quoted(m.registry.Text(key, value));
                break;
            }
            default:
                out += change.path;
                break;
        }
        out += (repeat > 1 ? " (" + std::to_string(repeat) + " times)" : std::string()) + "\n";
        i += repeat;
    }
    return out;
}

}  // namespace

std::unique_ptr<Load> DryRuns::LoadOn(const WindowsKind& kind) {
    auto load = std::make_unique<Load>();
    Rig rig(package_, kind, computer_);
    Recorder recorder(*load);
    load->ctx = FreshContext(package_, kind);
    load->ok = LoadPackage(rig.m.system, rig.infs, rig.channel, load->ctx, &recorder);
    for (const fake::ShownBox& box : rig.m.windows.Boxes()) {
        load->boxes.push_back(box.text);
    }
    return load;
}

std::string DryRuns::Changes(const WindowsKind& kind, const SetupContext& loaded, Sequence run,
                             bool installFirst) {
    Rig rig(package_, kind, computer_);
    SetupContext ctx = loaded;
    std::size_t from = 0;
    if (installFirst) {
        RunInstall(rig.services, ctx);
        from = rig.m.system.Changes().size();
    }
    run(rig.services, ctx);
    return ChangeLines(rig.m, from);
}

}  // namespace pkgcheck
