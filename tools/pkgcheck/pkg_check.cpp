#include "tools/pkgcheck/pkg_check.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/package_reader.h"
#include "engine/sequences.h"
#include "inf_reader/inf_reader.h"
#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "ui/dialog_channel.h"

namespace pkgcheck {

namespace {

constexpr unsigned kEnglish = 1033;
constexpr WindowHandle kDialog = 0x102;
constexpr char kRegistryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// Windows refuses these in a file name; the fake disk would misread them.
bool IsWindowsFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

bool SameName(const std::string& a, const std::string& b) {
    return fake::FileSystem::Key(a) == fake::FileSystem::Key(b);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// The text left-aligned in a column of `width` characters.
std::string Padded(const char* text, std::size_t width) {
    std::string padded = text;
    if (padded.size() < width) {
        padded.append(width - padded.size(), ' ');
    }
    return padded;
}

// 0x and eight hexadecimal digits, as Windows error codes are written.
std::string Hex(std::uint32_t value) {
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += "0123456789ABCDEF"[(value >> shift) & 0xF];
    }
    return text;
}

// The package as read from the disk, in name order: the order in which the
// fake disk lists them, since they are written to it in this order.
struct Package {
    std::string hostFolder;
    std::string sourceDir;  // C:\PKG, or A: for a package at a drive's root
    std::vector<FolderFile> files;
    std::vector<std::string> skipped;  // with the reason

    std::string PathOf(const std::string& name) const { return sourceDir + "\\" + name; }
    // Its files on the machine's disk, in their folder.
    void PutOn(fake::Machine& m) const {
        m.files.MakeFolder(sourceDir);
        for (const FolderFile& file : files) {
            m.givenFile(PathOf(file.name), file.bytes);
        }
    }
    const FolderFile* Find(const std::string& name) const {
        for (const FolderFile& file : files) {
            if (SameName(file.name, name)) {
                return &file;
            }
        }
        return nullptr;
    }
};

bool ReadPackage(HostComputer& computer, const std::string& folder, Package* package,
                 std::string& err) {
    std::vector<FolderFile> files;
    std::string error;
    if (!computer.ReadFolder(folder, &files, &package->skipped, &error)) {
        err += "pkgcheck: " + error + "\n";
        return false;
    }
    for (FolderFile& file : files) {
        if (IsWindowsFileName(file.name)) {
            package->files.push_back(std::move(file));
        } else {
            package->skipped.push_back(file.name + ": not a Windows file name");
        }
    }
    std::sort(package->files.begin(), package->files.end(),
              [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });
    std::sort(package->skipped.begin(), package->skipped.end());
    return true;
}

// ---------------------------------------------------------------------------------------
// What the reader says about a file

std::unique_ptr<inf_reader::InfDocument> OpenDocument(const Package& package,
                                                      const FolderFile& file,
                                                      inf_reader::InfOpenError* error) {
    return inf_reader::InfDocument::Open(file.bytes, inf_reader::DirIdTable::Windows98(),
                                         package.sourceDir, error);
}

// What the INF reader that the program meets says of the package's files:
// the system's, over a machine holding the package, or our own.
class ReaderVerdicts {
  public:
    ReaderVerdicts(const Package& package, HostComputer& computer)
        : package_(package), computer_(computer), system_(computer.SystemInfReader(disk_.system)) {
        package.PutOn(disk_);
    }

