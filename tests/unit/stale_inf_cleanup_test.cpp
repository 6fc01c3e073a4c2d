#include "store/stale_inf_cleanup.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/machine.h"
#include "platform/os_kind.h"

namespace {

std::string StoredInf(const std::string& models, const std::string& manufacturer = "V=Models\n") {
    return "[Version]\nSignature=$Chicago$\n[Manufacturer]\n" + manufacturer + "[Models]\n" +
           models;
}

// Each row stores one INF (with its .PNF) in INF\OTHER and asks for ABCD/1234.
TEST(RemoveStaleOemInfs, MatchingRules) {
    struct Case {
        const char* name;
        std::string inf;
        bool stale;
        const char* extra = "";
    } cases[] = {
        {"both ids", StoredInf("Disk=I,USB\\VID_ABCD&PID_1234\n"), true},
        {"small letters", StoredInf("Disk=I,usb\\vid_abcd&pid_1234\n"), true},
        {"swapped places", StoredInf("Disk=I,USB\\VID_1234&PID_ABCD\n"), true},
        {"a later model line",
         StoredInf("A=I,USB\\VID_0000&PID_0000\nB=I,USB\\VID_ABCD&PID_1234\n"), true},
        {"vendor only", StoredInf("Disk=I,USB\\VID_ABCD&PID_9999\n"), false},
        {"line without hardware id stops the walk", StoredInf("A=I\nB=I,USB\\VID_ABCD&PID_1234\n"),
         false},
        {"only the first manufacturer is followed",
         StoredInf("A=I,USB\\VID_0000&PID_0000\n[Other]\nB=I,USB\\VID_ABCD&PID_1234\n",
                   "V=Models\nW=Other\n"),
         false},
        {"models section name of 20 characters",
         "[Version]\nSignature=$Chicago$\n[Manufacturer]\nV=ModelsSection1234567\n"
         "[ModelsSection1234567]\nA=I,USB\\VID_ABCD&PID_1234\n",
         false},
        {"no INF", "not an INF\n", false},
        {"third text in any case", StoredInf("Disk=I,USB\\DISK&SPECIAL\n"), true, "special"},
        {"empty third text marks nothing", StoredInf("Disk=I,USB\\OTHER\n"), false, ""},
    };
    for (const Case& c : cases) {
        fake::Machine m;
        m.files.Put("C:\\WINDOWS\\INF\\OTHER\\disk.inf", c.inf, fake::kAttrReadOnly);
        m.files.Put("C:\\WINDOWS\\INF\\OTHER\\DISK.PNF", "pnf", fake::kAttrReadOnly);
        int count =
            RemoveStaleOemInfs(m.system, OsKind::kWin98, "C:\\WINDOWS", "abcd", "1234", c.extra);
        EXPECT_EQ(count, c.stale ? 1 : 0) << c.name;
        EXPECT_EQ(m.files.Exists("C:\\WINDOWS\\INF\\OTHER\\disk.inf"), !c.stale) << c.name;
        EXPECT_EQ(m.files.Exists("C:\\WINDOWS\\INF\\OTHER\\DISK.PNF"), !c.stale) << c.name;
        EXPECT_EQ(m.system.OpenInfCount(), 0u) << c.name;
    }
}

TEST(RemoveStaleOemInfs, SearchesTheStoreOfTheWindowsKind) {
    const std::string disk = StoredInf("Disk=I,USB\\VID_ABCD&PID_1234\n");
    struct Case {
        std::uint8_t kind;
        const char* goes;
        const char* stays;
    } cases[] = {
        {OsKind::kUnknown, "C:\\WINDOWS\\INF\\OTHER\\A.INF", "C:\\WINDOWS\\INF\\OEM1.INF"},
        {OsKind::kWinMe, "C:\\WINDOWS\\INF\\OTHER\\A.INF", "C:\\WINDOWS\\INF\\OEM1.INF"},
        {OsKind::kWin2000, "C:\\WINDOWS\\INF\\OEM1.INF", "C:\\WINDOWS\\INF\\OTHER\\A.INF"},
        {OsKind::kWinXP, "C:\\WINDOWS\\INF\\OEM1.INF", "C:\\WINDOWS\\INF\\OTHER\\A.INF"},
    };
    for (const Case& c : cases) {
        fake::Machine m;
        m.givenFile("C:\\WINDOWS\\INF\\OTHER\\A.INF", disk);
        m.givenFile("C:\\WINDOWS\\INF\\OEM1.INF", disk);
        m.givenFile("C:\\WINDOWS\\INF\\USB.INF", disk);  // the system's own: never looked at
        EXPECT_EQ(RemoveStaleOemInfs(m.system, c.kind, "C:\\WINDOWS", "ABCD", "1234", ""), 1);
        EXPECT_FALSE(m.files.Exists(c.goes)) << int(c.kind);
        EXPECT_TRUE(m.files.Exists(c.stays)) << int(c.kind);
        EXPECT_TRUE(m.files.Exists("C:\\WINDOWS\\INF\\USB.INF"));
    }
}

TEST(RemoveStaleOemInfs, TheCompanionIsTheNameInCapitalsWithPnf) {
    fake::Machine m;
    m.givenFile("C:\\WINDOWS\\INF\\oem12.inf", StoredInf("D=I,USB\\VID_ABCD&PID_1234\n"));
    m.givenFile("C:\\WINDOWS\\INF\\OEM12.PNF", "pnf");
    m.givenFile("C:\\WINDOWS\\INF\\OEM13.PNF", "other pnf");
    EXPECT_EQ(RemoveStaleOemInfs(m.system, OsKind::kWinXP, "C:\\WINDOWS", "ABCD", "1234", ""), 1);
    EXPECT_FALSE(m.files.Exists("C:\\WINDOWS\\INF\\OEM12.PNF"));
    EXPECT_TRUE(m.files.Exists("C:\\WINDOWS\\INF\\OEM13.PNF"));

    StorePath pnf;
    EXPECT_TRUE(CompanionPnfPath("c:\\w\\inf\\oem1.inf", &pnf));
    EXPECT_EQ(std::string(pnf.c_str()), "C:\\W\\INF\\OEM1.PNF");
    EXPECT_FALSE(CompanionPnfPath("C:\\W\\INF\\OEM1.INFO", &pnf));
}

TEST(RemoveStaleOemInfs, EmptyIdTextsMarkNothing) {
    fake::Machine m;
    m.givenFile("C:\\WINDOWS\\INF\\OTHER\\A.INF", StoredInf("D=I,USB\\VID_ABCD&PID_1234\n"));
    EXPECT_EQ(RemoveStaleOemInfs(m.system, OsKind::kWin98, "C:\\WINDOWS", "", "", ""), 0);
    EXPECT_EQ(RemoveStaleOemInfs(m.system, OsKind::kWin98, "C:\\WINDOWS", "ABCD", "", ""), 0);
    EXPECT_TRUE(m.files.Exists("C:\\WINDOWS\\INF\\OTHER\\A.INF"));
}

}  // namespace
