// The host benchmarks' verdicts: each ratio against its goal, and the exit
// status scripts/bench reads from them.
#include "bench/verdict.h"

#include <gtest/gtest.h>

namespace bench {
namespace {

constexpr Goal kAtMost15 = {Goal::kAtMost, 1.5};

TEST(Verdict, RatioAgainstItsGoal) {
    struct Row {
        const char* name;
        Goal goal;
        double value;
        bool smoke;
        Verdict expected;
    } rows[] = {
        {"well inside", kAtMost15, 1.1, false, Verdict::kMet},
        {"at the goal", kAtMost15, 1.5, false, Verdict::kMet},
        {"just past", kAtMost15, 1.5001, false, Verdict::kMissed},
        {"past, in a smoke run", kAtMost15, 9.0, true, Verdict::kNotJudged},
        {"no goal", {Goal::kNone, 0}, 47.0, false, Verdict::kNoGoal},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Judge(row.goal, row.value, row.smoke), row.expected) << row.name;
    }
}

TEST(Verdict, ExitStatus) {
    struct Row {
        const char* name;
        std::vector<Verdict> verdicts;
        bool unmeasured;
        int expected;
    } rows[] = {
        {"every goal met", {Verdict::kMet, Verdict::kNoGoal}, false, 0},
        {"a smoke run", {Verdict::kNotJudged, Verdict::kNoGoal}, false, 0},
        {"a goal missed", {Verdict::kMet, Verdict::kMissed}, false, 1},
        {"a benchmark that did not run outweighs a miss", {Verdict::kMissed}, true, 2},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ExitStatus(row.verdicts, row.unmeasured), row.expected) << row.name;
    }
}

}  // namespace
}  // namespace bench
