// Whatever package it is given, the program changes nothing but its own
// folders of the Windows directory (INF, INF\OTHER, SYSTEM\IOSUBSYS,
// SYSTEM32\DRIVERS), the one search path value of the registry and the disk's
// own device entries, and every other rule of a run holds as well.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "platform/os_kind.h"
#include "tests/reliability/hostile_packages.h"
#include "tests/reliability/rig.h"

namespace reliability {
namespace {

struct RoadCase {
    const char* name;
    Road road;
    std::uint8_t osKind;
};

constexpr char kSearchPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\OtherDevicePath";

const RoadCase kRoads[] = {
    {"InstallOn98", Road::Install, OsKind::kWin98},
    {"InstallOn98SE", Road::Install, OsKind::kWin98SE},
    {"InstallOn2000", Road::Install, OsKind::kWin2000},
    {"ShortInstallOnMe", Road::Install, OsKind::kWinMe},
    {"ShortInstallOnXP", Road::Install, OsKind::kWinXP},
    {"UninstallOn98SE", Road::Uninstall, OsKind::kWin98SE},
    {"UninstallOn2000", Road::Uninstall, OsKind::kWin2000},
    {"SilentOnUnknown", Road::SilentInstall, OsKind::kUnknown},
    {"SilentOn98", Road::SilentInstall, OsKind::kWin98},
    {"SilentOn98SE", Road::SilentInstall, OsKind::kWin98SE},
    {"SilentOnMe", Road::SilentInstall, OsKind::kWinMe},
    {"SilentOn2000", Road::SilentInstall, OsKind::kWin2000},
    {"SilentOnXP", Road::SilentInstall, OsKind::kWinXP},
};

void PrintTo(const RoadCase& c, std::ostream* out) {
    *out << c.name;
}

TEST(Fence, TellsTheProgramsFoldersFromEverythingElse) {
    using fake::Change;
    struct Case {
        const char* name;
        Change change;
        bool inside;
    } cases[] = {
        {"installed INF", {Change::Copy, "C:\\WINDOWS\\inf\\other\\NIMBLE.INF", "C:\\P\\X"}, true},
        {"INF store", {Change::Delete, "C:\\WINDOWS\\INF\\OEM3.PNF", ""}, true},
        {"port driver", {Change::Copy, "C:\\WINDOWS\\SYSTEM\\IOSUBSYS\\N.PDR", ""}, true},
        {"driver image", {Change::Attributes, "c:\\windows\\system32\\drivers\\N.SYS", ""}, true},
        {"aside rename",
         {Change::Rename, "C:\\WINDOWS\\INF\\DRVIDX.3S", "C:\\WINDOWS\\INF\\DRVIDX.BIN"},
         true},
        {"the OTHER folder", {Change::CreateFolder, "C:\\WINDOWS\\INF\\OTHER", ""}, true},
        {"search path", {Change::RegistryValue, kSearchPath, ""}, true},
        {"Windows directory itself", {Change::Copy, "C:\\WINDOWS\\N.INF", ""}, false},
        {"SYSTEM", {Change::Delete, "C:\\WINDOWS\\SYSTEM\\N.SYS", ""}, false},
        {"a folder below INF\\OTHER",
         {Change::Copy, "C:\\WINDOWS\\INF\\OTHER\\X\\N.INF", ""},
         false},
        {"a way up", {Change::Copy, "C:\\WINDOWS\\INF\\OTHER\\..\\..\\N.INF", ""}, false},
        {"a slash", {Change::Copy, "C:\\WINDOWS\\INF/N.INF", ""}, false},
        {"rename out of the store",
         {Change::Rename, "C:\\N.INF", "C:\\WINDOWS\\INF\\N.INF"},
         false},
        {"another folder created", {Change::CreateFolder, "C:\\WINDOWS\\INF\\NEW", ""}, false},
        {"another registry value", {Change::RegistryValue, "Software\\Run\\X", ""}, false},
        {"the package", {Change::Write, "C:\\PACKAGE\\NIMBLE.IN_", ""}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InsideFence(c.change), c.inside) << c.name;
    }
}

class FencedWrites : public ::testing::TestWithParam<RoadCase> {};

TEST_P(FencedWrites, WithEveryHostilePackageThatLoads) {
    const RoadCase& c = GetParam();
    std::size_t runs = 0;
    std::size_t unusable = 0;
    for (const HostilePackage& p : HostilePackages()) {
        if (!p.loads) {
            continue;
        }
        SCOPED_TRACE(p.name);
        Rig rig(p.files);
        // The short install reads the floppy INF, which some of them break.
        if (rig.Run(c.road, c.osKind) == RunOutcome::PackageUnusable) {
            ++unusable;
        }
        ++runs;
        for (const std::string& violation : rig.Violations()) {
            ADD_FAILURE() << violation;
        }
    }
    std::printf("fenced writes, %s: %zu packages, %zu of them unusable there\n", c.name, runs,
                unusable);
}

INSTANTIATE_TEST_SUITE_P(Roads, FencedWrites, ::testing::ValuesIn(kRoads),
                         [](const ::testing::TestParamInfo<RoadCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace reliability
