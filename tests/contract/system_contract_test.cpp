// Files, folder listings and INF reading, as the install and removal steps
// use them.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/inf_file.h"
#include "tests/contract/tree_env.h"

namespace {

constexpr std::uint32_t kReadOnly = 0x01;  // FILE_ATTRIBUTE_READONLY

class SystemContract : public ContractTest {
  protected:
    std::string Content(const std::string& path) {
        if (Sys().GetFileState(path.c_str()) == FileState::Missing) {
            return "<missing>";
        }
        Sys().SetFileAttributes(path.c_str(), kFileAttributeNormal);
        FileHandle file = Sys().OpenFileExclusive(path.c_str());
        char bytes[64] = {};
        std::uint32_t done = 0;
        Sys().ReadFile(file, bytes, sizeof bytes, &done);
        Sys().CloseFile(file);
        return file == kNoFile ? "<cannot open>" : std::string(bytes, done);
    }
    bool Copy(const char* from, const char* to) {
        return Sys().CopyFile(At(from).c_str(), At(to).c_str());
    }
    bool Move(const char* from, const char* to) {
        return Sys().MoveFile(At(from).c_str(), At(to).c_str());
    }
    bool Delete(const char* name) { return Sys().DeleteFile(At(name).c_str()); }
};

TEST_F(SystemContract, FileOperationsSucceedAndFailAsOnWindows) {
    struct Row {
        const char* name;
        std::function<bool()> call;
        bool ok;
        const char* path;
        const char* content;
    };
    const std::vector<Row> rows = {
        {"copy over a file", [this] { return Copy("NEW.SY_", "OLD.SYS"); }, true, "OLD.SYS", "new"},
        {"copy of a missing file", [this] { return Copy("NO.SY_", "OLD.SYS"); }, false, "OLD.SYS",
         "old"},
        {"copy into a missing folder", [this] { return Copy("NEW.SY_", "NO\\NEW.SYS"); }, false,
         "NO\\NEW.SYS", "<missing>"},
        {"copy into a new folder",
         [this] {
             return Sys().CreateDirectory(At("OTHER").c_str()) &&
                    !Sys().CreateDirectory(At("OTHER").c_str()) &&
                    Copy("NEW.SY_", "OTHER\\NEW.SYS");
         },
         true, "OTHER\\NEW.SYS", "new"},
        {"delete a read-only file", [this] { return Delete("RO.SYS"); }, false, "RO.SYS", "ro"},
        {"delete a read-only file once its marks are cleared",
         [this] {
             return Sys().SetFileAttributes(At("RO.SYS").c_str(), kFileAttributeNormal) &&
                    Delete("RO.SYS");
         },
         true, "RO.SYS", "<missing>"},
        {"delete a file held open",
         [this] {
             FileHandle held = Sys().OpenFileExclusive(At("OLD.SYS").c_str());
             bool deleted = Delete("OLD.SYS");
             Sys().CloseFile(held);
             return held == kNoFile || deleted;
         },
         false, "OLD.SYS", "old"},
        {"delete a file in a missing folder", [this] { return Delete("NO\\A"); }, false, "NO\\A",
         "<missing>"},
        {"move to a free name",
         [this] {
             return Move("OLD.SYS", "OLD.3S") &&
                    Sys().GetFileState(At("OLD.SYS").c_str()) == FileState::Missing;
         },
         true, "OLD.3S", "old"},
        {"move over a file", [this] { return Move("NEW.SY_", "OLD.SYS"); }, false, "OLD.SYS",
         "old"},
        {"move of a missing file", [this] { return Move("NO.SYS", "NO.3S"); }, false, "NO.3S",
         "<missing>"},
        {"exclusive open of a missing file",
         [this] { return Sys().OpenFileExclusive(At("NO.INF").c_str()) != kNoFile; }, false,
         "NO.INF", "<missing>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        env_ = MakeTreeEnv();
        ASSERT_TRUE(Env().PutFile(At("OLD.SYS"), "old") && Env().PutFile(At("NEW.SY_"), "new") &&
                    Env().PutFile(At("RO.SYS"), "ro"));
        ASSERT_TRUE(Sys().SetFileAttributes(At("RO.SYS").c_str(), kReadOnly));
        EXPECT_EQ(row.call(), row.ok);
        EXPECT_EQ(Content(At(row.path)), row.content);
    }
}

TEST_F(SystemContract, AnExclusiveOpenReadsAndRewritesInPlace) {
    const std::string path = At("DISK.INF");
    ASSERT_TRUE(Env().PutFile(path, "[Go]\r\nCopyFiles=A\r\n"));
    FileHandle file = Sys().OpenFileExclusive(path.c_str());
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Sys().OpenFileExclusive(path.c_str()), kNoFile) << "shared with no one";
    std::uint32_t size = 0;
    char bytes[32] = {};
    std::uint32_t done = 0;
    EXPECT_TRUE(Sys().GetFileSize(file, &size) && Sys().ReadFile(file, bytes, 19, &done));
    EXPECT_EQ(std::string(bytes, done), "[Go]\r\nCopyFiles=A\r\n");
    EXPECT_EQ(size, 19u);
    EXPECT_TRUE(Sys().SeekFile(file, 6) && Sys().WriteFile(file, ";Co", 3, &done));
    EXPECT_TRUE(Sys().SeekFile(file, 8) && Sys().TruncateFile(file));
    Sys().CloseFile(file);
    EXPECT_EQ(Content(path), "[Go]\r\n;C");
}

TEST_F(SystemContract, ListingNamesTheMatchingFilesOfOneFolder) {
    for (const char* name : {"b.inf", "G.INF", "c.ini", "d.sy_"}) {
        ASSERT_TRUE(Env().PutFile(At(name), "x"));
    }
    ASSERT_TRUE(Sys().CreateDirectory(At("dir.inf").c_str()));
    ASSERT_TRUE(Env().PutFile(At("dir.inf\\x.inf"), "x"));
    const struct {
        const char* pattern;
        std::vector<std::string> names;  // sorted: the order is the file system's
    } rows[] = {
        {"*.in?", {"G.INF", "b.inf", "c.ini"}},
        {"*.pdr", {}},
        {"nowhere\\*.in?", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pattern);
        std::vector<std::string> names = Sys().ListFiles(At(row.pattern).c_str());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, row.names);
    }
}

