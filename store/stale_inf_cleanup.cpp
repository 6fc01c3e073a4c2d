#include "store/stale_inf_cleanup.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/inf_file.h"
#include "platform/os_kind.h"

namespace {

using IdText = FixedText<20>;

bool Contains(const char* text, const IdText& part) {
    return std::strstr(text, part.c_str()) != nullptr;
}

// What marks an INF as describing the disk.
struct StaleMatch {
    IdText vid;
    IdText pid;
    IdText extra;

    bool Matches(const char* upperHardwareId) const {
        // An empty text occurs in every id: it cannot mark anything.
        bool ids = !vid.empty() && !pid.empty() && Contains(upperHardwareId, vid) &&
                   Contains(upperHardwareId, pid);
        return ids || (!extra.empty() && Contains(upperHardwareId, extra));
    }
};

IdText UpperText(const char* text) {
    IdText upper;
    upper.Assign(text);
    upper.ToUpper();
    return upper;
}

// Walks the models of the first manufacturer up to the first line without a
// readable hardware id.
bool DescribesDisk(SystemServices& sys, InfFile& inf, const StaleMatch& match) {
    InfLine line;
    FixedText<20> models;
    if (!inf.FindLine("Manufacturer", nullptr, &line) ||
        !sys.GetStringField(line, 1, models.Buffer())) {
        return false;
    }
    models.Seal();
    if (!inf.FindLine(models.c_str(), nullptr, &line)) {
        return false;
    }
    do {
        FixedText<256> hardwareId;
        if (!sys.GetStringField(line, 2, hardwareId.Buffer())) {
            return false;
        }
        hardwareId.Seal();
        hardwareId.ToUpper();
        if (match.Matches(hardwareId.c_str())) {
            return true;
        }
    } while (sys.FindNextLine(&line));
    return false;
}

void DeleteWithAttributesCleared(SystemServices& sys, const char* path) {
    sys.SetFileAttributes(path, kFileAttributeNormal);
    sys.DeleteFile(path);
}

}  // namespace

bool CompanionPnfPath(const char* infPath, StorePath* out) {
    StorePath upper;
    if (!upper.Assign(infPath)) {
        return false;
    }
    upper.ToUpper();
    std::size_t length = upper.size();
    if (length < 4 || std::strcmp(upper.c_str() + length - 4, ".INF") != 0) {
        return false;
    }
    upper.Truncate(length - 3);
    upper.Append("PNF");
    *out = upper;
    return true;
}

int RemoveStaleOemInfs(SystemServices& sys, std::uint8_t osKind, const char* windowsDir,
                       const char* vidText, const char* pidText, const char* extraMatchText) {
    StaleMatch match{UpperText(vidText), UpperText(pidText), UpperText(extraMatchText)};
    const char* folder = osKind < OsKind::kWin2000 ? "\\INF\\OTHER\\" : "\\INF\\";
    const char* mask = osKind < OsKind::kWin2000 ? "*.INF" : "OEM*.INF";
    StorePath pattern;
    if (!Concat(&pattern, {windowsDir, folder, mask})) {
        return 0;
    }
    int stale = 0;
    for (const std::string& name : sys.ListFiles(pattern.c_str())) {
        StorePath path;
        if (!Concat(&path, {windowsDir, folder, name.c_str()})) {
            continue;
        }
        InfFile inf(sys, path.c_str());
        if (!inf.IsOpen() || !DescribesDisk(sys, inf, match)) {
            continue;
        }
        inf.Close();
        DeleteWithAttributesCleared(sys, path.c_str());
        StorePath companion;
        if (CompanionPnfPath(path.c_str(), &companion)) {
            DeleteWithAttributesCleared(sys, companion.c_str());
        }
        ++stale;
    }
    return stale;
}
