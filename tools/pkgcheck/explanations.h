// The words of pkgcheck's report for what went wrong: why the INF reader
// refuses a file, why the load passed a file over, and each defect at which
// the load gives up, with the file, line and field it points at.
#pragma once

#include <cstddef>
#include <string>

#include "engine/package_reader.h"
#include "platform/fake/machine.h"
#include "platform/host_computer.h"
#include "tools/pkgcheck/package.h"

namespace pkgcheck {

// The failure as the observer reported it, with its texts copied.
struct Failure {
    PackageDefect defect;
    std::string infName;
    std::string section;
    std::string key;
    bool hasKey = false;
    std::size_t lineIndex = 0;
};

// What the INF reader that the program meets says of the package's files:
// the system's, over a machine holding the package, or our own.
class ReaderVerdicts {
  public:
    ReaderVerdicts(const Package& package, HostComputer& computer);
    ReaderVerdicts(const ReaderVerdicts&) = delete;
    ReaderVerdicts& operator=(const ReaderVerdicts&) = delete;

    // "the INF reader accepts it", or "not an INF:" and why.
    std::string Of(const FolderFile& file);

  private:
    bool Accepts(const FolderFile& file, InfRefusal* refusal);

    const Package& package_;
    HostComputer& computer_;
    fake::Machine disk_;
    InfServices* system_;
};

// Why the load passed a listed file over; empty for a file that is no INF,
// which the reader's verdict explains.
const char* PassedOverText(PassedOverReason reason);

// The defect in plain words, with the file and line.
std::string Explain(const Package& package, const Failure& failure, ReaderVerdicts& reader);

}  // namespace pkgcheck
