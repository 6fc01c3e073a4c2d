// The fake machine's own mechanics that the unit tests lean on: wildcard
// listing, fault injection and the virtual clock's message queue.
#include <gtest/gtest.h>

#include "platform/fake/machine.h"

namespace {

TEST(FakeFileSystem, WildcardsMatchLikeFindFirstFile) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.in?", "SETUP.IN_", true},
        {"*.in?", "disk.inf", true},
        {"*.in?", "x.ini", true},
        {"*.in?", "x.in", false},
        {"*.in?", "x.info", false},
        {"*.sy_", "DISK.SY_", true},
        {"*.sy_", "disk.sys", false},
        {"*.pdr", "a.b.pdr", true},
        {"OEM*.INF", "oem12.inf", true},
        {"OEM*.INF", "xoem1.inf", false},
        {"*", "", true},
        {"*.*", "README", true},
        {"DISK.*", "disk", true},
        {"DISK.*", "diskette", false},
        {"a*b*c", "axxbyyc", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fake::FileSystem::WildcardMatch(c.pattern, c.name), c.match)
            << c.pattern << " vs " << c.name;
    }
}

TEST(FakeFileSystem, ListsOneFolderInCreationOrderCaseInsensitively) {
    fake::FileSystem fs;
    fs.Put("C:\\Pkg\\b.inf", "");
    fs.Put("C:\\PKG\\A.IN_", "");
    fs.Put("C:\\PKG\\SUB\\C.INF", "");
    fs.Put("C:\\other\\d.inf", "");
    EXPECT_EQ(fs.List("c:\\pkg\\*.in?"), (std::vector<std::string>{"b.inf", "A.IN_"}));
    EXPECT_TRUE(fs.FolderExists("c:\\pkg\\sub"));
    EXPECT_TRUE(fs.List("C:\\none\\*.*").empty());
}

TEST(FakeFaults, FailOneCallOrEveryLaterCallOrEveryCallOfAnOperation) {
    fake::Machine m;
    m.givenFile("C:\\P\\a.inf", "");
    m.faults.FailCall(1);
    EXPECT_EQ(m.system.ListFiles("C:\\P\\*").size(), 1u);
    EXPECT_TRUE(m.system.ListFiles("C:\\P\\*").empty());
    EXPECT_EQ(m.system.ListFiles("C:\\P\\*").size(), 1u);

    m.faults.Clear();
    m.faults.FailCall(1, true);
    EXPECT_FALSE(m.system.GetCommandLine().empty());
    EXPECT_TRUE(m.system.GetCommandLine().empty());
    EXPECT_TRUE(m.system.ListFiles("C:\\P\\*").empty());
    EXPECT_EQ(m.faults.Injected(), 2u);

    m.faults.Clear();
    m.faults.FailAlways(fake::Op::GetVersion);
    WindowsVersion v;
    EXPECT_FALSE(m.system.GetVersion(&v));
    EXPECT_EQ(m.faults.Log(), (std::vector<fake::Op>{fake::Op::GetVersion}));
}

TEST(FakeWindows, PostedMessagesWaitForTheirTimeAndComeOneAtATime) {
    fake::Machine m;
    int handled = 0;
    m.windows.Post([&] { ++handled; });
    m.windows.Post([&] { handled += 10; }, 100);
    EXPECT_TRUE(m.windows.DispatchOneMessage());
    EXPECT_EQ(handled, 1);
    EXPECT_FALSE(m.windows.DispatchOneMessage()) << "not due before 100 ms";
    m.windows.Sleep(100);
    EXPECT_TRUE(m.windows.DispatchOneMessage());
    EXPECT_EQ(handled, 11);
    EXPECT_EQ(m.windows.NowMs(), 100u);
}

}  // namespace
