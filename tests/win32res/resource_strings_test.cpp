// The string tables of the resource object, read back by the real loader
// under Wine and compared with the generated table they were made from: the
// check that windres really wrote the UTF-8 sources as the right UTF-16.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_windows.h"
#include "resources/string_table.h"

namespace {

std::wstring Wide(const std::string& text, UINT codePage) {
    if (text.empty())
        return std::wstring();
    int size = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size, L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), &wide[0], size);
    return wide;
}

std::string Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty())
        return std::string();
    int size = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string narrow(size, '\0');
    WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), &narrow[0], size, nullptr,
                        nullptr);
    return narrow;
}

// The text of one id exactly as the module stores it for one language: the
// string's slot in its block of sixteen, found by language, not by locale.
bool StoredText(unsigned language, unsigned id, std::wstring& text) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(6),  // RT_STRING
                                  MAKEINTRESOURCEW(id / 16 + 1), WORD(language));
    if (!found)
        return false;
    const WCHAR* slot = static_cast<const WCHAR*>(LockResource(LoadResource(module, found)));
    for (unsigned i = 0; i < id % 16; ++i)
        slot += 1 + *slot;
    text.assign(slot + 1, *slot);
    return *slot != 0;
}

std::wstring LoadWide(unsigned id) {
    const WCHAR* text = nullptr;
    // With a zero buffer size LoadStringW hands out the stored text in place,
    // so a text of any length is seen whole.
    int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 ? std::wstring(text, length) : std::wstring();
}

// Through the program's own loader, which sizes its buffer itself.
std::string LoadNarrow(unsigned id) {
    return Win32Windows().LoadString(id);
}

// Sets the thread's locale for the loader's choice of table and puts it back.
class ThreadLocale {
  public:
    explicit ThreadLocale(unsigned language) : saved_(GetThreadLocale()) {
        SetThreadLocale(MAKELCID(language, SORT_DEFAULT));
    }
    ~ThreadLocale() { SetThreadLocale(saved_); }

  private:
    LCID saved_;
};

TEST(ResourceStrings, StoreEveryTextOfEveryLanguageAsTheSourceHasIt) {
    for (unsigned language : StringLanguages()) {
        for (const auto& [id, text] : StringTable(language)) {
            std::wstring stored;
            ASSERT_TRUE(StoredText(language, id, stored))
                << "language " << language << ", id " << id;
            EXPECT_EQ(stored, Wide(text, CP_UTF8)) << "language " << language << ", id " << id;
        }
    }
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::set<unsigned>*>(languages)->insert(language);
    return TRUE;
}

TEST(ResourceStrings, HaveTablesInTheFourLanguagesOnly) {
    std::set<unsigned> blocks;
    for (const auto& entry : StringTable(1033))
        blocks.insert(entry.first / 16 + 1);
    for (unsigned block : blocks) {
        std::set<unsigned> languages;
        EnumResourceLanguagesW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(6),
                               MAKEINTRESOURCEW(block), CollectLanguage,
                               reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, (std::set<unsigned>{1028, 1033, 1041, 2052})) << "block " << block;
    }
}

TEST(ResourceStrings, LeaveTheUnassignedIdsEmpty) {
    for (unsigned language : StringLanguages()) {
        for (unsigned id : {106u, 108u, 121u, 122u, 123u, 334u}) {
            std::wstring stored;
            EXPECT_FALSE(StoredText(language, id, stored))
                << "language " << language << ", id " << id;
        }
    }
}

TEST(ResourceStrings, LoadInTheThreadsLanguage) {
    for (unsigned language : StringLanguages()) {
        ThreadLocale locale(language);
        for (const auto& [id, text] : StringTable(language)) {
            EXPECT_EQ(LoadWide(id), Wide(text, CP_UTF8))
                << "language " << language << ", id " << id;
        }
    }
}

TEST(ResourceStrings, LoadTheEnglishTableForALanguageWithoutOne) {
    ThreadLocale german(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    for (const auto& [id, text] : StringTable(1033)) {
        EXPECT_EQ(LoadWide(id), Wide(text, CP_UTF8)) << "id " << id;
    }
}

// What the program itself sees: LoadStringA in the system's code page. The
// Wine process's locale (LANG) makes the system; SETUP_TEST_LANGUAGE names the
// language the test runs for, English when it is not set.
TEST(AnsiStrings, ComeInTheSystemsCodePageWithoutLoss) {
    const std::map<unsigned, UINT> codePages = {
        {1033, 1252}, {1028, 950}, {1041, 932}, {2052, 936}};
    const char* setting = std::getenv("SETUP_TEST_LANGUAGE");
    unsigned language = setting ? unsigned(std::atoi(setting)) : 1033;
    ASSERT_EQ(codePages.count(language), 1u) << "no table for " << language;
    ASSERT_EQ(GetACP(), codePages.at(language))
        << "the Wine process does not run in the locale of language " << language;
    ASSERT_EQ(LANGIDFROMLCID(GetUserDefaultLCID()), language);

    for (const auto& [id, text] : StringTable(language)) {
        std::wstring expected = Wide(text, CP_UTF8);
        std::string loaded = LoadNarrow(id);
        EXPECT_EQ(loaded, Narrow(expected, CP_ACP)) << "id " << id;
        // Back to UTF-16 unchanged: no character was replaced by a default.
        EXPECT_EQ(Wide(loaded, CP_ACP), expected) << "id " << id;
    }
}

}  // namespace
