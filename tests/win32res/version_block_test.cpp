// The version block as Explorer's property sheet reads it through VERSION.DLL.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

TEST(VersionBlock, ShowsTheReleasesVersionAndTexts) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD handle = 0;
    std::vector<char> data(GetFileVersionInfoSizeA(path, &handle));
    ASSERT_TRUE(!data.empty() && GetFileVersionInfoA(path, 0, DWORD(data.size()), data.data()));
    auto query = [&](const std::string& key) -> void* {
        void* value = nullptr;
        UINT size = 0;
        return VerQueryValueA(data.data(), key.c_str(), &value, &size) ? value : nullptr;
    };

    // The fixed part: versions 2.0.2.0 and 1.0.3.0, flags, system, type; then
    // one block, US English in Unicode.
    auto* fixed = static_cast<VS_FIXEDFILEINFO*>(query("\\"));
    auto* translation = static_cast<DWORD*>(query("\\VarFileInfo\\Translation"));
    ASSERT_TRUE(fixed && translation);
    EXPECT_EQ(
        std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                            fixed->dwProductVersionMS, fixed->dwProductVersionLS,
                            fixed->dwFileFlags, fixed->dwFileOS, fixed->dwFileType, *translation}),
        std::vector<DWORD>({0x00020000, 0x00020000, 0x00010000, 0x00030000,
                            VS_FF_PRIVATEBUILD | VS_FF_SPECIALBUILD, VOS__WINDOWS32, VFT_APP,
                            0x04B00409}));

    const std::string& about = StringTable(1033).at(BRAND_GROUP_FIRST_ID + 2);
    const std::pair<const char*, std::string> rows[] = {
        {"Comments", "040809"},
        {"CompanyName", " "},
        {"FileDescription", StringTable(1033).at(BRAND_GROUP_FIRST_ID)},
        {"FileVersion", "2.02"},
        {"InternalName", "Setup.exe"},
        {"LegalCopyright", about.substr(about.find("\n\n") + 2)},
        {"LegalTrademarks", "  "},
        {"OriginalFilename", "Setup.exe"},
        {"PrivateBuild", "  "},
        {"ProductName", "USB FLASH DISK"},
        {"ProductVersion", " "},
        {"SpecialBuild", "  "},
    };
    for (const auto& [key, value] : rows) {
        auto* text =
            static_cast<const char*>(query(std::string("\\StringFileInfo\\040904B0\\") + key));
        EXPECT_EQ(text ? std::string(text) : "(none)", value) << key;
    }
}

}  // namespace
