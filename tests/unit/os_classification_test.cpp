#include "system/os_classification.h"

#include <gtest/gtest.h>

#include "platform/fake/machine.h"

namespace {

TEST(ClassifyVersion, MapsReportedVersionsToKinds) {
    struct Case {
        const char* name;
        WindowsVersion version;
        std::uint8_t kind;
    } cases[] = {
        {"98 first build", {4, 10, 1998}, OsKind::kWin98},
        {"98 last build", {4, 10, 2221}, OsKind::kWin98},
        {"98 SE", {4, 10, 2222}, OsKind::kWin98SE},
        {"98 SE last build", {4, 10, 2999}, OsKind::kWin98SE},
        {"4.10 before 98", {4, 10, 1997}, OsKind::kUnknown},
        {"4.10 build 3000", {4, 10, 3000}, OsKind::kWinMe},
        {"Me", {4, 90, 3000}, OsKind::kWinMe},
        {"Me any build", {4, 90, 0}, OsKind::kWinMe},
        {"95 or NT 4", {4, 0, 950}, OsKind::kUnknown},
        {"2000", {5, 0, 2195}, OsKind::kWin2000},
        {"XP", {5, 1, 2600}, OsKind::kWinXP},
        {"Server 2003", {5, 2, 3790}, OsKind::kUnknown},
        {"Vista", {6, 0, 6000}, OsKind::kUnknown},
        {"98 with version in the high word", {4, 10, 0x040A07CE}, OsKind::kWin98},
        {"98 SE with version in the high word", {4, 10, 0x040A08AE}, OsKind::kWin98SE},
        {"high word alone does not count", {4, 10, 0x0BB80000}, OsKind::kUnknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyVersion(c.version), c.kind) << c.name;
    }
}

TEST(ClassifyWindows, AFailedVersionQueryIsUnknown) {
    fake::Machine m;
    m.system.version = {4, 10, 2222};
    EXPECT_EQ(ClassifyWindows(m.system), OsKind::kWin98SE);
    m.faults.FailAlways(fake::Op::GetVersion);
    EXPECT_EQ(ClassifyWindows(m.system), OsKind::kUnknown);
}

}  // namespace
