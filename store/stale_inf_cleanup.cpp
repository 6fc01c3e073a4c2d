#include "store/stale_inf_cleanup.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/inf_file.h"
#include "platform/os_kind.h"
#include "store/file_swap.h"

namespace {

using IdText = FixedText<20>;

bool Contains(const char* text, const IdText& part) {
    return std::strstr(text, part.c_str()) != nullptr;
}

IdText UpperText(const char* text) {
    IdText upper;
    upper.Assign(text);
    upper.ToUpper();
    return upper;
}

// What marks an INF as describing the disk: any of the id pairs, or the extra
// text.
class StaleMatch {
  public:
    explicit StaleMatch(const char* extraMatchText) : extra_(UpperText(extraMatchText)) {}

    void AddIds(const char* vidText, const char* pidText) {
        IdPair pair{UpperText(vidText), UpperText(pidText)};
        // An empty text occurs in every id: it cannot mark anything.
        if (pair.vid.empty() || pair.pid.empty()) {
            return;
        }
        for (const IdPair& known : ids_) {
            if (known.vid == pair.vid.c_str() && known.pid == pair.pid.c_str()) {
                return;
            }
        }
        ids_.push_back(pair);
    }

    bool CanMatch() const { return !ids_.empty() || !extra_.empty(); }

    bool Matches(const char* upperHardwareId) const {
        for (const IdPair& pair : ids_) {
            if (Contains(upperHardwareId, pair.vid) && Contains(upperHardwareId, pair.pid)) {
                return true;
            }
        }
        return !extra_.empty() && Contains(upperHardwareId, extra_);
    }

  private:
    struct IdPair {
        IdText vid;
        IdText pid;
    };
    std::vector<IdPair> ids_;
    IdText extra_;
};

// Walks the models of the first manufacturer up to the first line without a
// readable hardware id.
bool DescribesDisk(InfServices& infs, InfFile& inf, const StaleMatch& match) {
    InfLine line;
    FixedText<20> models;
    if (!inf.FindLine("Manufacturer", nullptr, &line) ||
        !infs.GetStringField(line, 1, models.Buffer())) {
        return false;
    }
    models.Seal();
    if (!inf.FindLine(models.c_str(), nullptr, &line)) {
        return false;
    }
    do {
        FixedText<256> hardwareId;
        if (!infs.GetStringField(line, 2, hardwareId.Buffer())) {
            return false;
        }
        hardwareId.Seal();
        hardwareId.ToUpper();
        if (match.Matches(hardwareId.c_str())) {
            return true;
        }
    } while (infs.FindNextLine(&line));
    return false;
}

// One scan of the store; each INF is read once, whatever the number of pairs.
int RemoveMatchingInfs(FileServices& files, InfServices& infs, std::uint8_t osKind,
                       const char* windowsDir, const StaleMatch& match) {
    if (!match.CanMatch()) {
        return 0;
    }
    const char* folder = osKind < OsKind::kWin2000 ? "\\INF\\OTHER\\" : "\\INF\\";
    const char* mask = osKind < OsKind::kWin2000 ? "*.INF" : "OEM*.INF";
    StorePath pattern;
    if (!Concat(&pattern, {windowsDir, folder, mask})) {
        return 0;
    }
    int stale = 0;
    for (const std::string& name : files.ListFiles(pattern.c_str())) {
        StorePath path;
        if (!Concat(&path, {windowsDir, folder, name.c_str()})) {
            continue;
        }
        InfFile inf(infs, path.c_str());
        if (!inf.IsOpen() || !DescribesDisk(infs, inf, match)) {
            continue;
        }
        inf.Close();
        // The companion first: a run cut short between the two leaves the
        // INF, which the next run finds again.
        StorePath companion;
        if (CompanionPnfPath(path.c_str(), &companion)) {
            DeleteWithAttributesCleared(files, companion.c_str());
        }
        DeleteWithAttributesCleared(files, path.c_str());
        ++stale;
    }
    return stale;
}

}  // namespace

int RemoveStaleOemInfs(FileServices& files, InfServices& infs, std::uint8_t osKind,
                       const char* windowsDir, const TargetId* ids, std::size_t count,
                       const char* extraMatchText) {
    StaleMatch match(extraMatchText);
    std::size_t used = 0;
    for (; used < count && !ids[used].vid.empty() && !ids[used].pid.empty(); ++used) {
        match.AddIds(ids[used].vid.c_str(), ids[used].pid.c_str());
    }
    // The list ends at its first empty entry; an empty list asks for nothing.
    if (used == 0) {
        return 0;
    }
    return RemoveMatchingInfs(files, infs, osKind, windowsDir, match);
}

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
