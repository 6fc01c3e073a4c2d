// Our INF reader against the real SETUPAPI: for every vector, the dump our reader gives must
// be the one the probe recorded under Wine, except where we follow Windows instead.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "tools/inf_dump.h"

namespace {

namespace fs = std::filesystem;

const fs::path kVectors = INF_VECTORS_DIR;

// The folder our dumps give for %1%; the expected files write Wine's as @INFDIR@.
const char kInfFolder[] = "C:\\INF\\VECTORS";

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::vector<std::string> VectorNames() {
    std::vector<std::string> names;
    std::error_code error;  // a missing folder lists nothing, and AreAllThere fails
    for (const auto& entry : fs::directory_iterator(kVectors, error)) {
        if (entry.path().extension() == ".inf") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Wine misreads ANSI files holding a NUL byte as UTF-16 and refuses big-endian UTF-16;
// Windows reads both, and so do we.
bool FollowsWindows(const std::string& name) {
    return name.rfind("wine_quirk_", 0) == 0 || name == "enc_utf16be_bom";
}

std::vector<std::string> WineVectorNames() {
    std::vector<std::string> names = VectorNames();
    names.erase(std::remove_if(names.begin(), names.end(), FollowsWindows), names.end());
    return names;
}

std::string OurDump(const std::string& name) {
    infdump::DumpOptions options;
    options.vectorMode = true;
    options.dirIds = fake::DirIdTable::Wine();
    options.infFolder = kInfFolder;
    fs::path queries = kVectors / (name + ".queries");
    if (fs::exists(queries)) {
        options.queries = ReadFile(queries);
    }
    return infdump::Dump(ReadFile(kVectors / (name + ".inf")), options);
}

// Length of a dump string once its escapes are undone.
std::size_t UnquotedLength(const std::string& quoted) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < quoted.size(); ++i, ++n) {
        if (quoted[i] == '\\') {
            i += quoted[i + 1] == 'x' ? 3 : 1;
        }
    }
    return n;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Puts our folder where the expected dump has @INFDIR@ and recomputes the sizes that depend
// on it: `need` on that line, `size` and `req` on the SMALL line after it.
std::string WithInfFolder(const std::string& expected, const std::string& folder) {
    std::string escaped;
    for (char c : folder) {
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    }
    std::string out;
    long need = -1;
    for (std::string line : SplitLines(expected)) {
        std::size_t at = line.find("@INFDIR@");
        std::size_t needAt = line.find(" need=");
        if (at != std::string::npos) {
            line.replace(at, 8, escaped);
            if (needAt != std::string::npos) {
                std::size_t open = line.find('"', needAt);
                std::size_t close = line.find("\" int=", open);
                need =
                    static_cast<long>(UnquotedLength(line.substr(open + 1, close - open - 1)) + 1);
                line = line.substr(0, needAt) + " need=" + std::to_string(need) +
                       line.substr(open - 1);
            }
        } else if (need >= 0 && line.rfind("    SMALL ", 0) == 0) {
            std::size_t size = line.find(" size=");
            std::size_t ret = line.find(" ret=");
            std::size_t req = line.find(" req=");
            std::size_t buf = line.find(" buf=");
            line = line.substr(0, size) + " size=" + std::to_string(need - 1) +
                   line.substr(ret, req - ret) + " req=" + std::to_string(need) + line.substr(buf);
            need = -1;
        } else {
            need = -1;
        }
        out += line + "\n";
    }
    return out;
}

// The corpus form of a vector dump: no uclines, SMALL, PAST or QUERY lines.
std::string CorpusForm(const std::string& vectorDump) {
    std::string out;
    for (std::string line : SplitLines(vectorDump)) {
        if (line.rfind("    SMALL ", 0) == 0 || line.rfind("    PAST ", 0) == 0 ||
            line.rfind("QUERY ", 0) == 0) {
            continue;
        }
        std::size_t uc = line.rfind(" uclines=");
        if (line.rfind("SECTION ", 0) == 0 && uc != std::string::npos) {
            line.erase(uc);
        }
        out += line + "\n";
    }
    return out;
}

// Empty when equal, else the first differing line of each.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    std::vector<std::string> a = SplitLines(actual), e = SplitLines(expected);
    for (std::size_t i = 0; i < std::max(a.size(), e.size()); ++i) {
        std::string got = i < a.size() ? a[i] : "<end>";
        std::string want = i < e.size() ? e[i] : "<end>";
        if (got != want) {
            return "line " + std::to_string(i + 1) + "\n  ours: " + got + "\n  real: " + want;
        }
    }
    return actual == expected ? "" : "trailing bytes differ";
}

TEST(InfVectors, AreAllThere) {
    // A missing or emptied folder must not pass as "no differences".
    EXPECT_GE(VectorNames().size(), 67u);
    EXPECT_EQ(VectorNames().size() - WineVectorNames().size(), 4u);
}

class WineVector : public ::testing::TestWithParam<std::string> {};

TEST_P(WineVector, DumpIsTheRealReaders) {
    const std::string& name = GetParam();
    std::string expected = ReadFile(kVectors / (name + ".expected"));
    EXPECT_EQ(FirstDifference(OurDump(name), WithInfFolder(expected, kInfFolder)), "");
}

INSTANTIATE_TEST_SUITE_P(Vectors, WineVector, ::testing::ValuesIn(WineVectorNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

TEST(InfVectorsOnWindows, BigEndianUtf16ReadsLikeLittleEndian) {
    std::string expected = ReadFile(kVectors / "enc_utf16le_bom.expected");
    EXPECT_EQ(FirstDifference(OurDump("enc_utf16be_bom"), expected), "");
}

TEST(InfVectorsOnWindows, AnsiFilesWithANulByteOpen) {
    struct Case {
        const char* vector;
        const char* section;
        const char* key;
        const char* field1;
    } cases[] = {
        {"wine_quirk_nul_misdetected", "A", "k8", "nul inside"},
        {"wine_quirk_nul_misdetected", "A", "k7", "nbsp"},
        {"wine_quirk_nul_misdetected", "A", "k12  x", "v12   y"},
        {"wine_quirk_nul_misdetected", "A", "k13", "a\tb"},
        {"wine_quirk_nul_odd_offset", "A", "k1", "xnul inside"},
        {"wine_quirk_nul_odd_offset", "A", "k3", "some more ordinary text to dilute the sniffing"},
        {"wine_quirk_sections_nul", "Test Section", "k", "v"},
        {"wine_quirk_sections_nul", "Tail ", "t", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.vector) + " [" + c.section + "] " + c.key);
        fake::InfOpenError error;
        auto doc = fake::InfDocument::Open(ReadFile(kVectors / (std::string(c.vector) + ".inf")),
                                           fake::DirIdTable::Wine(), kInfFolder, &error);
        ASSERT_NE(doc, nullptr) << "error " << error.code << " at line " << error.line;
        int section = doc->FindSection(c.section);
        std::size_t line = 0;
        std::string text;
        ASSERT_TRUE(doc->FindKey(section, c.key, &line));
        EXPECT_TRUE(doc->GetField(section, line, 1, &text));
        EXPECT_EQ(text, c.field1);
    }
}

TEST(InfVectorsOnWindows, NulInASectionNameReadsAsASpace) {
    std::string dump = OurDump("wine_quirk_sections_nul");
    EXPECT_NE(dump.find("SECTION \"Test Section\" lines=1"), std::string::npos) << dump;
    EXPECT_NE(dump.find("SECTION \"Tail \" lines=1"), std::string::npos) << dump;
    EXPECT_NE(dump.find("QUERY \"Test\" NULL count=-1 counterr=SECTION_NOT_FOUND"),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find("QUERY \"Tail\" NULL count=-1 counterr=SECTION_NOT_FOUND"),
              std::string::npos)
        << dump;
}

std::string Capture(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    pclose(pipe);
    return out;
}

TEST(InfdumpTool, PrintsTheCorpusDump) {
    struct Case {
        const char* vector;
        const char* options;
    } cases[] = {
        // Wine's directory ids and a given folder: the dump the probe would print.
        {"strings_dirids", "--dirids=wine '--infdir=C:\\INF\\VECTORS'"},
        // Queries are vector-only, whatever the vector has.
        {"realistic_driver", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.vector);
        std::string inf = (kVectors / (std::string(c.vector) + ".inf")).string();
        std::string out =
            Capture(std::string("'") + INFDUMP_PATH + "' " + c.options + " '" + inf + "'");
        std::string expected = ReadFile(kVectors / (std::string(c.vector) + ".expected"));
        EXPECT_EQ(FirstDifference(out, CorpusForm(WithInfFolder(expected, kInfFolder))), "");
    }
}

}  // namespace
