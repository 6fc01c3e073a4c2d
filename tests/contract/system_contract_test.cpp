// Files, folder listings and INF reading, as the install and removal steps
// use them.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/inf_file.h"
#include "tests/contract/tree_env.h"

namespace {

class SystemContract : public ContractTest {
  protected:
    // The file's bytes, "<missing>", or "<unreadable>".
    std::string Content(const std::string& name) {
        std::string path = At(name);
        FileHandle file = Sys().OpenFileExclusive(path.c_str());
        char bytes[32];
        std::uint32_t done = 0;
        bool read = Sys().ReadFile(file, bytes, sizeof bytes, &done);
        Sys().CloseFile(file);
        if (Sys().GetFileState(path.c_str()) == FileState::Missing) {
            return "<missing>";
        }
        return file != kNoFile && read ? std::string(bytes, done) : "<unreadable>";
    }

    bool Do(const std::string& step, const char* name, const char* other) {
        const std::string from = At(name);
        const std::string to = At(other != nullptr ? other : "");
        const char* a = from.c_str();
        if (step == "delete-held") {
            FileHandle held = Sys().OpenFileExclusive(a);
            bool deleted = held == kNoFile || Sys().DeleteFile(a);
            Sys().CloseFile(held);
            return deleted;
        }
        return step == "copy"        ? Sys().CopyFile(a, to.c_str())
               : step == "move"      ? Sys().MoveFile(a, to.c_str())
               : step == "delete"    ? Sys().DeleteFile(a)
               : step == "folder"    ? Sys().CreateDirectory(a)
               : step == "read-only" ? Sys().SetFileAttributes(a, 0x01)
                                     : Sys().SetFileAttributes(a, kFileAttributeNormal);
    }
};

TEST_F(SystemContract, FileStepsSucceedAndFailAsOnWindows) {
    ASSERT_TRUE(Env().PutFile(At("OLD.SYS"), "old") && Env().PutFile(At("NEW.SY_"), "new"));
    const struct {
        const char* step;
        const char* name;
        const char* other;
        bool ok;
        const char* then;     // a file after the step
        const char* content;  // and what it holds
    } steps[] = {
        {"copy", "NEW.SY_", "OLD.SYS", true, "OLD.SYS", "new"},
        {"copy", "NONE.SY_", "OLD.SYS", false, "OLD.SYS", "new"},
        {"copy", "NEW.SY_", "NONE\\A.SYS", false, "NONE\\A.SYS", "<missing>"},
        {"folder", "OTHER", nullptr, true, nullptr, nullptr},
        {"folder", "OTHER", nullptr, false, nullptr, nullptr},
        {"copy", "NEW.SY_", "OTHER\\A.SYS", true, "OTHER\\A.SYS", "new"},
        {"move", "OTHER\\A.SYS", "A.3S", true, "OTHER\\A.SYS", "<missing>"},
        {"move", "A.3S", "OLD.SYS", false, "A.3S", "new"},
        {"move", "NONE.SYS", "B.3S", false, "B.3S", "<missing>"},
        {"read-only", "A.3S", nullptr, true, nullptr, nullptr},
        {"delete", "A.3S", nullptr, false, nullptr, nullptr},
        {"writable", "A.3S", nullptr, true, "A.3S", "new"},
        {"delete", "A.3S", nullptr, true, "A.3S", "<missing>"},
        {"delete", "NONE\\A.SYS", nullptr, false, "NONE\\A.SYS", "<missing>"},
        {"delete-held", "OLD.SYS", nullptr, false, "OLD.SYS", "new"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.step) + " " + step.name);
        EXPECT_EQ(Do(step.step, step.name, step.other), step.ok);
        std::string content = step.then != nullptr ? Content(step.then) : "";
        EXPECT_EQ(content, step.content != nullptr ? step.content : "");
    }
}

TEST_F(SystemContract, AnExclusiveOpenRewritesAnExistingFileInPlace) {
    EXPECT_EQ(Sys().OpenFileExclusive(At("DISK.INF").c_str()), kNoFile) << "never creates";
    ASSERT_TRUE(Env().PutFile(At("DISK.INF"), "[Go]\r\nCopyFiles=A\r\n"));
    FileHandle file = Sys().OpenFileExclusive(At("DISK.INF").c_str());
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Sys().OpenFileExclusive(At("DISK.INF").c_str()), kNoFile) << "shared with no one";
    std::uint32_t size = 0;
    char bytes[32] = {};
    std::uint32_t done = 0;
    EXPECT_TRUE(Sys().GetFileSize(file, &size) && Sys().ReadFile(file, bytes, 19, &done));
    EXPECT_EQ(std::string(bytes, done), "[Go]\r\nCopyFiles=A\r\n");
    EXPECT_EQ(size, 19u);
    EXPECT_TRUE(Sys().SeekFile(file, 6) && Sys().WriteFile(file, ";Co", 3, &done));
    EXPECT_TRUE(Sys().SeekFile(file, 8) && Sys().TruncateFile(file));
    Sys().CloseFile(file);
    EXPECT_EQ(Content("DISK.INF"), "[Go]\r\n;C");
}