    // "the INF reader accepts it", or "not an INF:" and why.
    std::string Of(const FolderFile& file) {
        InfRefusal error;
        if (Accepts(file, &error)) {
            return "the INF reader accepts it";
        }
        const char* what = "it cannot be read";
        const char* code = "";
        switch (error.code) {
            case inf_reader::kInfFileInvalid:
                what = "the file is empty";
                code = "ERROR_FILE_INVALID";
                break;
            case inf_reader::kInfExpectedSectionName:
                what = "text stands outside any section";
                code = "ERROR_EXPECTED_SECTION_NAME";
                break;
            case inf_reader::kInfBadSectionNameLine:
                what = "a section name lacks its closing bracket";
                code = "ERROR_BAD_SECTION_NAME_LINE";
                break;
            case inf_reader::kInfSectionNameTooLong:
                what = "a section name is longer than 255 characters";
                code = "ERROR_SECTION_NAME_TOO_LONG";
                break;
            case inf_reader::kInfWrongInfStyle:
                what =
                    "[Version] has no Signature of a Windows 4 INF (\"$Chicago$\", \"$Windows "
                    "NT$\" "
                    "or \"$Windows 95$\")";
                code = "ERROR_WRONG_INF_STYLE";
                break;
            default:
                break;
        }
        std::string text =
            std::string("not an INF: ") + what + " (" + code + ", " + Hex(error.code);
        if (error.lineSet && error.line != 0) {
            text += ", line " + std::to_string(error.line);
        }
        return text + ")";
    }

  private:
    bool Accepts(const FolderFile& file, InfRefusal* refusal) {
        if (system_ == nullptr) {
            inf_reader::InfOpenError error;
            bool accepted = OpenDocument(package_, file, &error) != nullptr;
            refusal->code = error.code;
            refusal->line = error.line;
            refusal->lineSet = error.lineSet;
            return accepted;
        }
        InfHandle inf = system_->OpenInf(package_.PathOf(file.name).c_str());
        if (inf == kNoInf) {
            *refusal = computer_.LastRefusal();
            return false;
        }
        system_->CloseInf(inf);
        return true;
    }

    const Package& package_;
    HostComputer& computer_;
    fake::Machine disk_;
    InfServices* system_;
};

// The failure as the observer reported it, with its texts copied.
struct Failure {
    PackageDefect defect;
    std::string infName;
    std::string section;
    std::string key;
    bool hasKey = false;
    std::size_t lineIndex = 0;
};

// Where a failure points: the file and line, and the field the load wanted.
class Locator {
  public:
    Locator(const Package& package, const Failure& failure) : failure_(failure) {
        file_ = package.Find(failure.infName);
        if (file_ != nullptr) {
            doc_ = OpenDocument(package, *file_, nullptr);
        }
        if (doc_ != nullptr && !failure.section.empty()) {
            section_ = doc_->FindSection(failure.section.c_str());
            found_ = failure.hasKey ? doc_->FindKey(section_, failure.key.c_str(), &line_)
                                    : doc_->LineCount(section_) > failure.lineIndex;
            if (!failure.hasKey) {
                line_ = failure.lineIndex;
            }
        }
    }

    bool SectionPresent() const { return section_ >= 0; }

    std::string Where() const {
        std::string where = failure_.infName;
        if (found_) {
            where += " line " + std::to_string(doc_->SourceLine(section_, line_));
        }
        return where;
    }

    // Field n of the line, in words, with the room the program gives it.
    std::string Field(unsigned field, std::size_t capacity) const {
        std::string text;
        if (!found_ || !doc_->GetField(section_, line_, field, &text)) {
            return "it has no field " + std::to_string(field);
        }
        if (text.empty()) {
            return "its field " + std::to_string(field) + " is empty";
        }
        return "its field " + std::to_string(field) + " is " + Quoted(text) + ", " +
               std::to_string(text.size()) + " characters where at most " +
               std::to_string(capacity - 1) + " fit";
    }

