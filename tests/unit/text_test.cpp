#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>

TEST(FixedText, HoldsOneCharacterLessThanItsCapacity) {
    FixedText<20> name;
    EXPECT_TRUE(name.Assign(std::string(19, 'a').c_str()));
    EXPECT_EQ(name.size(), 19u);
    EXPECT_FALSE(name.Assign(std::string(20, 'b').c_str()));
    EXPECT_EQ(std::string(name.c_str()), std::string(19, 'a'))
        << "a refused text leaves the old one";
    EXPECT_FALSE(name.Append("c"));
    EXPECT_EQ(name.size(), 19u);
}

TEST(FixedText, AssignPrefixStopsAtCountOrEnd) {
    FixedText<5> id;
    EXPECT_TRUE(id.AssignPrefix("ABCD1234", 4));
    EXPECT_EQ(std::string(id.c_str()), "ABCD");
    EXPECT_TRUE(id.AssignPrefix("12", 4));
    EXPECT_EQ(std::string(id.c_str()), "12");
}

TEST(JoinPath, OneBackslashBetweenFolderAndName) {
    struct Case {
        const char* folder;
        const char* name;
        const char* joined;
    } cases[] = {
        {"C:\\PKG", "A.INF", "C:\\PKG\\A.INF"},
        {"A:", "*.in?", "A:\\*.in?"},
        {"C:\\", "*.sy_", "C:\\*.sy_"},
        {"", "x", "\\x"},
    };
    for (const Case& c : cases) {
        PathText out;
        ASSERT_TRUE(JoinPath(c.folder, c.name, &out)) << c.folder;
        EXPECT_EQ(std::string(out.c_str()), c.joined);
    }
}

TEST(JoinPath, APathThatDoesNotFitIsNeverCut) {
    std::string folder(250, 'd');
    PathText out;
    out.Assign("previous");
    EXPECT_TRUE(JoinPath(folder.c_str(), "abcd", &out)) << "250 + 1 + 4 = 255 characters fit";
    EXPECT_FALSE(JoinPath(folder.c_str(), "abcde", &out));
    EXPECT_TRUE(out.empty());
}