TEST_F(SystemContract, AListingNamesTheMatchingFilesOfOneFolder) {
    for (const char* name : {"b.inf", "G.INF", "c.ini", "d.sy_"}) {
        ASSERT_TRUE(Env().PutFile(At(name), "x"));
    }
    ASSERT_TRUE(Sys().CreateDirectory(At("dir.inf").c_str()));
    ASSERT_TRUE(Env().PutFile(At("dir.inf\\x.inf"), "x"));
    for (const char* pattern : {"*.in?", "nowhere\\*.in?"}) {
        std::vector<std::string> names = Sys().ListFiles(At(pattern).c_str());
        std::sort(names.begin(), names.end());  // the file system's order
        EXPECT_EQ(names, (pattern[0] == '*' ? std::vector<std::string>{"G.INF", "b.inf", "c.ini"}
                                            : std::vector<std::string>{}));
    }
}

const char kInf[] =
    "[Version]\r\nSignature=\"$CHICAGO$\"\r\n"
    "[Setup]\r\nFDDInf=floppy.inf\r\nWin98Only=0\r\nWord=abc\r\n"
    "[Models]\r\n%Disk%=Install, USB\\VID_F00D&PID_C001\r\nOther=Two, USB\\VID_F00D&PID_C002\r\n"
    "[Empty]\r\n"
    "[Strings]\r\nDisk=\"Example Disk\"\r\n";

TEST_F(SystemContract, AnInfGivesItsLinesAndFields) {
    for (const char* bytes : {"[Setup]\r\nFDDInf=a\r\n", "[Version]\r\nSignature=$Fancy$\r\n"}) {
        ASSERT_TRUE(Env().PutFile(At("not.inf"), bytes));
        EXPECT_EQ(Sys().OpenInf(At("not.inf").c_str()), kNoInf) << bytes;
    }
    EXPECT_EQ(Sys().OpenInf(At("none.inf").c_str()), kNoInf);
    ASSERT_TRUE(Env().PutFile(At("disk.inf"), kInf));
    ASSERT_TRUE(
        Env().PutFile(At("b.inf"), "[Version]\r\nSignature=$Windows NT$\r\n[Models]\r\nb\r\n"));
    InfFile inf(Sys(), At("disk.inf").c_str());
    InfFile other(Sys(), At("b.inf").c_str());
    ASSERT_TRUE(inf.IsOpen() && other.IsOpen());
    InfLine line;
    const struct {
        const char* section;
        const char* key;
        unsigned field;
        std::size_t capacity;
        const char* text;  // nullptr: no such line; "<none>": the field fails
    } rows[] = {
        {"Setup", nullptr, 0, 7, "FDDInf"},
        {"Setup", "FDDInf", 1, 10, "<none>"},
        {"setup", "win98only", 1, 2, "0"},
        {"Models", nullptr, 0, 64, "Example Disk"},
        {"Models", nullptr, 2, 64, "USB\\VID_F00D&PID_C001"},
        {"Models", nullptr, 3, 64, "<none>"},
        {"Setup", "Nothing", 0, 64, nullptr},
        {"Empty", nullptr, 0, 64, nullptr},
        {"Nowhere", nullptr, 0, 64, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + (row.key ? row.key : "") + "/" +
                     std::to_string(row.field) + "/" + std::to_string(row.capacity));
        ASSERT_EQ(inf.FindLine(row.section, row.key, &line), row.text != nullptr);
        char text[64];
        if (row.text != nullptr) {
            bool read = Sys().GetStringField(line, row.field, TextBuffer{text, row.capacity});
            EXPECT_EQ(read ? std::string(text) : "<none>", row.text);
        }
    }
    int value = 7;
    EXPECT_TRUE(inf.FindLine("Setup", "Word", &line) && !Sys().GetIntField(line, 1, &value));
    EXPECT_TRUE(inf.FindLine("Setup", "Win98Only", &line) && Sys().GetIntField(line, 1, &value));
    EXPECT_EQ(value, 0);

    int lines = inf.FindLine("Models", nullptr, &line) ? 1 : 0;
    while (lines < 9 && Sys().FindNextLine(&line)) {
        ++lines;
    }
    EXPECT_EQ(lines, 2);
    ASSERT_TRUE(other.FindLine("Models", nullptr, &line));
    EXPECT_FALSE(Sys().FindNextLine(&line)) << "the line is the other file's";
}

}  // namespace