const char kInf[] =
    "[Version]\r\nSignature=\"$CHICAGO$\"\r\n"
    "[Setup]\r\nFDDInf=floppy.inf\r\nWin98Only=0\r\nWord=abc\r\n"
    "[Models]\r\n%Disk%=Install, USB\\VID_F00D&PID_C001\r\nOther=Two, USB\\VID_F00D&PID_C002\r\n"
    "[Empty]\r\n"
    "[Strings]\r\nDisk=\"Example Disk\"\r\n";

TEST_F(SystemContract, AnInfGivesItsLinesAndFields) {
    for (const char* bytes :
         {"", "[Setup]\r\nFDDInf=a\r\n", "[Version]\r\nSignature=$Fancy$\r\n"}) {
        if (bytes[0] != '\0') {
            ASSERT_TRUE(Env().PutFile(At("not.inf"), bytes));
        }
        EXPECT_EQ(Sys().OpenInf(At("not.inf").c_str()), kNoInf) << bytes;
    }
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

    std::vector<std::string> walked;
    bool more = inf.FindLine("Models", nullptr, &line);
    for (char text[64]; more && walked.size() < 9; more = Sys().FindNextLine(&line)) {
        walked.push_back(Sys().GetStringField(line, 1, TextBuffer{text, 64}) ? text : "?");
    }
    EXPECT_EQ(walked, (std::vector<std::string>{"Install", "Two"}));
    ASSERT_TRUE(other.FindLine("Models", nullptr, &line));
    EXPECT_FALSE(Sys().FindNextLine(&line)) << "the line is the other file's";
}

}  // namespace
