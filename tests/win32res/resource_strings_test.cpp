// What the program sees of its string tables: LoadStringA through its own
// loader in the system's code page. The Wine process's locale (LANG) makes the
// system; SETUP_TEST_LANGUAGE names its language, English when it is not set.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_windows.h"
#include "resources/string_table.h"

namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0],
                                    int(wide.size())));
    return wide;
}

TEST(AnsiStrings, ComeInTheSystemsCodePageWhole) {
    const std::map<unsigned, UINT> codePages = {
        {1033, 1252}, {1028, 950}, {1041, 932}, {2052, 936}};
    const char* setting = std::getenv("SETUP_TEST_LANGUAGE");
    unsigned language = setting ? unsigned(std::atoi(setting)) : 1033;
    ASSERT_EQ(codePages.count(language), 1u) << "no table for " << language;
    ASSERT_EQ(GetACP(), codePages.at(language))
        << "the Wine process is not in the locale of " << language;
    for (const auto& [id, text] : StringTable(language)) {
        // Back in UTF-16 unchanged: nothing cut, no character replaced.
        EXPECT_EQ(Wide(Win32Windows().LoadString(id), CP_ACP), Wide(text, CP_UTF8)) << "id " << id;
    }
}

}  // namespace
