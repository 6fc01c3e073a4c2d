// Runs the benchmarks side by side (repetitions interleaved at random, so that
// a slow spell of the machine hits both sides of a ratio alike) and prints
// each ratio of medians with its goal, met or missed. 15 repetitions: with 5,
// a machine busy with other work moved the cleanup ratio from 0.9 to 1.7.
//
//   setup_bench [--smoke] [BENCHMARK_OPTIONS...]
//
// --smoke runs each benchmark once, briefly, and judges no goal: the test
// command's check that every benchmark still runs.
// Exit status: 0 every goal met, 1 a goal missed, 2 a benchmark failed or did
// not run (or bad arguments).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/store_size.h"
#include "bench/verdict.h"

std::size_t bench::storeInfs = bench::kMeasuredStoreInfs;

namespace {

// Keeps every repetition's time per iteration; shows only the medians.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.error_occurred) {
                failed_ = true;
            } else if (run.run_type == Run::RT_Iteration) {
                seconds_[run.run_name.function_name].push_back(Seconds(run));
            }
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || run.repetitions <= 1) {
                shown.push_back(run);
            }
        }
        if (!shown.empty()) {
            ConsoleReporter::ReportRuns(shown);
        }
    }

    // Median CPU time per iteration in seconds (other work on the machine
    // stretches the wall clock, not this); false when the benchmark did not run.
    bool Median(const std::string& name, double* seconds) const {
        auto it = seconds_.find(name);
        if (it == seconds_.end() || it->second.empty()) {
            return false;
        }
        std::vector<double> times = it->second;
        std::sort(times.begin(), times.end());
        std::size_t n = times.size();
        *seconds = n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
        return true;
    }

    bool Failed() const { return failed_; }

  private:
    static double Seconds(const Run& run) {
        return run.cpu_accumulated_time / static_cast<double>(run.iterations);
    }
    std::map<std::string, std::vector<double>> seconds_;
    bool failed_ = false;
};

struct Ratio {
    const char* what;       // %zu: the store's size
    const char* numerator;  // ratio = median time of numerator / of denominator
    const char* denominator;
    bench::Goal goal;
};

const Ratio kRatios[] = {
    {"cleanup of %zu INFs, 50 ids, one pass / one scan",
     "BM_CleanupOnePass",
     "BM_CleanupOneScan",
     {bench::Goal::kAtMost, 1.5}},
    {"cleanup of %zu INFs, 50 ids, one scan per id (former way) / one scan",
     "BM_CleanupPerEntry",
     "BM_CleanupOneScan",
     {bench::Goal::kNone, 0}},
};

bool HasFlag(const std::vector<char*>& args, const char* flag) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (std::strncmp(args[i], flag, std::strlen(flag)) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    bool smoke = false;
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strcmp(argv[i], "--smoke") == 0) {
            smoke = true;
        } else {
            args.push_back(argv[i]);
        }
    }
    char repetitions[] = "--benchmark_repetitions=15";
    char once[] = "--benchmark_repetitions=1";
    char brief[] = "--benchmark_min_time=0";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    if (smoke) {
        bench::storeInfs = bench::kSmokeStoreInfs;
        args.push_back(once);
        args.push_back(brief);
    } else if (!HasFlag(args, "--benchmark_repetitions")) {
        args.push_back(repetitions);
    }
    if (!HasFlag(args, "--benchmark_enable_random_interleaving")) {
        args.push_back(interleaving);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 2;
    }
    RatioReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::vector<bench::Verdict> verdicts;
    bool unmeasured = reporter.Failed();
    std::printf("\n%-72s %9s  %-8s %s\n", "ratio (median CPU times of this run)", "value", "goal",
                "");
    for (const Ratio& ratio : kRatios) {
        char what[96];
        std::snprintf(what, sizeof what, ratio.what, bench::storeInfs);
        double top = 0;
        double bottom = 0;
        if (!reporter.Median(ratio.numerator, &top) ||
            !reporter.Median(ratio.denominator, &bottom) || bottom <= 0) {
            std::printf("%-72s %9s\n", what, "not run");
            // A filter may leave a side out; the smoke run leaves out nothing.
            unmeasured = unmeasured || smoke;
            continue;
        }
        double value = top / bottom;
        char goal[32] = "";
        if (ratio.goal.kind == bench::Goal::kAtMost) {
            std::snprintf(goal, sizeof goal, "<= %.3g", ratio.goal.limit);
        }
        verdicts.push_back(bench::Judge(ratio.goal, value, smoke));
        std::printf("%-72s %9.3f  %-8s %s\n", what, value, goal,
                    bench::VerdictText(verdicts.back()));
    }
    if (unmeasured) {
        std::printf("a benchmark failed or did not run\n");
    }
    return bench::ExitStatus(verdicts, unmeasured);
}
