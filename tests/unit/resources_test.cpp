// The agreement text, the artwork that gen_artwork.py draws, the placeholders
// of the dialog templates, and the checks gen_strings.py makes before a build.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "resources/agreement_text.h"
#include "resources/string_table.h"

namespace fs = std::filesystem;

namespace {

const fs::path kResources = RESOURCES_DIR;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "setup-resources-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

int RunPython(const std::string& arguments, const fs::path& errors) {
    std::string command =
        "\"" PYTHON3_EXECUTABLE "\" " + arguments + " 2>\"" + errors.string() + "\"";
    return std::system(command.c_str());
}

// --- The agreement text ---------------------------------------------------

TEST(AgreementText, Has5751CharactersIn19ParagraphsOfPrintableAscii) {
    const std::string text = kAgreementText;
    EXPECT_EQ(text.size(), 5751u);
    size_t breaks = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            ASSERT_LT(i + 1, text.size());
            EXPECT_EQ(text[i + 1], '\n') << "CR without LF at " << i;
            ++breaks;
            ++i;
            continue;
        }
        EXPECT_TRUE(c >= 0x20 && c < 0x7f) << "character " << int(c) << " at " << i;
    }
    EXPECT_EQ(breaks, 18u);
    // No empty paragraph and no break at either end: every break separates text.
    EXPECT_EQ(text.find("\r\n\r\n"), std::string::npos);
    EXPECT_NE(text.substr(0, 2), "\r\n");
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");
}

// --- The artwork ----------------------------------------------------------

uint32_t U32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

uint16_t U16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                 static_cast<unsigned char>(bytes.at(at + 1)) << 8);
}

int32_t I32(const std::string& bytes, size_t at) {
    return static_cast<int32_t>(U32(bytes, at));
}

class Artwork : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new TempFolder;
        ok_ = RunPython("\"" + (kResources / "gen_artwork.py").string() + "\" \"" +
                            folder_->path().string() + "\"",
                        folder_->path() / "errors.txt") == 0;
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(ok_) << ReadFile(folder_->path() / "errors.txt"); }
    static std::string File(const char* name) { return ReadFile(folder_->path() / name); }

    static TempFolder* folder_;
    static bool ok_;
};

TempFolder* Artwork::folder_ = nullptr;
bool Artwork::ok_ = false;

TEST_F(Artwork, BitmapsHaveTheirSizesAndColourDepths) {
    struct Row {
        const char* file;
        int32_t width;
        int32_t height;
        uint16_t bits;
    };
    const Row rows[] = {{"logo.bmp", 89, 56, 4}, {"side.bmp", 116, 256, 8}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        std::string bmp = File(row.file);
        ASSERT_GE(bmp.size(), 54u);
        EXPECT_EQ(bmp.substr(0, 2), "BM");
        EXPECT_EQ(U32(bmp, 2), bmp.size());
        EXPECT_EQ(U32(bmp, 14), 40u);  // BITMAPINFOHEADER
        EXPECT_EQ(I32(bmp, 18), row.width);
        EXPECT_EQ(I32(bmp, 22), row.height);  // positive: rows bottom up
        EXPECT_EQ(U16(bmp, 28), row.bits);
        EXPECT_EQ(U32(bmp, 30), 0u);  // BI_RGB
        uint32_t colours = U32(bmp, 46);
        EXPECT_EQ(colours, 1u << row.bits);
        uint32_t stride = (row.width * row.bits + 31) / 32 * 4;
        EXPECT_EQ(U32(bmp, 10), 14 + 40 + colours * 4);
        EXPECT_EQ(bmp.size(), U32(bmp, 10) + stride * row.height);
    }
}

TEST_F(Artwork, IconIsOne32By32ImageIn16Colours) {
    std::string ico = File("program.ico");
    ASSERT_GE(ico.size(), 22u + 40u);
    EXPECT_EQ(U16(ico, 0), 0);
    EXPECT_EQ(U16(ico, 2), 1);  // icon
    EXPECT_EQ(U16(ico, 4), 1);  // one image
    EXPECT_EQ(static_cast<unsigned char>(ico[6]), 32);
    EXPECT_EQ(static_cast<unsigned char>(ico[7]), 32);
    EXPECT_EQ(static_cast<unsigned char>(ico[8]), 16);
    EXPECT_EQ(U16(ico, 12), 4);
    EXPECT_EQ(U32(ico, 14) + U32(ico, 18), ico.size());
    size_t image = U32(ico, 18);
    EXPECT_EQ(I32(ico, image + 4), 32);
    EXPECT_EQ(I32(ico, image + 8), 64);  // colour bits and AND mask
    EXPECT_EQ(U16(ico, image + 14), 4);
    // Header, 16 colours, 4-bit colour rows, 1-bit mask rows.
    EXPECT_EQ(U32(ico, 14), 40u + 16 * 4 + 32 * 16 + 32 * 4);
}

