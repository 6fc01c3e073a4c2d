// Every road, run once cleanly and then once more for each platform call it
// made: with that one call failing, and with it and every later call failing;
// and once with the disk full. After each run the machine must be whole and
// the outcome honest.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "platform/os_kind.h"
#include "tests/reliability/rig.h"

namespace reliability {
namespace {

struct SweepCase {
    const char* name;
    Road road;
    std::uint8_t osKind;
    MachineOptions machine;
    RunOutcome clean;  // the outcome with nothing failing
};

const SweepCase kSweepCases[] = {
    {"InstallOn98", Road::Install, OsKind::kWin98, {}, RunOutcome::Completed},
    {"InstallOn98SE", Road::Install, OsKind::kWin98SE, {}, RunOutcome::Completed},
    {"InstallOn2000", Road::Install, OsKind::kWin2000, {}, RunOutcome::Completed},
    {"ShortInstallOnMe", Road::Install, OsKind::kWinMe, {}, RunOutcome::Completed},
    {"ShortInstallOnXP", Road::Install, OsKind::kWinXP, {}, RunOutcome::Completed},
    {"UninstallOn98SE", Road::Uninstall, OsKind::kWin98SE, {}, RunOutcome::Completed},
    {"UninstallOn2000", Road::Uninstall, OsKind::kWin2000, {}, RunOutcome::Completed},
    {"UninstallWithAnEntryThatStays",
     Road::Uninstall,
     OsKind::kWin98SE,
     {true},
     RunOutcome::Failed},
    {"SilentOnUnknown", Road::SilentInstall, OsKind::kUnknown, {}, RunOutcome::Completed},
    {"SilentOn98", Road::SilentInstall, OsKind::kWin98, {}, RunOutcome::Completed},
    {"SilentOn98SE", Road::SilentInstall, OsKind::kWin98SE, {}, RunOutcome::Completed},
    {"SilentOnMe", Road::SilentInstall, OsKind::kWinMe, {}, RunOutcome::Completed},
    {"SilentOn2000", Road::SilentInstall, OsKind::kWin2000, {}, RunOutcome::Completed},
    {"SilentOnXP", Road::SilentInstall, OsKind::kWinXP, {}, RunOutcome::Completed},
};

void PrintTo(const SweepCase& c, std::ostream* out) {
    *out << c.name;
}

// Figures of the whole sweep, printed when the program ends.
struct Totals {
    std::size_t runs = 0;
    std::size_t injected = 0;
    std::size_t violations = 0;
};
Totals totals;

class SweepReport : public ::testing::Environment {
  public:
    void TearDown() override {
        std::printf("fault sweep, all roads: %zu runs, %zu faults injected, %zu violations\n",
                    totals.runs, totals.injected, totals.violations);
    }
};
const ::testing::Environment* const kReport = ::testing::AddGlobalTestEnvironment(new SweepReport);

class FaultSweep : public ::testing::TestWithParam<SweepCase> {};

TEST_P(FaultSweep, EveryFailureLeavesTheMachineWholeAndTheOutcomeHonest) {
    const SweepCase& c = GetParam();
    const PackageFiles package = SamplePackage();

    Rig clean(package, c.machine);
    ASSERT_EQ(clean.Run(c.road, c.osKind), c.clean);
    std::vector<std::string> cleanViolations = clean.Violations();
    ASSERT_TRUE(cleanViolations.empty()) << cleanViolations.front();
    const std::vector<fake::Op> calls = clean.m.faults.Log();

    Totals here;
    std::vector<std::string> found;
    for (std::size_t call = 0; call < calls.size(); ++call) {
        for (bool andLater : {false, true}) {
            FaultPlan fault{call, andLater};
            Rig rig(package, c.machine);
            rig.Run(c.road, c.osKind, &fault);
            ++here.runs;
            here.injected += rig.m.faults.Injected();
            for (const std::string& violation : rig.Violations()) {
                ++here.violations;
                if (found.size() < 20) {
                    found.push_back("call " + std::to_string(call) + " (" +
                                    fake::OpName(calls[call]) + (andLater ? ", and later" : "") +
                                    "): " + violation);
                }
            }
        }
    }
    // And once with the disk full: only the INF edit writes, and it grows the file.
    {
        Rig rig(package, c.machine);
        rig.m.system.diskFreeBytes = 0;
        rig.Run(c.road, c.osKind);
        ++here.runs;
        for (const std::string& violation : rig.Violations()) {
            ++here.violations;
            found.push_back("disk full: " + violation);
        }
    }
    totals.runs += here.runs;
    totals.injected += here.injected;
    totals.violations += here.violations;
    std::printf("fault sweep, %s: %zu calls, %zu runs, %zu faults injected, %zu violations\n",
                c.name, calls.size(), here.runs, here.injected, here.violations);
    EXPECT_EQ(here.violations, 0u);
    for (const std::string& violation : found) {
        ADD_FAILURE() << violation;
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, FaultSweep, ::testing::ValuesIn(kSweepCases),
                         [](const ::testing::TestParamInfo<SweepCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace reliability
