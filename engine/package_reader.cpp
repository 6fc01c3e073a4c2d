#include "engine/package_reader.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/inf_file.h"
#include "platform/window_services.h"
#include "resources/resource_ids.h"

const char kNoSetupScriptText[] = "Main .in_ file with [Setup] section is not found !";

namespace {

constexpr char kSetupSection[] = "Setup";

bool Contains(const char* text, const char* part) {
    return std::strstr(text, part) != nullptr;
}

// Tells the observer, when there is one, what the load does.
class Report {
  public:
    explicit Report(PackageObserver* observer) : observer_(observer) {}

    void PassedOver(const char* mask, const char* name, PassedOverReason reason) const {
        if (observer_ != nullptr) {
            observer_->PassedOver(mask, name, reason);
        }
    }

    // Always false: the load gives up here.
    bool Fail(PackageDefect defect, const char* infName = nullptr, const char* section = nullptr,
              const char* key = nullptr, std::size_t lineIndex = 0) const {
        if (observer_ != nullptr) {
            observer_->Failed(PackageFailure{defect, infName, section, key, lineIndex});
        }
        return false;
    }

  private:
    PackageObserver* observer_;
};

// The names in the program's folder that match `mask` and fit a file-name
// field; a longer name is passed over as if it were not listed. A pattern that
// does not fit its buffer lists nothing, and so does an empty folder text,
// which would list the root of the current drive.
std::vector<std::string> ListPackageFiles(FileServices& files, const char* sourceDir,
                                          const char* mask, const Report& report) {
    PathText pattern;
    std::vector<std::string> names;
    if (sourceDir[0] == '\0' || !JoinPath(sourceDir, mask, &pattern)) {
        return names;
    }
    for (std::string& name : files.ListFiles(pattern.c_str())) {
        if (name.size() < FileNameText::kCapacity) {
            names.push_back(std::move(name));
        } else {
            report.PassedOver(mask, name.c_str(), PassedOverReason::kNameTooLong);
        }
    }
    return names;
}

// Reads field n into a fixed text; false, with the text unchanged, when the
// field is missing or does not fit.
template <std::size_t N>
bool ReadField(InfServices& infs, const InfLine& line, unsigned field, FixedText<N>* out) {
    FixedText<N> value;
    if (!infs.GetStringField(line, field, value.Buffer())) {
        return false;
    }
    value.Seal();
    *out = value;
    return true;
}

// Reads field 1 of the line with `key` in the section; false when either fails.
template <std::size_t N>
bool ReadKey(InfServices& infs, InfFile& inf, const char* section, const char* key,
             FixedText<N>* out) {
    InfLine line;
    return inf.FindLine(section, key, &line) && ReadField(infs, line, 1, out);
}

// The package's INF names are joined into paths inside the Windows directory
// later: only a bare file name may stand there.
bool IsBareFileName(const char* name) {
    return std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
           std::strpbrk(name, "\\/:") == nullptr;
}

// The texts behind "VID_" and "PID_" (up to 4 characters each). False when the
// id names no vendor or no product: an entry with an empty text would end the
// target list and hide every entry behind it.
bool ParseTargetId(const char* hardwareId, TargetId* entry) {
    const char* vid = std::strstr(hardwareId, "VID_");
    const char* pid = std::strstr(hardwareId, "PID_");
    if (vid == nullptr || pid == nullptr) {
        return false;
    }
    TargetId parsed;
    parsed.vid.AssignPrefix(vid + 4, 4);
    parsed.pid.AssignPrefix(pid + 4, 4);
    if (parsed.vid.empty() || parsed.pid.empty()) {
        return false;
    }
    *entry = parsed;
    return true;
}

// Finds the first listed INF with a [Setup] section and keeps it open.
bool OpenSetupScript(FileServices& files, SetupChannel& channel, SetupContext& ctx, InfFile& script,
                     const Report& report) {
    const char mask[] = "*.in?";
    std::vector<std::string> names = ListPackageFiles(files, ctx.sourceDir.c_str(), mask, report);
    if (names.empty()) {
        report.Fail(PackageDefect::kNoInfListed);
        channel.ShowMessage(IDS_INF_NOT_FOUND, kIconStop);
        return false;
    }
    ctx.mainInfName.Clear();
    for (const std::string& name : names) {
        PathText path;
        InfLine line;
        if (!JoinPath(ctx.sourceDir.c_str(), name.c_str(), &path)) {
            report.PassedOver(mask, name.c_str(), PassedOverReason::kPathTooLong);
            continue;
        }
        if (!script.Open(path.c_str())) {
            report.PassedOver(mask, name.c_str(), PassedOverReason::kNotAnInf);
            continue;
        }
        if (!script.FindLine(kSetupSection, nullptr, &line)) {
            script.Close();
            report.PassedOver(mask, name.c_str(), PassedOverReason::kNoSetupSection);
            continue;
        }
        ctx.mainInfName.Assign(name.c_str());
        return true;
    }
    report.Fail(PackageDefect::kNoSetupScript);
    channel.ShowMessageText(kNoSetupScriptText, kIconStop);
    return false;
}

// Reads the setup script's own keys and opens the floppy INF it names.
bool ReadScriptKeys(InfServices& infs, SetupContext& ctx, InfFile& script, InfFile& floppy,
                    const Report& report) {
    const char* name = ctx.mainInfName.c_str();
    InfLine line;
    if (script.FindLine(kSetupSection, "MPDInf", &line)) {
        if (!ReadField(infs, line, 1, &ctx.mpdInfName)) {
            return report.Fail(PackageDefect::kMpdInfUnreadable, name, kSetupSection, "MPDInf");
        }
        if (!IsBareFileName(ctx.mpdInfName.c_str())) {
            return report.Fail(PackageDefect::kMpdInfNotBareName, name, kSetupSection, "MPDInf");
        }
    }
    if (!script.FindLine(kSetupSection, "FDDInf", &line)) {
        return report.Fail(PackageDefect::kFddInfMissing, name, kSetupSection, "FDDInf");
    }
    if (!ReadField(infs, line, 1, &ctx.floppyInfName)) {
        return report.Fail(PackageDefect::kFddInfUnreadable, name, kSetupSection, "FDDInf");
    }
    if (!IsBareFileName(ctx.floppyInfName.c_str())) {
        return report.Fail(PackageDefect::kFddInfNotBareName, name, kSetupSection, "FDDInf");
    }
    PathText floppyPath;
    if (JoinPath(ctx.sourceDir.c_str(), ctx.floppyInfName.c_str(), &floppyPath)) {
        floppy.Open(floppyPath.c_str());
    }
    ctx.win98Only = 1;
    int win98Only = 1;
    if (script.FindLine(kSetupSection, "Win98Only", &line) &&
        infs.GetIntField(line, 1, &win98Only)) {
        ctx.win98Only = win98Only;
    }
    return true;
}

// The primary device named by "TargetID": characters 1-4 the vendor, 5-8 the
// product.
void ReadPrimaryDevice(InfServices& infs, SetupContext& ctx, InfFile& desc) {
    ctx.primaryVid.Clear();
    ctx.primaryPid.Clear();
    FixedText<256> targetId;
    if (ReadKey(infs, desc, kSetupSection, "TargetID", &targetId)) {
        ctx.primaryVid.AssignPrefix(targetId.c_str(), 4);
        if (targetId.size() > 4) {
            ctx.primaryPid.AssignPrefix(targetId.c_str() + 4, 4);
        }
    }
}

// Walks the model lines: records every hardware id into targetIds (at most
// 50) and takes the description and install section from the primary
// device's first line.
bool ReadModels(InfServices& infs, SetupContext& ctx, InfFile& desc, const char* descName,
                const Report& report) {
    ctx.deviceDescription.Clear();
    ctx.installSection.Clear();
    const char* models = ctx.modelsSection.c_str();
    InfLine model;
    if (!desc.FindLine(models, nullptr, &model)) {
        return report.Fail(PackageDefect::kModelsSectionEmpty, descName, models);
    }
    std::size_t count = 0;
    for (std::size_t walked = 0;; ++walked) {
        bool failed = false;
        PackageDefect defect = PackageDefect::kModelWithoutHardwareId;
        FixedText<256> hardwareId;
        if (!ReadField(infs, model, 2, &hardwareId)) {
            failed = true;
        } else if (ParseTargetId(hardwareId.c_str(), &ctx.targetIds[count])) {
            ++count;
            if (ctx.primaryVid.empty()) {
                ctx.primaryVid.Assign(ctx.targetIds[0].vid.c_str());
                ctx.primaryPid.Assign(ctx.targetIds[0].pid.c_str());
            }
            bool primary = Contains(hardwareId.c_str(), ctx.primaryVid.c_str()) &&
                           Contains(hardwareId.c_str(), ctx.primaryPid.c_str());
            if (primary && ctx.deviceDescription.empty()) {
                ReadField(infs, model, 0, &ctx.deviceDescription);  // too long: stays empty
                ctx.setupDeviceDesc = ctx.deviceDescription;
            }
            if (primary && ctx.installSection.empty()) {
                ReadField(infs, model, 1, &ctx.installSection);
                failed = ctx.installSection.empty();
                defect = PackageDefect::kInstallSectionUnreadable;
            }
        }
        bool more = infs.FindNextLine(&model);
        if (failed) {
            return report.Fail(defect, descName, models, nullptr, walked);
        }
        if (!more || count >= kMaxTargetIds) {
            break;
        }
    }
    ctx.targetIds[count] = TargetId{};
    return true;
}

bool ReadDeviceData(InfServices& infs, SetupContext& ctx, InfFile& desc, const char* descName,
                    const Report& report) {
    InfLine line;
    if (!desc.FindLine("Version", "Provider", &line)) {
        // Only the floppy INF can be closed here: the short install's.
        return report.Fail(
            desc.IsOpen() ? PackageDefect::kProviderMissing : PackageDefect::kDescriptionInfNotOpen,
            descName, "Version", "Provider");
    }
    if (!ReadField(infs, line, 1, &ctx.provider)) {
        return report.Fail(PackageDefect::kProviderUnreadable, descName, "Version", "Provider");
    }
    if (!desc.FindLine("Manufacturer", nullptr, &line)) {
        return report.Fail(PackageDefect::kManufacturerMissing, descName, "Manufacturer");
    }
    if (!ReadField(infs, line, 1, &ctx.modelsSection)) {
        return report.Fail(PackageDefect::kManufacturerUnreadable, descName, "Manufacturer",
                           nullptr, 0);
    }
    ReadPrimaryDevice(infs, ctx, desc);
    if (!ReadModels(infs, ctx, desc, descName, report)) {
        return false;
    }
    ReadKey(infs, desc, kSetupSection, "SetupDeviceDesc", &ctx.setupDeviceDesc);
    return true;
}

// The first listed driver file of a kind, or a box naming what is missing.
bool FindDriverFile(FileServices& files, SetupChannel& channel, const SetupContext& ctx,
                    const char* mask, unsigned missingMessage, PackageDefect missing,
                    FileNameText* name, const Report& report) {
    std::vector<std::string> names = ListPackageFiles(files, ctx.sourceDir.c_str(), mask, report);
    if (names.empty()) {
        report.Fail(missing);
        channel.ShowMessage(missingMessage, kIconStop);
        return false;
    }
    name->Assign(names.front().c_str());
    return true;
}

}  // namespace

bool LoadPackage(FileServices& files, InfServices& infs, SetupChannel& channel, SetupContext& ctx,
                 PackageObserver* observer) {
    Report report(observer);
    InfFile script(infs);
    if (!OpenSetupScript(files, channel, ctx, script, report)) {
        return false;
    }
    InfFile floppy(infs);
    if (!ReadScriptKeys(infs, ctx, script, floppy, report)) {
        return false;
    }
    // Where the short install copies only the floppy INF, that INF describes
    // the device, even when it could not be opened.
    bool shortInstall = ctx.infOnlyMode != 0;
    InfFile& description = shortInstall ? floppy : script;
    const char* descName = shortInstall ? ctx.floppyInfName.c_str() : ctx.mainInfName.c_str();
    if (!ReadDeviceData(infs, ctx, description, descName, report)) {
        return false;
    }
    return FindDriverFile(files, channel, ctx, "*.sy_", IDS_SYS_NOT_FOUND,
                          PackageDefect::kNoDriverImage, &ctx.sysFileName, report) &&
           FindDriverFile(files, channel, ctx, "*.pdr", IDS_PDR_NOT_FOUND,
                          PackageDefect::kNoPortDriver, &ctx.pdrFileName, report);
}