  private:
    const Failure& failure_;
    const FolderFile* file_ = nullptr;
    std::unique_ptr<inf_reader::InfDocument> doc_;
    int section_ = -1;
    std::size_t line_ = 0;
    bool found_ = false;
};

// The reason in plain words, with the file and line.
std::string Explain(const Package& package, const Failure& failure, ReaderVerdicts& reader) {
    Locator at(package, failure);
    std::string where = at.Where();
    std::string section = "[" + failure.section + "]";
    switch (failure.defect) {
        case PackageDefect::kNoInfListed:
            return "no file matches *.in? (names longer than 19 characters do not count); the "
                   "program shows \"INF file not found !\" and ends";
        case PackageDefect::kNoSetupScript:
            return "no *.in? file is an INF with a line in [Setup]; the program shows \"Main .in_ "
                   "file with [Setup] section is not found !\" and ends";
        case PackageDefect::kMpdInfUnreadable:
            return where + ": the MPDInf line cannot be read: " + at.Field(1, 20);
        case PackageDefect::kMpdInfNotBareName:
            return where + ": MPDInf names a folder or a dot name; only a bare file name is taken";
        case PackageDefect::kFddInfMissing:
            return where + ": [Setup] has no FDDInf line, and the floppy INF must be named";
        case PackageDefect::kFddInfUnreadable:
            return where + ": the FDDInf line cannot be read: " + at.Field(1, 20);
        case PackageDefect::kFddInfNotBareName:
            return where + ": FDDInf names a folder or a dot name; only a bare file name is taken";
        case PackageDefect::kDescriptionInfNotOpen: {
            const FolderFile* floppy = package.Find(failure.infName);
            return "the floppy INF " + failure.infName + " describes the device here, and " +
                   (floppy == nullptr ? std::string("it is not in the package")
                                      : "it is " + reader.Of(*floppy));
        }
        case PackageDefect::kProviderMissing:
            return where + ": " +
                   (at.SectionPresent() ? "[Version] has no Provider line"
                                        : "there is no [Version] section with a Provider line");
        case PackageDefect::kProviderUnreadable:
            return where + ": the Provider line cannot be read: " + at.Field(1, 20);
        case PackageDefect::kManufacturerMissing:
            return where + ": " +
                   (at.SectionPresent() ? "[Manufacturer] has no line"
                                        : "there is no [Manufacturer] section");
        case PackageDefect::kManufacturerUnreadable:
            return where +
                   ": the first [Manufacturer] line names no models section: " + at.Field(1, 20);
        case PackageDefect::kModelsSectionEmpty:
            return where + ": the models section " + section + " that [Manufacturer] names " +
                   (at.SectionPresent() ? "has no line" : "does not exist");
        case PackageDefect::kModelWithoutHardwareId:
            return where + ": model line " + std::to_string(failure.lineIndex + 1) + " of " +
                   section + " has no readable hardware id: " + at.Field(2, 256) +
                   "; every model line is read up to the 50th hardware id";
        case PackageDefect::kInstallSectionUnreadable:
            return where + ": model line " + std::to_string(failure.lineIndex + 1) + " of " +
                   section +
                   " is the primary device's, and it names no install section: " + at.Field(1, 20);
        case PackageDefect::kNoDriverImage:
            return "no file matches *.sy_ (names longer than 19 characters do not count); the "
                   "program shows \"SYS(SY_) file not found !\" and ends";
        case PackageDefect::kNoPortDriver:
            return "no file matches *.pdr (names longer than 19 characters do not count); the "
                   "program shows \"MPD file not found !\" and ends";
    }
    return "the load fails";
}

// ---------------------------------------------------------------------------------------
// Machines

struct WindowsKind {
    std::uint8_t osKind;
    const char* name;
    const char* windowsDir;
};

const WindowsKind kKinds[] = {
    {OsKind::kWin98, "Windows 98", "C:\\WINDOWS"},
    {OsKind::kWin98SE, "Windows 98 SE", "C:\\WINDOWS"},
    {OsKind::kWinMe, "Windows Me", "C:\\WINDOWS"},
    {OsKind::kWin2000, "Windows 2000", "C:\\WINNT"},
    {OsKind::kWinXP, "Windows XP", "C:\\WINDOWS"},
};

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

class Recorder : public PackageObserver {
  public:
    void PassedOver(const char* mask, const char* name, PassedOverReason reason) override {
        passed.push_back(Passed{mask, name, reason});
    }
    void Failed(const PackageFailure& f) override {
        Failure copy;
        copy.defect = f.defect;
        copy.infName = f.infName != nullptr ? f.infName : "";
        copy.section = f.section != nullptr ? f.section : "";
        copy.hasKey = f.key != nullptr;
        copy.key = f.key != nullptr ? f.key : "";
        copy.lineIndex = f.lineIndex;
        failure = std::make_unique<Failure>(copy);
    }

