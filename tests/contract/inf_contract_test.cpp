// OpenInf, FindFirstLine, FindNextLine, GetStringField, GetIntField on Windows 4
// style INF files.
#include <cstring>
#include <string>
#include <vector>

#include "platform/inf_file.h"
#include "tests/contract/contract_fixture.h"

namespace {

const char kInf[] =
    "; driver package\r\n"
    "[Version]\r\n"
    "Signature=\"$CHICAGO$\"\r\n"
    "Class=DiskDrive\r\n"
    "Provider=%Maker%\r\n"
    "\r\n"
    "[SourceDisksFiles]\r\n"
    "disk.sys\r\n"
    "disk.inf\r\n"
    "two,fields\r\n"
    "\r\n"
    "[Models]\r\n"
    "%DiskName%=Install, USB\\VID_0000&PID_0000\r\n"
    "MixedCase = one, two , \"three, quoted\"\r\n"
    "Count = 42\r\n"
    "\r\n"
    "[Empty]\r\n"
    "\r\n"
    "[NoKey]\r\n"
    "two,fields\r\n"
    "\r\n"
    "[Numbers]\r\n"
    "Decimal = 123\r\n"
    "Hex = 0x1F\r\n"
    "Negative = -7\r\n"
    "Word = abc\r\n"
    "Trailing = 12abc\r\n"
    "Blank =\r\n"
    "7 = seven\r\n"
    "\r\n"
    "[Texts]\r\n"
    "Percent = 100%%\r\n"
    "Quoted = \"%Maker%\"\r\n"
    "\r\n"
    "[Split]\r\n"
    "first = 1\r\n"
    "[Between]\r\n"
    "other = 1\r\n"
    "[SPLIT]\r\n"
    "second = 2\r\n"
    "\r\n"
    "[Strings]\r\n"
    "Maker = \"Example Maker\"\r\n"
    "DiskName = \"Example Disk\"\r\n";

class InfContract : public ContractTest {
  protected:
    void SetUp() override {
        ContractTest::SetUp();
        path_ = InScratch("disk.inf");
        ASSERT_TRUE(Env().PutFile(path_, kInf));
        inf_ = Sys().OpenInf(path_.c_str());
        ASSERT_NE(inf_, kNoInf);
    }
    void TearDown() override {
        Sys().CloseInf(inf_);
        ContractTest::TearDown();
    }

    bool Find(const char* section, const char* key, InfLine* line) {
        return Sys().FindFirstLine(inf_, section, key, line);
    }

    // The field's text, or "<none>" when the call fails.
    std::string Field(const InfLine& line, unsigned field) {
        char text[256];
        if (!Sys().GetStringField(line, field, TextBuffer{text, sizeof text})) {
            return "<none>";
        }
        return text;
    }

    std::string path_;
    InfHandle inf_ = kNoInf;
};

TEST_F(InfContract, OpensOnlyWindows4StyleFiles) {
    struct Row {
        const char* name;
        bool exists;
        std::string bytes;
    };
    const Row rows[] = {
        {"missing file", false, ""},
        {"empty file", true, ""},
        {"text without sections", true, "just some words\r\n"},
        {"no [Version] section", true, "[Files]\r\ndisk.sys\r\n"},
        {"[Version] without signature", true, "[Version]\r\nClass=DiskDrive\r\n"},
        {"unknown signature", true, "[Version]\r\nSignature=\"$Fancy$\"\r\n"},
        {"binary bytes", true, std::string("MZ\x90\0\x03\0\0\0\x04\0\0\0\xff\xff", 14)},
    };
    int serial = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string path = InScratch("open" + std::to_string(++serial) + ".inf");
        if (row.exists) {
            ASSERT_TRUE(Env().PutFile(path, row.bytes));
        }
        InfFile inf(Sys(), path.c_str());
        EXPECT_FALSE(inf.IsOpen());
    }
    InfFile folder(Sys(), Env().Scratch().c_str());
    EXPECT_FALSE(folder.IsOpen());
}

TEST_F(InfContract, AcceptsEachWindows4Signature) {
    const char* const signatures[] = {"\"$CHICAGO$\"", "\"$Windows NT$\"", "$Windows 95$",
                                      "$chicago$"};
    for (const char* signature : signatures) {
        SCOPED_TRACE(signature);
        std::string path = InScratch("other.inf");
        ASSERT_TRUE(Env().PutFile(
            path, std::string("[version]\r\nsignature=") + signature + "\r\n[A]\r\nb=c\r\n"));
        InfFile inf(Sys(), path.c_str());
        ASSERT_TRUE(inf.IsOpen());
        InfLine line;
        EXPECT_TRUE(inf.FindLine("a", "B", &line));
    }
}

