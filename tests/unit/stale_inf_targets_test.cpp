// The cleanup for a whole target id list in one pass deletes exactly what one
// pass per entry deletes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/sequences.h"
#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "resources/resource_ids.h"
#include "store/stale_inf_cleanup.h"
#include "tests/support/generated_store.h"
#include "ui/dialog_channel.h"

namespace {

constexpr char kWindows[] = "C:\\WINDOWS";

// The removal steps as they were: one scan per entry, up to the first entry
// with an empty text.
void PerEntryCleanup(fake::Machine& m, std::uint8_t osKind, const std::vector<TargetId>& ids,
                     const std::string& extra) {
    for (const TargetId& id : ids) {
        if (id.vid.empty() || id.pid.empty()) {
            break;
        }
        RemoveStaleOemInfs(m.system, osKind, kWindows, id.vid.c_str(), id.pid.c_str(),
                           extra.c_str());
    }
}

std::set<std::string> Deleted(const fake::Machine& m) {
    std::set<std::string> paths;
    for (const fake::Change& change : m.system.Changes()) {
        if (change.kind == fake::Change::Delete) {
            paths.insert(fake::FileSystem::Key(change.path));
        }
    }
    return paths;
}

// Every file left, with its attributes.
std::vector<std::string> Remaining(const fake::Machine& m) {
    std::vector<std::string> files;
    for (const fake::File* file : m.files.All()) {
        files.push_back(fake::FileSystem::Key(file->path) + " " + std::to_string(file->attributes));
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(RemoveStaleOemInfsForTargets, DeletesWhatOneScanPerEntryDeletes) {
    const std::uint8_t kinds[] = {OsKind::kUnknown, OsKind::kWin98, OsKind::kWinMe,
                                  OsKind::kWin2000, OsKind::kWinXP};
    std::size_t storesWithDeletions = 0;
    for (std::uint64_t seed = 1; seed <= 120; ++seed) {
        genstore::Rng rng(seed);
        genstore::RandomShape shape;
        shape.osKind = kinds[rng.Below(sizeof kinds)];
        std::vector<TargetId> ids = genstore::RandomTargets(rng);
        std::string extra = genstore::RandomExtraText(rng);
        std::uint64_t storeSeed = rng.Next();

        fake::Machine perEntry;
        fake::Machine onePass;
        genstore::Rng storeA(storeSeed);
        genstore::Rng storeB(storeSeed);
        genstore::GivenRandomStore(perEntry, storeA, shape);
        genstore::GivenRandomStore(onePass, storeB, shape);
        ASSERT_EQ(Remaining(perEntry), Remaining(onePass)) << "seed " << seed;

        PerEntryCleanup(perEntry, shape.osKind, ids, extra);
        RemoveStaleOemInfsForTargets(onePass.system, shape.osKind, kWindows, ids.data(), ids.size(),
                                     extra.c_str());

        EXPECT_EQ(Deleted(perEntry), Deleted(onePass)) << "seed " << seed;
        EXPECT_EQ(Remaining(perEntry), Remaining(onePass)) << "seed " << seed;
        EXPECT_EQ(onePass.system.OpenInfCount(), 0u) << "seed " << seed;
        storesWithDeletions += Deleted(onePass).empty() ? 0 : 1;
    }
    // The generated stores must exercise deletion, not only leave everything.
    EXPECT_GT(storesWithDeletions, 40u);
}

TEST(RemoveStaleOemInfsForTargets, ListRules) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> ids;
        const char* extra;
        std::set<std::string> gone;  // store names
    } cases[] = {
        {"every entry's INF goes", {{"ABCD", "1234"}, {"F1A5", "D15C"}}, "", {"A.INF", "B.INF"}},
        {"small letters in the list", {{"f1a5", "d15c"}}, "", {"B.INF"}},
        {"the list ends at an empty product text",
         {{"ABCD", "1234"}, {"F1A5", ""}, {"F1A5", "D15C"}},
         "",
         {"A.INF"}},
        {"the list ends at an empty vendor text", {{"", "1234"}, {"F1A5", "D15C"}}, "", {}},
        {"an empty list ignores the extra text", {}, "SPECIAL", {}},
        {"the extra text with one entry", {{"0000", "0000"}}, "special", {"C.INF"}},
        {"an entry that matches nothing", {{"0781", "5567"}}, "", {}},
    };
    for (const Case& c : cases) {
        fake::Machine m;
        genstore::ModelLine special;
        special.hardwareId = "USB\\DISK&SPECIAL";
        std::string other = std::string(kWindows) + "\\INF\\OTHER\\";
        m.givenFile(
            other + "A.INF",
            genstore::InfText({{"M", {{"D", "I", "USB\\VID_ABCD&PID_1234", ""}}, true}}, false));
        m.givenFile(
            other + "B.INF",
            genstore::InfText({{"M", {{"D", "I", "USB\\VID_F1A5&PID_D15C", ""}}, true}}, false));
        m.givenFile(other + "C.INF", genstore::InfText({{"M", {special}, true}}, false));
        std::vector<TargetId> ids(kMaxTargetIds + 1);
        for (std::size_t i = 0; i < c.ids.size(); ++i) {
            ids[i].vid.Assign(c.ids[i].first);
            ids[i].pid.Assign(c.ids[i].second);
        }
        RemoveStaleOemInfsForTargets(m.system, OsKind::kWin98SE, kWindows, ids.data(), ids.size(),
                                     c.extra);
        for (const char* name : {"A.INF", "B.INF", "C.INF"}) {
            EXPECT_EQ(m.files.Exists(other + name), c.gone.count(name) == 0)
                << c.name << ": " << name;
        }
    }
}

// The removal steps read the store once, however long the target list is.
TEST(RemoveStaleOemInfsForTargets, TheRemovalStepsOpenEachStoredInfOnce) {
    fake::Machine m;
    std::vector<std::vector<std::string>> store;
    for (int i = 0; i < 12; ++i) {
        store.push_back({genstore::HardwareId("0781", "55" + std::to_string(10 + i))});
    }
    store.push_back({genstore::HardwareId("ABCD", "1234")});
    genstore::GivenStore(m, OsKind::kWin98, store, true);
    m.givenString(IDS_REMOVING, "removing device if present...");
    BrandTexts brand{"Setup", "Disk", "", "no link"};
    DialogChannel channel(m.windows, 0x102, brand);
    SetupServices services{m.system, m.devices, m.windows, channel};
    SetupContext ctx;
    ctx.windowsDir.Assign(kWindows);
    ctx.osKind = OsKind::kWin98;
    for (std::size_t i = 0; i < kMaxTargetIds; ++i) {
        ctx.targetIds[i].vid.Assign("ABCD");
        ctx.targetIds[i].pid.Assign(std::to_string(1200 + i).c_str());
    }
    ctx.targetIds[kMaxTargetIds] = TargetId{};

    m.faults.Clear();
    RemoveDriver(services, ctx, 0, 100);

    const std::vector<fake::Op>& log = m.faults.Log();
    EXPECT_EQ(std::count(log.begin(), log.end(), fake::Op::OpenInf), 13);
    EXPECT_FALSE(m.files.Exists(genstore::StoreFolder(kWindows, OsKind::kWin98) + "\\DRV12.INF"));
    EXPECT_TRUE(m.files.Exists(genstore::StoreFolder(kWindows, OsKind::kWin98) + "\\DRV0.INF"));
}

}  // namespace