TEST_F(Artwork, CursorIsA32By32TwoColourImageWhoseHotSpotIsOnTheHand) {
    std::string cur = File("hand.cur");
    ASSERT_GE(cur.size(), 22u + 40u);
    EXPECT_EQ(U16(cur, 2), 2);  // cursor
    EXPECT_EQ(U16(cur, 4), 1);
    EXPECT_EQ(static_cast<unsigned char>(cur[6]), 32);
    EXPECT_EQ(static_cast<unsigned char>(cur[7]), 32);
    EXPECT_EQ(static_cast<unsigned char>(cur[8]), 2);
    EXPECT_EQ(U16(cur, 10), 0);  // hot spot x
    EXPECT_EQ(U16(cur, 12), 0);  // hot spot y
    EXPECT_EQ(U32(cur, 14) + U32(cur, 18), cur.size());
    size_t image = U32(cur, 18);
    EXPECT_EQ(I32(cur, image + 4), 32);
    EXPECT_EQ(I32(cur, image + 8), 64);
    EXPECT_EQ(U16(cur, image + 14), 1);
    ASSERT_EQ(U32(cur, 14), 40u + 2 * 4 + 32 * 4 + 32 * 4);
    // Rows are stored bottom up; the AND mask's last row is the top row. The
    // pixel under the hot spot is opaque: the finger tip is where it points.
    size_t topMaskRow = image + 40 + 8 + 32 * 4 + 31 * 4;
    EXPECT_EQ(static_cast<unsigned char>(cur[topMaskRow]) & 0x80, 0);
    // And the hand is not everywhere: the top right corner is transparent.
    EXPECT_EQ(static_cast<unsigned char>(cur[topMaskRow + 3]) & 0x01, 0x01);
}

TEST_F(Artwork, IsTheSameOnEveryRun) {
    TempFolder again;
    ASSERT_EQ(RunPython("\"" + (kResources / "gen_artwork.py").string() + "\" \"" +
                            again.path().string() + "\"",
                        again.path() / "errors.txt"),
              0);
    for (const char* name : {"logo.bmp", "side.bmp", "program.ico", "hand.cur"}) {
        EXPECT_EQ(File(name), ReadFile(again.path() / name)) << name;
    }
}

// --- Placeholders of the dialog templates ---------------------------------

// The string ids resource_ids.h names: a number, or an offset into the brand group.
std::map<std::string, unsigned> StringIdNames() {
    std::map<std::string, unsigned> names;
    std::string header = ReadFile(kResources / "resource_ids.h");
    std::regex define(R"(#define (IDS_\w+) \(?(BRAND_GROUP_FIRST_ID)?(?: \+ )?(\d*)\)?)");
    for (std::sregex_iterator it(header.begin(), header.end(), define), end; it != end; ++it) {
        unsigned base = (*it)[2].matched ? BRAND_GROUP_FIRST_ID : 0;
        unsigned offset = (*it)[3].length() ? std::stoul((*it)[3]) : 0;
        names[(*it)[1]] = base + offset;
    }
    return names;
}

