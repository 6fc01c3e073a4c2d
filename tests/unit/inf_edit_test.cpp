#include "store/inf_edit.h"

#include <gtest/gtest.h>

#include "platform/fake/machine.h"

namespace {

constexpr char kInf[] = "C:\\WINDOWS\\INF\\OTHER\\DISK.INF";

// Text with NUL bytes in it.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

TEST(DisableInfCopyFiles, CommentsOutTheFirstEntryBehindTheHeader) {
    struct Case {
        const char* name;
        const char* section;
        std::string before;
        std::string after;  // empty: the file stays as it was
    } cases[] = {
        {"entry of the section", "DiskInstall", "[DiskInstall]\r\ncopyfiles = Files.Copy\r\n",
         "[DiskInstall]\r\n;copyfiles = Files.Copy\r\n"},
        {"header in another case", "DISKINSTALL", "[DiskInstall]\nCopyFiles=A\n",
         "[DiskInstall]\n;CopyFiles=A\n"},
        {"indented entry keeps its blanks", "Go", "[Go]\n   CopyFiles=A\n",
         "[Go]\n   ;CopyFiles=A\n"},
        {"a later section's entry", "Go", "[Go]\nAddReg=R\n[Next]\nCopyFiles=B\n",
         "[Go]\nAddReg=R\n[Next]\n;CopyFiles=B\n"},
        {"entry before the header is not taken", "Go", "[X]\nCopyFiles=A\n[Go]\nCopyFiles=B\n",
         "[X]\nCopyFiles=A\n[Go]\n;CopyFiles=B\n"},
        {"no header", "Go", "[Other]\nCopyFiles=A\n", ""},
        {"no entry behind the header", "Go", "CopyFiles=A\n[Go]\nAddReg=R\n", ""},
        {"header behind a NUL", "Go", Bytes("x\0y\n[Go]\nCopyFiles=A\n"), ""},
        {"entry is the last byte run", "Go", "[Go]COPYFILES", "[Go];COPYFILES"},
    };
    for (const Case& c : cases) {
        fake::Machine m;
        m.givenFile(kInf, c.before);
        bool changed = DisableInfCopyFiles(m.system, kInf, c.section);
        EXPECT_EQ(changed, !c.after.empty()) << c.name;
        EXPECT_EQ(m.files.Read(kInf), c.after.empty() ? c.before : c.after) << c.name;
        if (changed) {
            EXPECT_EQ(m.files.Read(kInf).size(), c.before.size() + 1) << c.name;
        }
        EXPECT_EQ(m.system.OpenFileCount(), 0u) << c.name;
    }
}

TEST(DisableInfCopyFiles, LeavesFilesItCannotUseAlone) {
    fake::Machine m;
    EXPECT_FALSE(DisableInfCopyFiles(m.system, kInf, "Go")) << "missing";
    m.givenFile(kInf, "");
    EXPECT_FALSE(DisableInfCopyFiles(m.system, kInf, "Go")) << "empty";
    m.givenFile(kInf, "[Go]\nCopyFiles=A\n");
    m.files.Find(kInf)->openElsewhere = true;
    EXPECT_FALSE(DisableInfCopyFiles(m.system, kInf, "Go")) << "open elsewhere";
    EXPECT_EQ(m.files.Read(kInf), "[Go]\nCopyFiles=A\n");
}

// A fault at any step of the edit leaves the file byte for byte as it was;
// with every later call failing too, it is still never half-written.
TEST(DisableInfCopyFiles, AFaultAtAnyStepLeavesTheFileWhole) {
    const std::string before = "[Version]\r\nSignature=$Chicago$\r\n[Go]\r\nCopyFiles=A\r\n";
    const std::string after = "[Version]\r\nSignature=$Chicago$\r\n[Go]\r\n;CopyFiles=A\r\n";
    fake::Machine clean;
    clean.givenFile(kInf, before);
    ASSERT_TRUE(DisableInfCopyFiles(clean.system, kInf, "Go"));
    std::size_t calls = clean.faults.Log().size();
    for (bool andLater : {false, true}) {
        for (std::size_t call = 0; call < calls; ++call) {
            fake::Machine m;
            m.givenFile(kInf, before);
            m.faults.FailCall(call, andLater);
            bool changed = DisableInfCopyFiles(m.system, kInf, "Go");
            std::string now = m.files.Read(kInf);
            EXPECT_EQ(now, changed ? after : before)
                << "fault at call " << call << " (" << fake::OpName(clean.faults.Log()[call]) << ")"
                << (andLater ? " and later" : "");
            EXPECT_EQ(m.system.OpenFileCount(), 0u);
        }
    }
}

TEST(DisableInfCopyFiles, AFullDiskLeavesTheFileAsItWas) {
    const std::string before = "[Go]\r\nCopyFiles=A\r\n";
    fake::Machine m;
    m.givenFile(kInf, before);
    m.system.diskFreeBytes = 0;  // the edit needs one byte more
    EXPECT_FALSE(DisableInfCopyFiles(m.system, kInf, "Go"));
    EXPECT_EQ(m.files.Read(kInf), before);
}

}  // namespace
