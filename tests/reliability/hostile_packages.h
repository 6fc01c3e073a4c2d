// Driver packages made to break the package reader and what follows it:
// every failure point of LoadPackage, names at and past their limits, INF
// names that try to leave the program's folder, odd encodings and bytes, huge
// and repetitive INFs. Each one with the outcome it must give.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/setup_context.h"
#include "tests/reliability/rig.h"

namespace reliability {

// The texts LoadPackage shows (the English string table, and the fixed text).
extern const char kNoInfText[];
extern const char kNoScriptText[];
extern const char kNoImageText[];
extern const char kNoPortDriverText[];

struct HostilePackage {
    std::string name;
    PackageFiles files;
    int infOnlyMode = 0;  // the description INF LoadPackage is to read
    bool loads = false;
    std::string message;  // the one box shown; empty when none
    // What else must hold of a loaded package; an empty text when it does.
    std::function<std::string(const SetupContext&)> check;
};

std::vector<HostilePackage> HostilePackages();

}  // namespace reliability