TEST(DialogTemplates, NamePlaceholderCaptionsAfterStringsEveryTableHolds) {
    std::map<std::string, unsigned> ids = StringIdNames();
    ASSERT_EQ(ids.at("IDS_START"), 127u);
    ASSERT_EQ(ids.at("IDS_PROGRAM_NAME"), unsigned(BRAND_GROUP_FIRST_ID));
    ASSERT_EQ(ids.at("IDS_VER_COPYRIGHT"), unsigned(BRAND_GROUP_FIRST_ID + 2));

    std::string script = ReadFile(kResources / "setup.rc");
    std::set<std::string> placeholders;
    std::regex quoted(R"rx("(IDS_[A-Z0-9_ +]*)")rx");
    for (std::sregex_iterator it(script.begin(), script.end(), quoted), end; it != end; ++it) {
        std::istringstream parts((*it)[1]);
        for (std::string part; parts >> part;) {
            if (part != "+")
                placeholders.insert(part);
        }
    }
    const std::set<std::string> expected = {
        "IDS_ABOUTBOX",    "IDS_CANCEL",       "IDS_INSTALL_OR_UPDATE",
        "IDS_INSTRUCTION", "IDS_PROGRAM_NAME", "IDS_SELECT_INSTALL_UNINSTALL",
        "IDS_START",       "IDS_UNINSTALL",    "IDS_VER_COPYRIGHT"};
    EXPECT_EQ(placeholders, expected);
    for (const std::string& name : placeholders) {
        ASSERT_EQ(ids.count(name), 1u) << name << " is not in resource_ids.h";
        for (unsigned language : StringLanguages()) {
            EXPECT_EQ(StringTable(language).count(ids.at(name)), 1u)
                << name << " in language " << language;
        }
    }
}

TEST(DialogTemplates, NameOnlyStringIdsTheTablesHold) {
    for (const auto& [name, id] : StringIdNames()) {
        for (unsigned language : StringLanguages()) {
            EXPECT_EQ(StringTable(language).count(id), 1u) << name << " in language " << language;
        }
    }
}

// --- What gen_strings.py refuses ------------------------------------------

TEST(StringGenerator, RefusesSourcesThatBreakTheTables) {
    struct Row {
        const char* name;
        const char* file;
        std::string from;  // empty: append `to`
        std::string to;
        std::string extraArguments;
        std::string message;  // empty: the generator must succeed
    };
    const std::string longLink = "http://www." + std::string(120, 'x') + ".example";
    const Row rows[] = {
        {"the sources as they are", "common.txt", "", "", "", ""},
        {"a device name holding the token", "common.txt", "331 \"NIMBLEKEY\"", "331 \"#DEV_NAME#\"",
         "", "device name holds"},
        {"an id the program lacks", "en-US.txt", "", "121 \"spare\"\n", "",
         "ids the program does not have"},
        {"a missing id", "zh-TW.txt", "128 \"離開\"\n", "", "", "ids missing"},
        {"the same id twice", "ja-JP.txt", "", "127 \"Start\"\n", "", "given twice"},
        {"a text the system's code page cannot show", "ja-JP.txt", "127 \"スタート\"",
         "127 \"스타트\"", "", "code page cp932"},
        {"a link too long for the command buffer", "common.txt", "333 \"no link\"",
         "333 \"" + longLink + "\"", "", "longer than 118"},
        {"a link that is no web address", "common.txt", "333 \"no link\"",
         "333 \"www.vostrel.example\"", "", "neither"},
        {"an About text without its rights line", "en-US.txt",
         "\"\\n\"\n    \"Copyright (C) 2004. All rights reserved.\"", "\"\"", "", "About text"},
        {"a group id that is a label row", "common.txt", "", "", "--brand-first-id 329",
         "not the first id"},
    };
    const char* sources[] = {"common.txt", "en-US.txt", "zh-TW.txt", "ja-JP.txt", "zh-CN.txt"};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        std::string arguments = "\"" + (kResources / "gen_strings.py").string() + "\" " +
                                row.extraArguments + " --cpp \"" +
                                (folder.path() / "out.cpp").string() + "\"";
        for (const char* source : sources) {
            std::string text = ReadFile(kResources / "strings" / source);
            ASSERT_FALSE(text.empty()) << source;
            if (std::string(source) == row.file) {
                if (row.from.empty()) {
                    text += row.to;
                } else {
                    size_t at = text.find(row.from);
                    ASSERT_NE(at, std::string::npos) << row.from;
                    text.replace(at, row.from.size(), row.to);
                }
            }
            WriteFile(folder.path() / source, text);
            arguments += " \"" + (folder.path() / source).string() + "\"";
        }
        int status = RunPython(arguments, folder.path() / "errors.txt");
        std::string errors = ReadFile(folder.path() / "errors.txt");
        if (row.message.empty()) {
            EXPECT_EQ(status, 0) << errors;
        } else {
            EXPECT_NE(status, 0);
            EXPECT_NE(errors.find(row.message), std::string::npos) << errors;
        }
    }
}

}  // namespace
