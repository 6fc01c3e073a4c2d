// The machines pkgcheck runs the program on: a freshly installed Windows of a
// kind with the package in its folder, the package load there, and the dry
// runs of the program's sequences with the changes they make.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/package_reader.h"
#include "engine/sequences.h"
#include "platform/host_computer.h"
#include "tools/pkgcheck/explanations.h"
#include "tools/pkgcheck/package.h"

namespace pkgcheck {

// The language of the machines' string tables.
constexpr unsigned kEnglish = 1033;

struct WindowsKind {
    std::uint8_t osKind;
    const char* name;
    const char* windowsDir;
};

extern const WindowsKind kKinds[5];

// A listed file that the load passed over, and why.
struct PassedOver {
    std::string mask;
    std::string name;
    PassedOverReason reason;
};

// The package load on a freshly installed machine of a kind.
struct Load {
    bool ok = false;
    SetupContext ctx;
    std::vector<PassedOver> passed;
    std::unique_ptr<Failure> failure;  // where the load gave up, when it did
    std::vector<std::string> boxes;    // the messages the program showed
};

using Sequence = bool (*)(const SetupServices&, const SetupContext&);

// Each load and run on a fresh machine, whose INFs the system's reader reads
// where the computer has one.
class DryRuns {
  public:
    DryRuns(const Package& package, HostComputer& computer)
        : package_(package), computer_(computer) {}

    std::unique_ptr<Load> LoadOn(const WindowsKind& kind);
    // The changes the run makes, a line each; with `installFirst`, those after
    // an install's.
    std::string Changes(const WindowsKind& kind, const SetupContext& loaded, Sequence run,
                        bool installFirst);

  private:
    const Package& package_;
    HostComputer& computer_;
};

}  // namespace pkgcheck
