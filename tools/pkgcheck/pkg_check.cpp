#include "tools/pkgcheck/pkg_check.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "tools/pkgcheck/dry_run.h"
#include "tools/pkgcheck/explanations.h"
#include "tools/pkgcheck/package.h"

namespace pkgcheck {

namespace {

std::string EnglishString(unsigned id) {
    const std::map<unsigned, std::string>& table = StringTable(kEnglish);
    auto it = table.find(id);
    return it == table.end() ? std::string() : it->second;
}

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

// The script's choice is the same for both loads; the driver files are found
// only by a load that got that far.
void PrintFiles(std::string& out, const Package& package, ReaderVerdicts& reader, const Load& full,
                const Load& brief) {
    const SetupContext& ctx = full.ctx;
    const SetupContext& files = full.ctx.sysFileName.empty() ? brief.ctx : full.ctx;
    out += "Setup script\n";
    for (const PassedOver& passed : full.passed) {
        if (passed.mask != "*.in?") {
            continue;
        }
        std::string why = PassedOverText(passed.reason);
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
    for (const PassedOver& passed : full.passed) {
        if (passed.mask != "*.in?") {
            out += "  passed over  " + passed.name + " (" + passed.mask +
                   "): " + PassedOverText(passed.reason) + "\n";
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
    if (load.failure) {
        out += "    defect: " + Explain(package, *load.failure, reader) + "\n";
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
    DryRuns runs(package, computer);
    std::unique_ptr<Load> full = runs.LoadOn(kKinds[0]);
    std::unique_ptr<Load> brief = runs.LoadOn(kKinds[2]);
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
            out += "      install:\n" + runs.Changes(kind, ctx, RunInstall, false);
            out += "      uninstall (after that install):\n" +
                   runs.Changes(kind, ctx, RunUninstall, true);
        }
        out += "      silent install (/S, runs on every kind):\n" +
               runs.Changes(kind, ctx, RunSilentInstall, false);
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
