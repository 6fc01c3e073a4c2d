// The removal steps' INF cleanup over a store of 500 OEM INFs with 50 target
// ids: one scan per entry, one pass for the whole list, and one plain scan.
// Every 20th INF is an old installation of the disk.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/generated_store.h"
#include "bench/store_size.h"
#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "store/stale_inf_cleanup.h"

namespace {

constexpr std::uint8_t kOsKind = OsKind::kWinXP;
constexpr std::size_t kStaleEvery = 20;

std::string Hex4(std::size_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04zX", value & 0xFFFF);
    return text;
}

// 50 products of one vendor, as a package that lists its whole family.
std::vector<TargetId> Targets() {
    std::vector<TargetId> ids(kMaxTargetIds + 1);
    for (std::size_t i = 0; i < kMaxTargetIds; ++i) {
        ids[i].vid.Assign("F1A5");
        ids[i].pid.Assign(Hex4(0xD100 + i).c_str());
    }
    return ids;
}

// The others describe other makers' devices, with one to four models each.
const fake::FileSystem& PristineStore() {
    static const fake::FileSystem files = [] {
        fake::Machine m;
        genstore::Rng rng(500);
        const std::vector<std::string> vendors = {"0781", "04E8", "1058", "090C", "13FE"};
        std::vector<std::vector<std::string>> store;
        for (std::size_t i = 0; i < bench::storeInfs; ++i) {
            std::vector<std::string> ids;
            std::size_t models = 1 + rng.Below(4);
            for (std::size_t k = 0; k < models; ++k) {
                bool ours = i % kStaleEvery == 0 && k == models - 1;
                ids.push_back(ours ? genstore::HardwareId("F1A5", Hex4(0xD100 + rng.Below(50)))
                                   : genstore::HardwareId(rng.Pick(vendors), Hex4(rng.Next())));
            }
            store.push_back(ids);
        }
        genstore::GivenStore(m, kOsKind, store, true);
        return m.files;
    }();
    return files;
}

// Each iteration gets the store afresh: the cleanup deletes from it.
template <typename Cleanup>
void RunOnFreshStore(benchmark::State& state, Cleanup cleanup) {
    const fake::FileSystem& pristine = PristineStore();
    const std::vector<TargetId> ids = Targets();
    std::unique_ptr<fake::Machine> m;
    int stale = 0;
    for (auto _ : state) {
        state.PauseTiming();
        m = std::make_unique<fake::Machine>();
        m->files = pristine;
        state.ResumeTiming();
        stale = cleanup(*m, ids);
    }
    state.counters["stale"] = stale;
}

// The cleanup for one target id: one scan of the store.
int CleanupForOne(fake::Machine& m, const char* vid, const char* pid) {
    TargetId id[2];
    id[0].vid.Assign(vid);
    id[0].pid.Assign(pid);
    return RemoveStaleOemInfs(m.system, m.system, kOsKind, "C:\\WINDOWS", id, 1, "");
}

void BM_CleanupOneScan(benchmark::State& state) {
    RunOnFreshStore(state, [](fake::Machine& m, const std::vector<TargetId>&) {
        // An id that no INF holds: every INF is read to its last model.
        return CleanupForOne(m, "FFFF", "FFFF");
    });
}
BENCHMARK(BM_CleanupOneScan)->Unit(benchmark::kMillisecond);

void BM_CleanupPerEntry(benchmark::State& state) {
    RunOnFreshStore(state, [](fake::Machine& m, const std::vector<TargetId>& ids) {
        int stale = 0;
        for (const TargetId& id : ids) {
            if (id.vid.empty() || id.pid.empty()) {
                break;
            }
            stale += CleanupForOne(m, id.vid.c_str(), id.pid.c_str());
        }
        return stale;
    });
}
BENCHMARK(BM_CleanupPerEntry)->Unit(benchmark::kMillisecond);

void BM_CleanupOnePass(benchmark::State& state) {
    RunOnFreshStore(state, [](fake::Machine& m, const std::vector<TargetId>& ids) {
        return RemoveStaleOemInfs(m.system, m.system, kOsKind, "C:\\WINDOWS", ids.data(),
                                  ids.size(), "");
    });
}
BENCHMARK(BM_CleanupOnePass)->Unit(benchmark::kMillisecond);

}  // namespace
