// ListFiles: wildcard listing of one folder, files only, names only.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/contract/contract_fixture.h"

namespace {

class ListingContract : public ContractTest {
  protected:
    void SetUp() override {
        ContractTest::SetUp();
        for (const char* name : {"a.in", "b.inf", "c.ini", "G.INF", "e.sy_", "f.sys", "readme"}) {
            ASSERT_TRUE(Env().PutFile(InScratch(name), "x"));
        }
        ASSERT_TRUE(Env().MakeFolder(InScratch("dir.inf")));
        ASSERT_TRUE(Env().MakeFolder(InScratch("sub")));
        ASSERT_TRUE(Env().PutFile(InScratch("sub\\x.inf"), "x"));
        // No extension longer than three characters: Windows and Wine match a
        // pattern against the generated 8.3 name too ("d.infx" matches "*.inf"
        // through "D~1.INF"), which the fake does not model.
    }

    // Sorted: FAT lists in creation order, Wine in the host file system's.
    std::vector<std::string> Sorted(const std::string& pattern) {
        std::vector<std::string> names = Sys().ListFiles(InScratch(pattern).c_str());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(ListingContract, MatchesTheWildcardAmongFilesOnly) {
    struct Row {
        const char* name;
        const char* pattern;
        std::vector<std::string> expected;  // sorted
        // Names the backends may or may not list.
        std::set<std::string> eitherWay;
    };
    const Row rows[] = {
        // Windows lets a final '?' match no character, so "a.in" is listed
        // there; Wine (and the fake, like it) wants exactly one.
        {"question mark at the end", "*.in?", {"G.INF", "b.inf", "c.ini"}, {"a.in"}},
        {"underscore extension", "*.sy_", {"e.sy_"}, {}},
        {"case-insensitive, spelling kept", "*.INF", {"G.INF", "b.inf"}, {}},
        {"every file, no folders or dots",
         "*",
         {"G.INF", "a.in", "b.inf", "c.ini", "e.sy_", "f.sys", "readme"},
         {}},
        {"*.* takes names without a dot",
         "*.*",
         {"G.INF", "a.in", "b.inf", "c.ini", "e.sy_", "f.sys", "readme"},
         {}},
        {"name.* takes the bare name", "readme.*", {"readme"}, {}},
        {"no match", "*.zip", {}, {}},
        {"folder that does not exist", "nowhere\\*.inf", {}, {}},
        {"subfolder, names without folder", "sub\\*.inf", {"x.inf"}, {}},
        {"plain name", "f.sys", {"f.sys"}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> listed = Sorted(row.pattern);
        listed.erase(std::remove_if(listed.begin(), listed.end(),
                                    [&](const std::string& n) { return row.eitherWay.count(n); }),
                     listed.end());
        EXPECT_EQ(listed, row.expected);
    }
}

TEST_F(ListingContract, ListingAFolderPatternGivesNoFolders) {
    EXPECT_TRUE(Sys().ListFiles(InScratch("dir.inf").c_str()).empty());
    EXPECT_TRUE(Sys().ListFiles(InScratch("su?").c_str()).empty());
}

}  // namespace
