// Runs the benchmarks side by side (repetitions interleaved at random, so that
// a slow spell of the machine hits both sides of a ratio alike) and prints
// each ratio of medians with its goal. Exit status 1 when a goal is missed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// Keeps every repetition's time per iteration; shows only the medians.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    explicit RatioReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
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

  private:
    static double Seconds(const Run& run) {
        return run.cpu_accumulated_time / static_cast<double>(run.iterations);
    }
    std::map<std::string, std::vector<double>> seconds_;
};

struct Ratio {
    const char* what;
    const char* numerator;  // ratio = median time of numerator / of denominator
    const char* denominator;
    enum { kAtLeast, kAtMost, kNoGoal } goal;
    double limit;
};

// For throughput the faster side goes on top: time(raw) / time(reader).
const Ratio kRatios[] = {
    {"INF reader (open, read every field) throughput / raw read and scan", "BM_RawReadAndScan",
     "BM_InfReaderReadsEveryField", Ratio::kAtLeast, 1.0 / 3},
    {"INF reader (open only) throughput / raw read and scan", "BM_RawReadAndScan",
     "BM_InfReaderOpens", Ratio::kNoGoal, 0},
    {"cleanup of 500 INFs, 50 ids, one pass / one scan", "BM_CleanupOnePass", "BM_CleanupOneScan",
     Ratio::kAtMost, 1.5},
    {"cleanup of 500 INFs, 50 ids, one scan per id (former way) / one scan", "BM_CleanupPerEntry",
     "BM_CleanupOneScan", Ratio::kNoGoal, 0},
};

bool HasFlag(int argc, char** argv, const char* flag) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    if (!HasFlag(argc, argv, "--benchmark_repetitions")) {
        args.push_back(repetitions);
    }
    if (!HasFlag(argc, argv, "--benchmark_enable_random_interleaving")) {
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

    bool missed = false;
    std::printf("\n%-72s %9s  %-8s %s\n", "ratio (median CPU times of this run)", "value", "goal",
                "");
    for (const Ratio& ratio : kRatios) {
        double top = 0;
        double bottom = 0;
        if (!reporter.Median(ratio.numerator, &top) ||
            !reporter.Median(ratio.denominator, &bottom) || bottom <= 0) {
            std::printf("%-72s %9s\n", ratio.what, "not run");
            continue;
        }
        double value = top / bottom;
        char goal[32] = "";
        const char* verdict = "";
        if (ratio.goal == Ratio::kAtLeast) {
            std::snprintf(goal, sizeof goal, ">= %.3g", ratio.limit);
            verdict = value >= ratio.limit ? "met" : "MISSED";
            missed = missed || value < ratio.limit;
        } else if (ratio.goal == Ratio::kAtMost) {
            std::snprintf(goal, sizeof goal, "<= %.3g", ratio.limit);
            verdict = value <= ratio.limit ? "met" : "MISSED";
            missed = missed || value > ratio.limit;
        }
        std::printf("%-72s %9.3f  %-8s %s\n", ratio.what, value, goal, verdict);
    }
    return missed ? 1 : 0;
}
