// Reader cases the vectors leave out. Rows marked "Wine" were checked against SETUPAPI under
// Wine with the probe; the others are where we follow Windows or choose for the fake machine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/fake/inf_reader.h"

namespace {

using namespace std::string_literals;
using fake::DirIdTable;
using fake::InfDocument;
using fake::InfOpenError;

const char kHead[] = "[Version]\r\nSignature=\"$Chicago$\"\r\n";

std::string Ansi(const std::string& body) {
    return kHead + body;
}

std::string Utf8(const std::string& body) {
    return "\xEF\xBB\xBF" + Ansi(body);
}

std::string Utf16(const std::u16string& body, bool bom = true, bool bigEndian = false) {
    std::u16string text = bom ? u"\uFEFF" : u"";
    for (char c : std::string(kHead)) {
        text.push_back(static_cast<char16_t>(c));
    }
    text += body;
    std::string bytes;
    for (char16_t c : text) {
        char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

std::unique_ptr<InfDocument> Open(const std::string& bytes, InfOpenError* error = nullptr,
                                  const std::string& folder = "C:\\PKG") {
    return InfDocument::Open(bytes, DirIdTable::Windows98(), folder, error);
}

// Field `field` of the line of [A] with `key`, or "<none>".
std::string Field(const InfDocument& doc, const char* key, std::size_t field,
                  const char* section = "A") {
    int index = doc.FindSection(section);
    std::size_t line = 0;
    std::string text;
    if (index < 0 || !doc.FindKey(index, key, &line) || !doc.GetField(index, line, field, &text)) {
        return "<none>";
    }
    return text;
}

TEST(InfReader, ReadsFieldsAsTheRealReaderDoes) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* key;
        std::size_t field;
        std::string text;
    } cases[] = {
        // Wine: a NUL trims like a blank inside a value, but is text (a space) elsewhere.
        {"nul_ends_a_value", Ansi("[A]\r\nk=ab\0\r\n"s), "k", 1, "ab"},
        {"nul_before_a_comma", Ansi("[A]\r\nk=a\0,b\r\n"s), "k", 1, "a"},
        {"nul_opening_a_value", Ansi("[A]\r\nk=\0ab\r\n"s), "k", 1, " ab"},
        {"nul_in_a_key", Ansi("[A]\r\nk6\0=v\r\n"s), "k6 ", 0, "k6 "},
        {"nul_after_a_backslash", Ansi("[A]\r\nk=\\\0x\r\n"s), "k", 1, "\\ x"},
        {"nul_then_continuation", Ansi("[A]\r\nk=x\0\\\r\ny\r\n"s), "k", 1, "xy"},
        // Wine: blanks before a quoted run stay, in keys as in values.
        {"blank_then_quote_in_key", Ansi("[A]\r\na \"b\"=c\r\n"), "a b", 1, "c"},
        {"quote_then_text_in_key", Ansi("[A]\r\n\"x\" y=z\r\n"), "x y", 1, "z"},
        // Wine: the C0 separators are not blanks.
        {"c0_separators_stay", Ansi("[A]\r\nk=\x1Cv\x1F\r\n"), "k", 1, "\x1Cv\x1F"},
        // Wine: text is parsed before it is converted to code page 1252.
        {"fullwidth_semicolon_is_text", Utf16(u"[A]\r\nk=a\uFF1Bb\r\n"), "k", 1, "a;b"},
        {"ideographic_space_trims", Utf16(u"[A]\r\nk=\u3000v\u3000\r\n"), "k", 1, "v"},
        {"keys_match_before_best_fit", Utf16(u"[A]\r\n\u03A9x=1\r\n"), "Ox", 1, "<none>"},
        // Wine: the 511 cut counts UTF-16 units, not bytes of the file.
        {"cut_counts_utf16_units", Utf16(u"[A]\r\nk=" + std::u16string(600, u'\u00E9') + u"\r\n"),
         "k", 1, std::string(511, '\xE9')},
        // Wine: ill-formed UTF-8 reads as '?'.
        {"utf8_stray_byte", Utf8("[A]\r\nk=a\xFFz\r\n"), "k", 1, "a?z"},
        {"utf8_cut_sequence", Utf8("[A]\r\nk=\xC3\r\n"), "k", 1, "?"},
        {"utf8_outside_bmp", Utf8("[A]\r\nk=\xF0\x9F\x98\x80\r\n"), "k", 1, "??"},
        {"utf8_euro_sign", Utf8("[A]\r\nk=\xE2\x82\xAC\r\n"), "k", 1, "\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InfOpenError error;
        auto doc = Open(c.bytes, &error);
        ASSERT_NE(doc, nullptr) << "error " << error.code << " at line " << error.line;
        EXPECT_EQ(Field(*doc, c.key, c.field), c.text);
    }
}

TEST(InfReader, SurrogatePairsCountAsTwoUnitsInTheCut) {
    std::u16string smileys;
    for (int i = 0; i < 300; ++i) {
        smileys += u"\U0001F600";
    }
    auto doc = Open(Utf16(u"[A]\r\nk=" + smileys + u"\r\n"));
    ASSERT_NE(doc, nullptr);
    // Wine: 511 units of 600, each read as '?'.
    EXPECT_EQ(Field(*doc, "k", 1), std::string(511, '?'));
}

TEST(InfReader, OpenErrorsNameThePhysicalLine) {
    struct Case {
        const char* name;
        std::string bytes;
        std::uint32_t code;
        std::uint32_t line;
    } cases[] = {
        // Wine: a continued line counts as two.
        {"after_a_continuation", Ansi("[A]\r\nk=a,\\\r\n b\r\n[bad\r\n"),
         fake::kInfBadSectionNameLine, 6},
        {"in_utf16", Utf16(u"[A]\r\n\r\n[bad\r\n"), fake::kInfBadSectionNameLine, 5},
        // Wine: stray text is skipped a character at a time, so a '[' after it opens a
        // section, but the line is still reported.
        {"stray_text_then_header", "abc[Version]\r\nSignature=\"$Chicago$\"\r\n",
         fake::kInfExpectedSectionName, 1},
        {"stray_text_with_strings", "abc[Version]\r\nSignature=\"$Chicago$\"\r\n[Strings]\r\n",
         fake::kInfOk, 0},
        {"section_name_of_256_non_ascii", Utf16(u"[" + std::u16string(256, u'\u00E9') + u"]\r\n"),
         fake::kInfSectionNameTooLong, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InfOpenError error;
        auto doc = Open(c.bytes, &error);
        EXPECT_EQ(doc != nullptr, c.code == fake::kInfOk);
        EXPECT_EQ(error.code, c.code);
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.lineSet, c.code != fake::kInfOk);
    }
}

TEST(InfReader, OpensWhatWindowsOpens) {
    // " \0" at an even offset looks like a UTF-16 space to a byte-statistics check; the file
    // is still ANSI.
    std::string spaceNul = Ansi("[A]\r\nk=a");
    spaceNul += spaceNul.size() % 2 != 0 ? "b" : "";
    std::string spaceNulValue = spaceNul.substr(spaceNul.rfind('=') + 1) + "  c";
    spaceNul += " \0c\r\n"s;
    spaceNul += spaceNul.size() % 2 != 0 ? ";" : "";  // even, as UTF-16 would be
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    } cases[] = {
        {"ansi_with_space_nul", spaceNul, spaceNulValue},
        {"utf16_with_odd_last_byte", Utf16(u"[A]\r\nk=v\r\n") + "x", "v"},
        {"utf16_big_endian", Utf16(u"[A]\r\nk=v\r\n", true, true), "v"},
        {"utf16_without_bom", Utf16(u"[A]\r\nk=v\r\n", false), "v"},
        {"utf16_without_bom_greek_first",
         Utf16(u"[A]\r\n;" + std::u16string(100, u'\u03A9') + u"\r\nk=v\r\n", false), "v"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InfOpenError error;
        auto doc = Open(c.bytes, &error);
        ASSERT_NE(doc, nullptr) << "error " << error.code << " at line " << error.line;
        EXPECT_EQ(Field(*doc, "k", 1), c.text);
    }
}

TEST(InfReader, ExpandsDirectoryIdsAsWindows98) {
    struct Case {
        const char* value;
        const char* folder;
        const char* text;
    } cases[] = {
        {"%10%", "C:\\PKG", "C:\\WINDOWS"},
        {"%11%\\x.dll", "C:\\PKG", "C:\\WINDOWS\\SYSTEM\\x.dll"},
        {"%12%", "C:\\PKG", "C:\\WINDOWS\\SYSTEM\\IOSUBSYS"},
        {"%17%", "C:\\PKG", "C:\\WINDOWS\\INF"},
        {"%24%\\x", "C:\\PKG", "C:\\x"},
        {"%0%", "C:\\PKG", "%0%"},
        {"%99%", "C:\\PKG", "%99%"},
        {"%1%", "C:\\PKG", "C:\\PKG\\"},
        {"%01%\\d.sys", "C:\\PKG", "C:\\PKG\\d.sys"},
        {"%1%", "A:", "A:\\"},
        {"%1%\\d.sys", "A:\\", "A:\\d.sys"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " in " + c.folder);
        auto doc = Open(Ansi("[A]\r\nk=" + std::string(c.value) + "\r\n"), nullptr, c.folder);
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(Field(*doc, "k", 1), c.text);
    }
}

TEST(InfReader, ModelSectionOfSixtyLines) {
    std::string body = "[Models]\r\n";
    for (int i = 0; i < 60; ++i) {
        body += "%Desc% = Install, USB\\VID_1234&PID_" + std::to_string(1000 + i) + "\r\n";
    }
    body += "[Strings]\r\nDesc = \"USB Flash Disk\"\r\n";
    auto doc = Open(Ansi(body));
    ASSERT_NE(doc, nullptr);
    int models = doc->FindSection("MODELS");
    ASSERT_EQ(doc->LineCount(models), 60u);
    std::size_t line = 99;
    ASSERT_TRUE(doc->FindKey(models, "usb flash disk", &line));
    EXPECT_EQ(line, 0u);
    for (std::size_t i = 0; i < 60; ++i) {
        std::string id;
        ASSERT_TRUE(doc->GetField(models, i, 2, &id));
        EXPECT_EQ(id, "USB\\VID_1234&PID_" + std::to_string(1000 + i));
    }
}

TEST(InfReader, TenMegabyteInfOpens) {
    std::string body = "[Big]\r\n";
    const int kLines = 420000;
    body.reserve(10u << 20);
    for (int i = 0; i < kLines; ++i) {
        body += "key" + std::to_string(i) + " = value," + std::to_string(i) + "\r\n";
    }
    ASSERT_GT(body.size(), 10u << 20);
    auto doc = Open(Ansi(body));
    ASSERT_NE(doc, nullptr);
    int big = doc->FindSection("Big");
    EXPECT_EQ(doc->LineCount(big), static_cast<std::size_t>(kLines));
    std::size_t line = 0;
    std::string last = std::to_string(kLines - 1);
    ASSERT_TRUE(doc->FindKey(big, ("KEY" + last).c_str(), &line));
    EXPECT_EQ(line, static_cast<std::size_t>(kLines - 1));
    std::string text;
    ASSERT_TRUE(doc->GetField(big, line, 2, &text));
    EXPECT_EQ(text, last);
}

TEST(InfReader, RefusesQuestionsAboutWhatIsNotThere) {
    auto doc = Open(Ansi("[A]\r\nk=v\r\n[Empty]\r\n"));
    ASSERT_NE(doc, nullptr);
    int a = doc->FindSection("A");
    std::string text;
    int value = 0;
    std::size_t line = 0;
    EXPECT_EQ(doc->FindSection(nullptr), -1);
    EXPECT_EQ(doc->FindSection("Missing"), -1);
    EXPECT_EQ(doc->LineCount(-1), 0u);
    EXPECT_EQ(doc->LineCount(99), 0u);
    EXPECT_EQ(doc->LineCount(doc->FindSection("Empty")), 0u);
    EXPECT_FALSE(doc->FindKey(-1, "k", &line));
    EXPECT_FALSE(doc->FindKey(a, nullptr, &line));
    EXPECT_EQ(doc->FieldCount(a, 1), 0u);
    EXPECT_FALSE(doc->GetField(a, 1, 1, &text));
    EXPECT_FALSE(doc->GetField(99, 0, 1, &text));
    EXPECT_FALSE(doc->GetField(a, 0, 2, &text));
    EXPECT_FALSE(doc->GetIntField(a, 0, 2, &value));
    // No error out-parameter is fine too.
    EXPECT_EQ(InfDocument::Open("", DirIdTable::Wine(), "C:\\", nullptr), nullptr);
}

// Where a line stands in the file, for tools that point at a defect. The head
// takes lines 1 and 2.
TEST(InfReader, SourceLineIsWhereTheEntryBegins) {
    struct Case {
        const char* name;
        std::string body;
        const char* section;
        std::size_t line;
        std::uint32_t expected;
    } cases[] = {
        {"first entry", "[S]\r\nA=1\r\n", "S", 0, 4},
        {"after comments and blank lines", "[S]\r\n; note\r\n\r\nA=1\r\nB=2\r\n", "S", 1, 7},
        {"a continued entry counts from its start", "[S]\r\nA=1,\\\r\n2\r\nB=3\r\n", "S", 1, 6},
        {"a line without key", "[S]\r\nA=1\r\n  value\r\n", "S", 1, 5},
        {"a section given twice", "[S]\r\nA=1\r\n[T]\r\nX=1\r\n[S]\r\nB=2\r\n", "S", 1, 8},
        {"no such line", "[S]\r\nA=1\r\n", "S", 1, 0},
        {"no such section", "[S]\r\nA=1\r\n", "Q", 0, 0},
    };
    for (const Case& c : cases) {
        InfOpenError error;
        std::unique_ptr<InfDocument> doc =
            InfDocument::Open(Ansi(c.body), DirIdTable::Windows98(), "C:\\INF", &error);
        ASSERT_NE(doc, nullptr) << c.name;
        EXPECT_EQ(doc->SourceLine(doc->FindSection(c.section), c.line), c.expected) << c.name;
    }
}

}  // namespace
