// The version block of the resource object, read back through VERSION.DLL as
// Explorer's property sheet reads it, and walked raw for the order of its
// entries.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

std::vector<char> VersionInfo() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoA(path, 0, size, data.data()))
        data.clear();
    return data;
}

std::string RightsLine() {
    const std::string& about = StringTable(1033).at(BRAND_GROUP_FIRST_ID + 2);
    return about.substr(about.find("\n\n") + 2);
}

// The entries of the block's string table in the order they are stored.
// Each node: length, value length, type, key, padding to four bytes, value,
// children (see VS_VERSIONINFO in the platform documentation).
std::vector<std::pair<std::wstring, std::wstring>> StoredEntries() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
    if (!found)
        return {};
    auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    struct Node {
        const BYTE* at;
        WORD length;
        WORD valueLength;
        std::wstring key;
        const BYTE* value;
        const BYTE* children;
    };
    auto align = [base](const BYTE* p) { return base + ((p - base + 3) & ~3); };
    auto read = [&](const BYTE* at) {
        Node node{at,
                  *reinterpret_cast<const WORD*>(at),
                  *reinterpret_cast<const WORD*>(at + 2),
                  reinterpret_cast<const WCHAR*>(at + 6),
                  nullptr,
                  nullptr};
        node.value = align(at + 6 + (node.key.size() + 1) * 2);
        return node;
    };
    auto childrenOf = [&](const Node& node, unsigned valueBytes) {
        std::vector<Node> children;
        for (const BYTE* p = align(node.value + valueBytes); p < node.at + node.length;
             p = align(p + children.back().length)) {
            children.push_back(read(p));
            if (children.back().length == 0)
                break;
        }
        return children;
    };
    Node root = read(base);
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    for (const Node& info : childrenOf(root, root.valueLength)) {
        if (info.key != L"StringFileInfo")
            continue;
        for (const Node& table : childrenOf(info, 0)) {
            // A string's value length counts WCHARs, its terminating zero included.
            for (const Node& entry : childrenOf(table, 0)) {
                auto* text = reinterpret_cast<const WCHAR*>(entry.value);
                entries.emplace_back(entry.key,
                                     std::wstring(text, text + entry.valueLength).c_str());
            }
        }
    }
    return entries;
}

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    int size =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &wide[0], int(wide.size()));
    wide.resize(size);
    return wide;
}

TEST(VersionBlock, HasTheFixedPartOfTheRelease) {
    std::vector<char> data = VersionInfo();
    ASSERT_FALSE(data.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    ASSERT_EQ(size, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);     // 2.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);     // .2.0
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);  // 1.0
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00030000u);  // .3.0
    EXPECT_EQ(fixed->dwFileFlags, DWORD(VS_FF_PRIVATEBUILD | VS_FF_SPECIALBUILD));
    EXPECT_EQ(fixed->dwFileFlags, 0x28u);
    EXPECT_EQ(fixed->dwFileOS, DWORD(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
}

TEST(VersionBlock, IsOneEnglishBlockInUnicode) {
    std::vector<char> data = VersionInfo();
    ASSERT_FALSE(data.empty());
    WORD* translation = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);
}

TEST(VersionBlock, ReadsBackTheTextEntries) {
    std::vector<char> data = VersionInfo();
    ASSERT_FALSE(data.empty());
    const std::pair<const char*, std::string> rows[] = {
        {"Comments", "040809"},
        {"CompanyName", " "},
        {"FileDescription", StringTable(1033).at(BRAND_GROUP_FIRST_ID)},
        {"FileVersion", "2.02"},
        {"InternalName", "Setup.exe"},
        {"LegalCopyright", RightsLine()},
        {"LegalTrademarks", "  "},
        {"OriginalFilename", "Setup.exe"},
        {"PrivateBuild", "  "},
        {"ProductName", "USB FLASH DISK"},
        {"ProductVersion", " "},
        {"SpecialBuild", "  "},
    };
    for (const auto& [key, value] : rows) {
        std::string query = std::string("\\StringFileInfo\\040904B0\\") + key;
        char* text = nullptr;
        UINT size = 0;
        ASSERT_TRUE(
            VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &size))
            << key;
        EXPECT_EQ(std::string(text), value) << key;
    }
}

TEST(VersionBlock, StoresTheTextEntriesInTheirOrder) {
    const std::vector<std::wstring> order = {
        L"Comments",     L"CompanyName",    L"FileDescription", L"FileVersion",
        L"InternalName", L"LegalCopyright", L"LegalTrademarks", L"OriginalFilename",
        L"PrivateBuild", L"ProductName",    L"ProductVersion",  L"SpecialBuild"};
    auto entries = StoredEntries();
    std::vector<std::wstring> keys;
    for (const auto& entry : entries)
        keys.push_back(entry.first);
    EXPECT_EQ(keys, order);
    ASSERT_EQ(entries.size(), order.size());
    EXPECT_EQ(entries[2].second, Wide(StringTable(1033).at(BRAND_GROUP_FIRST_ID)));
}

}  // namespace
