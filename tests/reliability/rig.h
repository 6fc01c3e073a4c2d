// A fake machine as a user has it when the setup starts: the package in the
// program's folder and what an earlier installation left in the Windows
// directory and the device tree. One run of a road on it, and the rules that
// every run keeps, whatever failed underneath.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/run_outcome.h"
#include "engine/setup_context.h"
#include "platform/fake/fake_wizard.h"
#include "platform/fake/machine.h"
#include "tests/reliability/run_adapter.h"
#include "ui/dialog_channel.h"

namespace reliability {

constexpr char kPackageDir[] = "C:\\PACKAGE";
constexpr char kWindowsDir[] = "C:\\WINDOWS";

struct PackageFile {
    std::string name;
    std::string bytes;
};
// In the order the folder lists them.
using PackageFiles = std::vector<PackageFile>;

// The package of examples/package, allowed on every kind of Windows so that
// the interactive roads of Windows Me, 2000 and XP are real ones.
PackageFiles SamplePackage();

struct MachineOptions {
    // An entry of the disk that the system refuses to remove.
    bool stuckDevice = false;
};

// One failing call, or every call from it on.
struct FaultPlan {
    std::size_t call = 0;
    bool andLater = false;
};

class Rig {
  public:
    explicit Rig(const PackageFiles& package, MachineOptions options = {});
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    RunOutcome Run(Road road, std::uint8_t osKind, const FaultPlan* fault = nullptr);

    // The rules of every run; one text per rule broken.
    std::vector<std::string> Violations() const;

    fake::Machine m;
    SetupContext ctx;
    Road road = Road::Install;
    std::uint8_t osKind = 0;
    RunOutcome outcome = RunOutcome::Cancelled;

  private:
    bool Injected(fake::Op op) const;
    std::string Before(const std::string& path) const;
    bool ExistedBefore(const std::string& path) const;
    bool Received(fake::Change::Kind kind, const std::string& path) const;
    void CheckClock(std::vector<std::string>* out) const;
    void CheckFence(std::vector<std::string>* out) const;
    void CheckSystemFiles(std::vector<std::string>* out) const;
    void CheckInstalledInf(std::vector<std::string>* out) const;
    void CheckOutcome(std::vector<std::string>* out) const;

    BrandTexts brand_;
    DialogChannel channel_;
    SetupServices services_;
    std::unique_ptr<fake::ScriptedWizard> wizard_;
    std::map<std::string, std::string> filesBefore_;  // by FileSystem::Key
    std::vector<std::string> devicesBefore_;
    const FaultPlan* fault_ = nullptr;
};

// Where the program may change the Windows directory and the registry; the
// device tree is checked apart.
bool InsideFence(const fake::Change& change);

// `bytes` with ";" before the first "COPYFILES" behind the header of
// `section`, both found without regard to case before the first NUL byte;
// empty when either is missing.
std::string WithCopyFilesDisabled(const std::string& bytes, const std::string& section);

}  // namespace reliability
