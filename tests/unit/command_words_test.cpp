// pkgcheck.exe splits its own command line, as the C runtime of Windows 98 to
// XP splits it into argv; in Shift-JIS a character's second byte may be the
// backslash that would otherwise escape a closing quote.
#include "platform/command_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool ShiftJisLead(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(CommandWords, SplitAsTheCRuntimeSplits) {
    using Words = std::vector<std::string>;
    struct Case {
        const char* name;
        const char* line;
        Words words;
    } cases[] = {
        {"spaces and tabs part words", "p  a\t\tb \t", {"p", "a", "b"}},
        {"a quoted program name keeps its backslashes and spaces",
         "\"C:\\My Tools\\pkgcheck.exe\" PKG",
         {"C:\\My Tools\\pkgcheck.exe", "PKG"}},
        {"an unquoted program name keeps its quotes",
         "C:\\a\"b c\"\\p.exe x",
         {"C:\\a\"b", "c\\p.exe x"}},
        {"quotes group", "p \"a b c\" d e", {"p", "a b c", "d", "e"}},
        {"an odd run of backslashes escapes the quote",
         "p \"ab\\\"c\" \"\\\\\" d",
         {"p", "ab\"c", "\\", "d"}},
        {"backslashes stay before other characters",
         "p a\\\\\\b d\"e f\"g h",
         {"p", "a\\\\\\b", "de fg", "h"}},
        {"three backslashes and a quote", "p a\\\\\\\"b c d", {"p", "a\\\"b", "c", "d"}},
        {"four backslashes and a quote", "p a\\\\\\\\\"b c\" d e", {"p", "a\\\\b c", "d", "e"}},
        {"a trailing backslash of a quoted folder", "p \"C:\\PKG\\\\\"", {"p", "C:\\PKG\\"}},
        {"two quotes inside quotes give one and end the quoted part",
         "p \"a\"\"b c\"",
         {"p", "a\"b", "c"}},
        {"an empty quoted word", "p \"\" x", {"p", "", "x"}},
        {"no closing quote", "p \"a b", {"p", "a b"}},
        {"a double-byte folder in quotes", "p \"C:\\PKG \x95\x5C\"", {"p", "C:\\PKG \x95\x5C"}},
        {"a double-byte folder before quotes",
         "p \x95\x5C\"a b\"",
         {"p",
          "\x95\x5C"
          "a b"}},
        {"a double-byte program name in quotes", "\"C:\\\x95\x5C\" x", {"C:\\\x95\x5C", "x"}},
        {"a lead byte at the end", "p a\x95", {"p", "a\x95"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitCommandLine(c.line, ShiftJisLead), c.words) << c.name;
    }
}

}  // namespace