    struct Passed {
        std::string mask;
        std::string name;
        PassedOverReason reason;
    };
    std::vector<Passed> passed;
    std::unique_ptr<Failure> failure;
};

struct Load {
    bool ok = false;
    SetupContext ctx;
    Recorder recorder;
    std::vector<std::string> boxes;
};

SetupContext FreshContext(const Package& package, const WindowsKind& kind) {
    SetupContext ctx;
    ctx.osKind = kind.osKind;
    ctx.infOnlyMode = InfOnlyModeOf(kind.osKind);
    ctx.sourceDir.Assign(package.sourceDir.c_str());
    ctx.windowsDir.Assign(kind.windowsDir);
    return ctx;
}

std::unique_ptr<Load> LoadOn(const Package& package, const WindowsKind& kind,
                             HostComputer& computer) {
    auto load = std::make_unique<Load>();
    Rig rig(package, kind, computer);
    load->ctx = FreshContext(package, kind);
    load->ok = LoadPackage(rig.m.system, rig.infs, rig.channel, load->ctx, &load->recorder);
    for (const fake::ShownBox& box : rig.m.windows.Boxes()) {
        load->boxes.push_back(box.text);
    }
    return load;
}

std::string EnglishString(unsigned id) {
    const std::map<unsigned, std::string>& table = StringTable(kEnglish);
    auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

// ---------------------------------------------------------------------------------------
// The report

std::string TargetList(const SetupContext& ctx) {
    std::string list;
    std::size_t count = 0;
    for (const TargetId& id : ctx.targetIds) {
        if (id.vid.empty()) {
            break;
        }
        list += (count++ == 0 ? "" : ", ") + std::string("VID ") + id.vid.c_str() + " PID " +
                id.pid.c_str();
    }
    return count == 0 ? "none" : std::to_string(count) + ": " + list;
}

void PrintContext(std::string& out, const Load& load) {
    const SetupContext& ctx = load.ctx;
    auto row = [&](const char* label, const std::string& value) {
        out += "    " + Padded(label, 18) + " " + value + "\n";
    };
    auto text = [](const char* value) { return *value ? Quoted(value) : std::string("(empty)"); };
    row("provider", text(ctx.provider.c_str()));
    row("models section", text(ctx.modelsSection.c_str()));
    row("target ids", TargetList(ctx));
    row("primary device", std::string("VID text ") + text(ctx.primaryVid.c_str()) + ", PID text " +
                              text(ctx.primaryPid.c_str()));
    row("description", text(ctx.deviceDescription.c_str()));
    row("setup description", text(ctx.setupDeviceDesc.c_str()));
    row("install section", text(ctx.installSection.c_str()));
    row("Win98Only", std::to_string(ctx.win98Only));
}

// What a loaded package leaves empty that a later step needs.
void PrintNotes(std::string& out, const Load& load) {
    const SetupContext& ctx = load.ctx;
    if (ctx.targetIds[0].vid.empty()) {
        out +=
            "    note: no model line has a hardware id with VID_ and PID_: the removal steps "
            "look for no device and no stale INF\n";
    }
    if (!ctx.targetIds[kMaxTargetIds - 1].vid.empty()) {
        out += "    note: 50 hardware ids were taken; model lines after the 50th are not read\n";
    }
    if (ctx.deviceDescription.empty()) {
        out +=
            "    note: no walked model line holds both primary texts (or its description is "
            "longer than 63 characters): the description stays empty, and on Windows XP the "
            "silent install cannot recognise the new-hardware wizard\n";
    }
    if (ctx.installSection.empty()) {
        out +=
            "    note: no install section: the installed INF's CopyFiles line cannot be "
            "found to be disabled\n";
    }
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

void PrintChanges(std::string& out, const fake::Machine& m, std::size_t from) {
    const std::vector<fake::Change>& changes = m.system.Changes();
    if (from >= changes.size()) {
        out += "        (no change)\n";
        return;
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
}

using Sequence = bool (*)(const SetupServices&, const SetupContext&);

// A run on a fresh machine of the kind; with `installFirst` the run's changes
// are shown after those of an install.
void DryRun(std::string& out, const Package& package, const WindowsKind& kind,
            HostComputer& computer, const SetupContext& loaded, const char* label, Sequence run,
            bool installFirst) {
    Rig rig(package, kind, computer);
    SetupContext ctx = loaded;
    std::size_t from = 0;
    if (installFirst) {
        RunInstall(rig.services, ctx);
        from = rig.m.system.Changes().size();
    }
    run(rig.services, ctx);
    out += std::string("      ") + label + ":\n";
    PrintChanges(out, rig.m, from);
}

const char* ReasonText(PassedOverReason reason) {
    switch (reason) {
        case PassedOverReason::kNameTooLong:
            return "name longer than 19 characters";
        case PassedOverReason::kPathTooLong:
            return "the folder and the name do not fit a 256-byte path";
        case PassedOverReason::kNotAnInf:
            return "";
        case PassedOverReason::kNoSetupSection:
            return "an INF without a line in [Setup]";
    }
    return "";
}

// The script's choice is the same for both loads; the driver files are found
// only by a load that got that far.
void PrintFiles(std::string& out, const Package& package, ReaderVerdicts& reader, const Load& full,
                const Load& brief) {
    const SetupContext& ctx = full.ctx;
    const SetupContext& files = full.ctx.sysFileName.empty() ? brief.ctx : full.ctx;
    out += "Setup script\n";
    for (const Recorder::Passed& passed : full.recorder.passed) {
        if (passed.mask != "*.in?") {
            continue;
        }
        std::string why = ReasonText(passed.reason);
        if (passed.reason == PassedOverReason::kNotAnInf) {
            const FolderFile* file = package.Find(passed.name);
            why = file != nullptr ? reader.Of(*file) : "not an INF";
        }
        out += "  passed over  " + passed.name + ": " + why + "\n";
    }
    if (!ctx.mainInfName.empty()) {
        out += std::string("  taken        ") + ctx.mainInfName.c_str() +
               ": the first listed *.in? file that is an INF with a line in [Setup]\n";
    }
    out += "\nFiles it names\n";
    if (!ctx.floppyInfName.empty()) {
        const FolderFile* floppy = package.Find(ctx.floppyInfName.c_str());
        out += std::string("  floppy INF   ") + ctx.floppyInfName.c_str() + " (FDDInf): " +
               (floppy == nullptr ? std::string("not in the package") : reader.Of(*floppy)) + "\n";
    }
    if (!ctx.mpdInfName.empty()) {
        out += std::string("  MPDInf       ") + ctx.mpdInfName.c_str() +
               " (read, not used by the setup)\n";
    }
    for (const Recorder::Passed& passed : full.recorder.passed) {
        if (passed.mask != "*.in?") {
            out += "  passed over  " + passed.name + " (" + passed.mask +
                   "): " + ReasonText(passed.reason) + "\n";
        }
    }
    if (!files.sysFileName.empty()) {
        std::string installed = files.sysFileName.c_str();
        installed.back() = 'S';
        out += std::string("  driver image ") + files.sysFileName.c_str() + ", installed as " +
               installed + "\n";
    }
    if (!files.pdrFileName.empty()) {
        out += std::string("  port driver  ") + files.pdrFileName.c_str() + "\n";
    }
}

void PrintLoad(std::string& out, const Package& package, ReaderVerdicts& reader, const char* title,
               const Load& load) {
    out += std::string("\n") + title + ": ";
    if (load.ok) {
        const char* desc = load.ctx.infOnlyMode != 0 ? load.ctx.floppyInfName.c_str()
                                                     : load.ctx.mainInfName.c_str();
        out += std::string("the package loads, described by ") + desc + "\n";
        PrintContext(out, load);
        PrintNotes(out, load);
        return;
    }
    out += "the package cannot be used\n";
    if (load.recorder.failure) {
        out += "    defect: " + Explain(package, *load.recorder.failure, reader) + "\n";
    }
    for (const std::string& box : load.boxes) {
        out += "    the program shows: " + Quoted(box) + "\n";
    }
    if (load.boxes.empty()) {
        out += "    the program ends without a message\n";
    }
}

int Usage(std::string& err) {
    err +=
        "usage: pkgcheck [--drive-a] PACKAGE_FOLDER\n"
        "  Explains what the setup program does with the driver package in PACKAGE_FOLDER.\n"
        "  --drive-a  read the package as the root of drive A: instead of C:\\PKG\n"
        "  Exit status: 0 usable, 1 unusable, 2 bad arguments.\n";
    return kBadArguments;
}

}  // namespace

int Run(int argc, const char* const* argv, HostComputer& computer, std::string& out,
        std::string& err) {
    Package package;
    package.sourceDir = "C:\\PKG";
    const char* folder = nullptr;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--drive-a") {
            package.sourceDir = "A:";
        } else if (arg.empty() || arg[0] == '-' || folder != nullptr) {
            return Usage(err);
        } else {
            folder = argv[i];
        }
    }
    if (folder == nullptr) {
        return Usage(err);
    }
    package.hostFolder = folder;
    if (!ReadPackage(computer, folder, &package, err)) {
        return kBadArguments;
    }

    out += "Package " + package.hostFolder + ", read as " + package.sourceDir + ": " +
           std::to_string(package.files.size()) + " files, listed in name order\n";
    for (const FolderFile& file : package.files) {
        out += "  " + file.name + "\n";
    }
    for (const std::string& skipped : package.skipped) {
        out += "  (not listed) " + skipped + "\n";
    }
    out += "\n";

    // Windows 98 reads the package for the full install, Windows Me for the
    // short one.
    std::unique_ptr<Load> full = LoadOn(package, kKinds[0], computer);
    std::unique_ptr<Load> brief = LoadOn(package, kKinds[2], computer);
    ReaderVerdicts reader(package, computer);
    PrintFiles(out, package, reader, *full, *brief);
    PrintLoad(out, package, reader, "Full install (Windows 98, 98 SE, 2000)", *full);
    PrintLoad(out, package, reader, "Short install (Windows Me, XP)", *brief);

    out += "\nOn each Windows kind (dry runs on a freshly installed machine)\n";
    for (const WindowsKind& kind : kKinds) {
        const Load& load = InfOnlyModeOf(kind.osKind) != 0 ? *brief : *full;
        out += std::string("  ") + kind.name + " (" + kind.windowsDir + ", " +
               (InfOnlyModeOf(kind.osKind) != 0 ? "short install" : "full install") + ")\n";
        if (!load.ok) {
            out += "    nothing runs: the package cannot be used (see above)\n";
            continue;
        }
        SetupContext ctx = load.ctx;
        ctx.osKind = kind.osKind;
        ctx.windowsDir.Assign(kind.windowsDir);
        if (RefusesSystem(ctx)) {
            out += "    the interactive start refuses it (Win98Only is " +
                   std::to_string(ctx.win98Only) +
                   "): " + Quoted(EnglishString(IDS_WINDOWS98_ONLY)) + "\n";
        } else {
            out += "    the interactive start runs\n";
            DryRun(out, package, kind, computer, ctx, "install", RunInstall, false);
            DryRun(out, package, kind, computer, ctx, "uninstall (after that install)",
                   RunUninstall, true);
        }
        DryRun(out, package, kind, computer, ctx, "silent install (/S, runs on every kind)",
               RunSilentInstall, false);
    }

    bool usable = full->ok && (full->ctx.win98Only != 0 || brief->ok);
    out += std::string("\n") + (usable ? "Usable" : "Not usable") +
           (full->ok && !brief->ok && full->ctx.win98Only != 0
                ? " (on Windows 98 and 98 SE; on Windows Me and XP even /S ends at once)"
                : "") +
           "\n";
    return usable ? kUsable : kUnusable;
}

}  // namespace pkgcheck
