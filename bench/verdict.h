// A figure against its goal, and the exit status of a run of figures: the one
// place the host benchmarks decide between "met" and "missed".
#pragma once

#include <vector>

namespace bench {

struct Goal {
    enum Kind { kAtMost, kNone } kind;
    double limit;
};

enum class Verdict { kNoGoal, kNotJudged, kMet, kMissed };

// The smoke run only checks that the benchmarks still run: it judges nothing.
inline Verdict Judge(const Goal& goal, double value, bool smoke) {
    if (goal.kind == Goal::kNone) {
        return Verdict::kNoGoal;
    }
    if (smoke) {
        return Verdict::kNotJudged;
    }
    return value <= goal.limit ? Verdict::kMet : Verdict::kMissed;
}

inline const char* VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::kNotJudged:
            return "(not judged)";
        case Verdict::kMet:
            return "met";
        case Verdict::kMissed:
            return "missed";
        case Verdict::kNoGoal:
            break;
    }
    return "";
}

// 0 every goal met, 1 a goal missed, 2 a benchmark failed or did not run.
inline int ExitStatus(const std::vector<Verdict>& verdicts, bool unmeasured) {
    if (unmeasured) {
        return 2;
    }
    for (Verdict verdict : verdicts) {
        if (verdict == Verdict::kMissed) {
            return 1;
        }
    }
    return 0;
}

}  // namespace bench
