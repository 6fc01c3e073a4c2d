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

// The names in the program's folder that match `mask` and fit a file-name
// field; a longer name is passed over as if it were not listed. A pattern that
// does not fit its buffer lists nothing.
std::vector<std::string> ListPackageFiles(SystemServices& sys, const char* sourceDir,
                                          const char* mask) {
    PathText pattern;
    std::vector<std::string> names;
    if (!JoinPath(sourceDir, mask, &pattern)) {
        return names;
    }
    for (std::string& name : sys.ListFiles(pattern.c_str())) {
        if (name.size() < FileNameText::kCapacity) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

// Reads field n into a fixed text; false, with the text unchanged, when the
// field is missing or does not fit.
template <std::size_t N>
bool ReadField(SystemServices& sys, const InfLine& line, unsigned field, FixedText<N>* out) {
    FixedText<N> value;
    if (!sys.GetStringField(line, field, value.Buffer())) {
        return false;
    }
    value.Seal();
    *out = value;
    return true;
}

// Reads field 1 of the line with `key` in the section; false when either fails.
template <std::size_t N>
bool ReadKey(SystemServices& sys, InfFile& inf, const char* section, const char* key,
             FixedText<N>* out) {
    InfLine line;
    return inf.FindLine(section, key, &line) && ReadField(sys, line, 1, out);
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
bool OpenSetupScript(SystemServices& sys, SetupChannel& channel, SetupContext& ctx,
                     InfFile& script) {
    std::vector<std::string> names = ListPackageFiles(sys, ctx.sourceDir.c_str(), "*.in?");
    if (names.empty()) {
        channel.ShowMessage(IDS_INF_NOT_FOUND, kIconStop);
        return false;
    }
    ctx.mainInfName.Clear();
    for (const std::string& name : names) {
        PathText path;
        InfLine line;
        if (!JoinPath(ctx.sourceDir.c_str(), name.c_str(), &path) || !script.Open(path.c_str())) {
            continue;
        }
        if (!script.FindLine(kSetupSection, nullptr, &line)) {
            script.Close();
            continue;
        }
        ctx.mainInfName.Assign(name.c_str());
        return true;
    }
    channel.ShowMessageText(kNoSetupScriptText, kIconStop);
    return false;
}

// Reads the setup script's own keys and opens the floppy INF it names.
bool ReadScriptKeys(SystemServices& sys, SetupContext& ctx, InfFile& script, InfFile& floppy) {
    InfLine line;
    if (script.FindLine(kSetupSection, "MPDInf", &line) &&
        (!ReadField(sys, line, 1, &ctx.mpdInfName) || !IsBareFileName(ctx.mpdInfName.c_str()))) {
        return false;
    }
    if (!ReadKey(sys, script, kSetupSection, "FDDInf", &ctx.floppyInfName) ||
        !IsBareFileName(ctx.floppyInfName.c_str())) {
        return false;
    }
    PathText floppyPath;
    if (JoinPath(ctx.sourceDir.c_str(), ctx.floppyInfName.c_str(), &floppyPath)) {
        floppy.Open(floppyPath.c_str());
    }
    ctx.win98Only = 1;
    int win98Only = 1;
    if (script.FindLine(kSetupSection, "Win98Only", &line) &&
        sys.GetIntField(line, 1, &win98Only)) {
        ctx.win98Only = win98Only;
    }
    return true;
}

// The primary device named by "TargetID": characters 1-4 the vendor, 5-8 the
// product.
void ReadPrimaryDevice(SystemServices& sys, SetupContext& ctx, InfFile& desc) {
    ctx.primaryVid.Clear();
    ctx.primaryPid.Clear();
    FixedText<256> targetId;
    if (ReadKey(sys, desc, kSetupSection, "TargetID", &targetId)) {
        ctx.primaryVid.AssignPrefix(targetId.c_str(), 4);
        if (targetId.size() > 4) {
            ctx.primaryPid.AssignPrefix(targetId.c_str() + 4, 4);
        }
    }
}

// Walks the model lines: records every hardware id into targetIds (at most
// 50) and takes the description and install section from the primary
// device's first line.
bool ReadModels(SystemServices& sys, SetupContext& ctx, InfFile& desc) {
    ctx.deviceDescription.Clear();
    ctx.installSection.Clear();
    InfLine model;
    if (!desc.FindLine(ctx.modelsSection.c_str(), nullptr, &model)) {
        return false;
    }
    std::size_t count = 0;
    for (;;) {
        bool failed = false;
        FixedText<256> hardwareId;
        if (!ReadField(sys, model, 2, &hardwareId)) {
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
                ReadField(sys, model, 0, &ctx.deviceDescription);  // too long: stays empty
                ctx.setupDeviceDesc = ctx.deviceDescription;
            }
            if (primary && ctx.installSection.empty()) {
                ReadField(sys, model, 1, &ctx.installSection);
                failed = ctx.installSection.empty();
            }
        }
        bool more = sys.FindNextLine(&model);
        if (failed) {
            return false;
        }
        if (!more || count >= kMaxTargetIds) {
            break;
        }
    }
    ctx.targetIds[count] = TargetId{};
    return true;
}

bool ReadDeviceData(SystemServices& sys, SetupContext& ctx, InfFile& desc) {
    if (!ReadKey(sys, desc, "Version", "Provider", &ctx.provider)) {
        return false;
    }
    InfLine line;
    if (!desc.FindLine("Manufacturer", nullptr, &line) ||
        !ReadField(sys, line, 1, &ctx.modelsSection)) {
        return false;
    }
    ReadPrimaryDevice(sys, ctx, desc);
    if (!ReadModels(sys, ctx, desc)) {
        return false;
    }
    ReadKey(sys, desc, kSetupSection, "SetupDeviceDesc", &ctx.setupDeviceDesc);
    return true;
}

// The first listed driver file of a kind, or a box naming what is missing.
bool FindDriverFile(SystemServices& sys, SetupChannel& channel, const SetupContext& ctx,
                    const char* mask, unsigned missingMessage, FileNameText* name) {
    std::vector<std::string> names = ListPackageFiles(sys, ctx.sourceDir.c_str(), mask);
    if (names.empty()) {
        channel.ShowMessage(missingMessage, kIconStop);
        return false;
    }
    name->Assign(names.front().c_str());
    return true;
}

}  // namespace

bool LoadPackage(SystemServices& sys, SetupChannel& channel, SetupContext& ctx) {
    InfFile script(sys);
    if (!OpenSetupScript(sys, channel, ctx, script)) {
        return false;
    }
    InfFile floppy(sys);
    if (!ReadScriptKeys(sys, ctx, script, floppy)) {
        return false;
    }
    // Where the short install copies only the floppy INF, that INF describes
    // the device, even when it could not be opened.
    InfFile& description = ctx.infOnlyMode != 0 ? floppy : script;
    if (!ReadDeviceData(sys, ctx, description)) {
        return false;
    }
    return FindDriverFile(sys, channel, ctx, "*.sy_", IDS_SYS_NOT_FOUND, &ctx.sysFileName) &&
           FindDriverFile(sys, channel, ctx, "*.pdr", IDS_PDR_NOT_FOUND, &ctx.pdrFileName);
}
