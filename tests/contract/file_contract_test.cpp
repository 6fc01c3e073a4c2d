// The file and registry operations of the INF store steps, on both backends.
#include <cstring>
#include <string>

#include "tests/contract/contract_fixture.h"

namespace {

constexpr std::uint32_t kReadOnly = 0x01;  // FILE_ATTRIBUTE_READONLY
constexpr char kVersionKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

class FileContract : public ContractTest {
  protected:
    std::string Content(const std::string& path) {
        FileHandle file = Sys().OpenFileExclusive(path.c_str());
        if (file == kNoFile) {
            return "<cannot open>";
        }
        std::uint32_t size = 0;
        std::string bytes;
        if (Sys().GetFileSize(file, &size)) {
            bytes.resize(size);
            std::uint32_t done = 0;
            Sys().ReadFile(file, &bytes[0], size, &done);
            bytes.resize(done);
        }
        Sys().CloseFile(file);
        return bytes;
    }

    bool Present(const std::string& path) {
        return Sys().GetFileState(path.c_str()) == FileState::Present;
    }
};

TEST_F(FileContract, CopyCreatesOrOverwritesButNotAReadOnlyFile) {
    std::string from = InScratch("from.sy_");
    std::string to = InScratch("to.syS");
    ASSERT_TRUE(Env().PutFile(from, "new"));
    ASSERT_TRUE(Env().PutFile(to, "old content"));
    EXPECT_TRUE(Sys().CopyFile(from.c_str(), to.c_str()));
    EXPECT_EQ(Content(to), "new");

    // Windows (and the fake) refuse to copy over a read-only file; Wine keeps
    // the mark in the Unix mode bits, which do not stop a copy made as root.
    // Cleared attributes let the copy through everywhere.
    ASSERT_TRUE(Sys().SetFileAttributes(to.c_str(), kReadOnly));
    EXPECT_TRUE(Sys().SetFileAttributes(to.c_str(), kFileAttributeNormal));
    EXPECT_TRUE(Sys().CopyFile(from.c_str(), to.c_str()));

    EXPECT_FALSE(Sys().CopyFile(InScratch("missing").c_str(), to.c_str()));
    EXPECT_FALSE(Sys().CopyFile(from.c_str(), InScratch("no\\such\\folder.x").c_str()));
}

TEST_F(FileContract, DeleteNeedsAWritableFile) {
    std::string path = InScratch("image.syS");
    ASSERT_TRUE(Env().PutFile(path, "x"));
    ASSERT_TRUE(Sys().SetFileAttributes(path.c_str(), kReadOnly));
    EXPECT_FALSE(Sys().DeleteFile(path.c_str()));
    EXPECT_TRUE(Present(path));
    EXPECT_TRUE(Sys().SetFileAttributes(path.c_str(), kFileAttributeNormal));
    EXPECT_TRUE(Sys().DeleteFile(path.c_str()));
    EXPECT_EQ(Sys().GetFileState(path.c_str()), FileState::Missing);
    EXPECT_FALSE(Sys().DeleteFile(path.c_str())) << "already gone";
    EXPECT_FALSE(Sys().SetFileAttributes(path.c_str(), kFileAttributeNormal));
    EXPECT_EQ(Sys().GetFileState(InScratch("no\\such\\file").c_str()), FileState::Missing);
}

TEST_F(FileContract, MoveNeverReplacesAFile) {
    std::string system = InScratch("USBSTOR.INF");
    std::string aside = InScratch("USBSTOR.I3S");
    ASSERT_TRUE(Env().PutFile(system, "system"));
    EXPECT_TRUE(Sys().MoveFile(system.c_str(), aside.c_str()));
    EXPECT_FALSE(Present(system));
    EXPECT_EQ(Content(aside), "system");
    EXPECT_FALSE(Sys().MoveFile(system.c_str(), aside.c_str())) << "nothing to move";

    ASSERT_TRUE(Env().PutFile(system, "recreated"));
    EXPECT_FALSE(Sys().MoveFile(aside.c_str(), system.c_str()));
    EXPECT_EQ(Content(system), "recreated");
    EXPECT_EQ(Content(aside), "system");
}

TEST_F(FileContract, CreateDirectoryFailsHarmlesslyWhenTheFolderExists) {
    std::string folder = InScratch("OTHER");
    EXPECT_TRUE(Sys().CreateDirectory(folder.c_str()));
    EXPECT_FALSE(Sys().CreateDirectory(folder.c_str()));
    EXPECT_TRUE(Env().PutFile(folder + "\\A.INF", "a"));
    EXPECT_FALSE(Sys().CreateDirectory(InScratch("no\\such").c_str())) << "no parent";
}

TEST_F(FileContract, ExclusiveOpenReadsSeeksWritesAndTruncates) {
    std::string path = InScratch("DISK.INF");
    EXPECT_EQ(Sys().OpenFileExclusive(path.c_str()), kNoFile) << "never creates a file";
    ASSERT_TRUE(Env().PutFile(path, "[Go]\r\nCopyFiles=A\r\n"));
    FileHandle file = Sys().OpenFileExclusive(path.c_str());
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Sys().OpenFileExclusive(path.c_str()), kNoFile) << "shared with no one";
    std::uint32_t size = 0;
    ASSERT_TRUE(Sys().GetFileSize(file, &size));
    EXPECT_EQ(size, 19u);
    char head[4] = {};
    std::uint32_t done = 0;
    EXPECT_TRUE(Sys().ReadFile(file, head, 4, &done));
    EXPECT_EQ(std::string(head, done), "[Go]");
    const char tail[] = ";CopyFiles=A\r\n";
    EXPECT_TRUE(Sys().SeekFile(file, 6));
    EXPECT_TRUE(Sys().WriteFile(file, tail, sizeof tail - 1, &done));
    EXPECT_EQ(done, sizeof tail - 1);
    Sys().CloseFile(file);
    EXPECT_EQ(Content(path), "[Go]\r\n;CopyFiles=A\r\n");

    file = Sys().OpenFileExclusive(path.c_str());
    ASSERT_NE(file, kNoFile);
    EXPECT_TRUE(Sys().SeekFile(file, 4));
    EXPECT_TRUE(Sys().TruncateFile(file));
    Sys().CloseFile(file);
    EXPECT_EQ(Content(path), "[Go]");
}

TEST_F(FileContract, AFileOpenElsewhereCannotBeOpenedOrDeleted) {
    std::string path = InScratch("HELD.INF");
    ASSERT_TRUE(Env().PutFile(path, "held"));
    ASSERT_TRUE(Env().HoldOpenElsewhere(path));
    EXPECT_EQ(Sys().OpenFileExclusive(path.c_str()), kNoFile);
    EXPECT_FALSE(Sys().DeleteFile(path.c_str()));
    EXPECT_TRUE(Present(path));
}

TEST_F(FileContract, RegistryTextIsCreatedOrReplaced) {
    EXPECT_EQ(Sys().SetMachineRegistryText(kVersionKey, "ContractTestValue", "C:\\A\\INF\\OTHER"),
              0);
    EXPECT_EQ(Sys().SetMachineRegistryText(kVersionKey, "ContractTestValue", "C:\\B"), 0);
    EXPECT_EQ(Env().MachineRegistryText(kVersionKey, "ContractTestValue"), "C:\\B");
    EXPECT_NE(Sys().SetMachineRegistryText("Software\\NoSuchKeyOfOurs\\Sub", "V", "x"), 0)
        << "the key is never created";
}

}  // namespace