TEST_F(InfContract, FindsLinesBySectionAndKey) {
    struct Row {
        const char* name;
        const char* section;
        const char* key;
        const char* field1;  // null: no line found
    };
    const Row rows[] = {
        {"first line of a section", "SourceDisksFiles", nullptr, "disk.sys"},
        {"section name in other case", "MODELS", nullptr, "Install"},
        {"key as spelled", "Models", "MixedCase", "one"},
        {"key in other case", "Models", "mIXEDcASE", "one"},
        {"key after %string% substitution", "Models", "Example Disk", "Install"},
        {"key as written before substitution", "Models", "%DiskName%", nullptr},
        {"missing key", "Models", "Nothing", nullptr},
        {"missing section", "Nowhere", nullptr, nullptr},
        {"section without lines", "Empty", nullptr, nullptr},
        {"key in a section without lines", "Empty", "Count", nullptr},
        {"a lone value is its own key", "SourceDisksFiles", "disk.inf", "disk.inf"},
        {"a line of several values has no key", "SourceDisksFiles", "two", nullptr},
        {"a section spelled twice is one section", "Split", "second", "2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InfLine line;
        bool found = Find(row.section, row.key, &line);
        EXPECT_EQ(found, row.field1 != nullptr);
        if (found && row.field1 != nullptr) {
            EXPECT_EQ(Field(line, 1), row.field1);
        }
    }
}

TEST_F(InfContract, NextLineWalksOneSectionToItsEnd) {
    struct Row {
        const char* name;
        const char* section;
        const char* key;
        std::vector<std::string> field1s;  // of the found line and each next one
    };
    const Row rows[] = {
        {"whole section", "SourceDisksFiles", nullptr, {"disk.sys", "disk.inf", "two"}},
        {"from a key on", "Models", "MixedCase", {"one", "42"}},
        {"a section spelled twice", "Split", nullptr, {"1", "2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InfLine line;
        ASSERT_TRUE(Find(row.section, row.key, &line));
        std::vector<std::string> walked{Field(line, 1)};
        while (Sys().FindNextLine(&line) && walked.size() < 10) {
            walked.push_back(Field(line, 1));
        }
        EXPECT_EQ(walked, row.field1s);
    }
}

TEST_F(InfContract, ReadsStringFields) {
    struct Row {
        const char* name;
        const char* section;
        const char* key;
        unsigned field;
        const char* text;  // "<none>": the call fails
    };
    const Row rows[] = {
        {"field 0 is the key", "Models", "MixedCase", 0, "MixedCase"},
        {"spaces around a field go", "Models", "MixedCase", 2, "two"},
        {"quotes go, the comma inside stays", "Models", "MixedCase", 3, "three, quoted"},
        {"field past the end", "Models", "MixedCase", 4, "<none>"},
        {"%string% in a value", "Version", "Provider", 1, "Example Maker"},
        {"%string% in quotes", "Texts", "Quoted", 1, "Example Maker"},
        {"%string% in the key", "Models", "Example Disk", 0, "Example Disk"},
        {"%% is a percent sign", "Texts", "Percent", 1, "100%"},
        {"a lone value is its key and field 1", "SourceDisksFiles", "disk.inf", 0, "disk.inf"},
        {"an empty value is an empty field", "Numbers", "Blank", 1, ""},
        {"nothing after an empty value", "Numbers", "Blank", 2, "<none>"},
        {"no field 0 without a key", "NoKey", nullptr, 0, "<none>"},
        {"field 2 without a key", "NoKey", nullptr, 2, "fields"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InfLine line;
        ASSERT_TRUE(Find(row.section, row.key, &line));
        EXPECT_EQ(Field(line, row.field), row.text);
    }
}

// Wine's call writes nothing when the field does not fit, so there this guards
// only the fake; what a real SETUPAPI leaves behind is not ours to rely on.
TEST_F(InfContract, FieldThatDoesNotFitFailsAndLeavesTheBufferAlone) {
    InfLine line;
    ASSERT_TRUE(Find("Models", "MixedCase", &line));
    const std::string field = "MixedCase";  // field 0
    for (std::size_t capacity : {std::size_t{1}, field.size() - 1, field.size()}) {
        SCOPED_TRACE(capacity);
        char buffer[32];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_FALSE(Sys().GetStringField(line, 0, TextBuffer{buffer, capacity}));
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#'));
    }
    char exact[10];
    ASSERT_TRUE(Sys().GetStringField(line, 0, TextBuffer{exact, field.size() + 1}));
    EXPECT_EQ(std::string(exact), field);
}

TEST_F(InfContract, ReadsIntegerFields) {
    struct Row {
        const char* name;
        const char* key;
        unsigned field;
        bool ok;
        int value;
    };
    const Row rows[] = {
        {"decimal", "Decimal", 1, true, 123},
        {"hexadecimal", "Hex", 1, true, 31},
        {"negative", "Negative", 1, true, -7},
        {"a word", "Word", 1, false, 0},
        {"digits then a word", "Trailing", 1, false, 0},
        // Empty counts as an omitted optional number (so on Windows as well).
        {"empty field reads as 0", "Blank", 1, true, 0},
        {"field past the end", "Decimal", 2, false, 0},
        {"a numeric key", "7", 0, true, 7},
        {"a key that is a word", "Decimal", 0, false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        InfLine line;
        ASSERT_TRUE(Find("Numbers", row.key, &line));
        int value = 12345;
        EXPECT_EQ(Sys().GetIntField(line, row.field, &value), row.ok);
        EXPECT_EQ(value, row.ok ? row.value : 12345);
    }
}

TEST_F(InfContract, LinesOfOneFileStayApartFromAnother) {
    std::string otherPath = InScratch("second.inf");
    ASSERT_TRUE(
        Env().PutFile(otherPath, "[Version]\r\nSignature=$CHICAGO$\r\n[Models]\r\nx=y\r\n"));
    InfFile other(Sys(), otherPath.c_str());
    ASSERT_TRUE(other.IsOpen());
    InfLine mine;
    InfLine theirs;
    ASSERT_TRUE(Find("Models", nullptr, &mine));
    ASSERT_TRUE(other.FindLine("Models", nullptr, &theirs));
    EXPECT_EQ(Field(mine, 0), "Example Disk");
    EXPECT_EQ(Field(theirs, 0), "x");
    EXPECT_FALSE(Sys().FindNextLine(&theirs));
    EXPECT_TRUE(Sys().FindNextLine(&mine));
}

}  // namespace
