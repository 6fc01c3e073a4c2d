// The string tables as gen_strings.py produces them from resources/strings:
// the same data the resource script's STRINGTABLEs hold.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

const std::vector<unsigned> kLanguages = {1033, 1028, 1041, 2052};
const std::string kToken = "#DEV_NAME#";

std::vector<unsigned> ProgramIds() {
    std::vector<unsigned> ids = {101, 102, 103, 104, 105, 107};
    for (unsigned id = 109; id <= 120; ++id)
        ids.push_back(id);
    for (unsigned id = 124; id <= 129; ++id)
        ids.push_back(id);
    for (unsigned id = 300; id <= 333; ++id)
        ids.push_back(id);
    return ids;
}

// First text id of the generic group and of brand groups 1 to 6.
std::vector<unsigned> GroupFirstIds() {
    std::vector<unsigned> ids = {300};
    for (unsigned k = 1; k <= 6; ++k)
        ids.push_back(305 + 5 * (k - 1));
    return ids;
}

const std::string& Text(unsigned language, unsigned id) {
    static const std::string missing = "<missing>";
    const auto& table = StringTable(language);
    auto found = table.find(id);
    return found == table.end() ? missing : found->second;
}

TEST(StringTables, HaveTheFourLanguagesInResourceOrder) {
    EXPECT_EQ(StringLanguages(), kLanguages);
}

TEST(StringTables, HoldEveryIdOfTheProgramAndNoOther) {
    std::vector<unsigned> expected = ProgramIds();
    for (unsigned language : kLanguages) {
        std::vector<unsigned> ids;
        for (const auto& entry : StringTable(language))
            ids.push_back(entry.first);
        EXPECT_EQ(ids, expected) << "language " << language;
    }
}

TEST(StringTables, LeaveTheUnassignedIdsOut) {
    for (unsigned language : kLanguages) {
        for (unsigned id : {106u, 108u, 121u, 122u, 123u}) {
            EXPECT_EQ(StringTable(language).count(id), 0u)
                << "language " << language << ", id " << id;
        }
    }
}

TEST(StringTables, GiveNoTextEmpty) {
    for (unsigned language : kLanguages) {
        for (const auto& entry : StringTable(language)) {
            EXPECT_FALSE(entry.second.empty()) << "language " << language << ", id " << entry.first;
        }
    }
}

TEST(StringTables, KeepEntriesOfOneLanguageTogether) {
    // The Wine test walks kStringEntries language by language.
    std::vector<unsigned> order;
    for (unsigned i = 0; i < kStringEntryCount; ++i) {
        if (order.empty() || order.back() != kStringEntries[i].language) {
            order.push_back(kStringEntries[i].language);
        }
    }
    EXPECT_EQ(order, kLanguages);
}

TEST(StringTables, ShareTheInstructionAndBrandGroupsOneToSixAcrossLanguages) {
    std::vector<unsigned> shared = {IDS_INSTRUCTION};
    for (unsigned id = 304; id <= 333; ++id)
        shared.push_back(id);
    for (unsigned id : shared) {
        for (unsigned language : kLanguages) {
            EXPECT_EQ(Text(language, id), Text(1033, id))
                << "language " << language << ", id " << id;
        }
    }
}

TEST(StringTables, NameTheProductOfTheInstructionInTheShippedGroup) {
    // Group 6 is the product's: its program name begins with the maker and the
    // device name that the instruction (103) names.
    const std::string& device = Text(1033, 331);
    const std::string& program = Text(1033, 330);
    size_t end = program.find(device);
    ASSERT_NE(end, std::string::npos) << program;
    std::string makerAndProduct = program.substr(0, end + device.size());
    EXPECT_EQ(makerAndProduct, "Vostrel NIMBLEKEY");
    EXPECT_NE(Text(1033, IDS_INSTRUCTION).find(makerAndProduct), std::string::npos);
    EXPECT_EQ(Text(1033, 333), "no link");
}

TEST(StringTables, SelectTheBuildsBrandGroupAfterItsLabelRow) {
    const unsigned first = BRAND_GROUP_FIRST_ID;
    ASSERT_NE(std::find(GroupFirstIds().begin(), GroupFirstIds().end(), first),
              GroupFirstIds().end());
    if (first != 300) {
        const std::string& label = Text(1033, first - 1);
        EXPECT_EQ(label.front(), '.');
        EXPECT_EQ(label.back(), '.');
    }
    EXPECT_NE(Text(1033, IDS_PROGRAM_NAME).front(), '.');
}

TEST(StringTables, KeepTheDeviceTokenOutOfDeviceNamesAndShownTexts) {
    // The token is replaced nowhere: a text the program shows must not hold it,
    // and a device name holding it would loop the replacement it feeds.
    std::vector<unsigned> ids = {101, 103, 105, 109, 113, 114, 116, 118,
                                 119, 124, 125, 126, 127, 128, 129};
    for (unsigned first : GroupFirstIds())
        ids.push_back(first + 1);
    for (unsigned language : kLanguages) {
        for (unsigned id : ids) {
            EXPECT_EQ(Text(language, id).find(kToken), std::string::npos)
                << "language " << language << ", id " << id;
        }
    }
}

TEST(StringTables, KeepTheTokenInTheVariantsThatNameTheDevice) {
    for (unsigned language : kLanguages) {
        for (unsigned id : {102u, 107u, 120u}) {
            EXPECT_NE(Text(language, id).find(kToken), std::string::npos)
                << "language " << language << ", id " << id;
        }
    }
}

TEST(StringTables, EndTheEnglishAboutWordWithOneBlankAndTheOthersWithNone) {
    EXPECT_EQ(Text(1033, IDS_ABOUTBOX), "About ");
    for (unsigned language : {1028u, 1041u, 2052u}) {
        const std::string& about = Text(language, IDS_ABOUTBOX);
        ASSERT_FALSE(about.empty());
        EXPECT_NE(about.back(), ' ') << "language " << language;
    }
}

TEST(StringTables, CarryTheTranslatedTextsAsUtf8) {
    struct Row {
        unsigned language;
        unsigned id;
        const char* text;
    };
    const Row rows[] = {
        {1028, IDS_ABOUTBOX, u8"關於"},
        {1041, IDS_ABOUTBOX, u8"バージョン情報"},
        {2052, IDS_ABOUTBOX, u8"关于"},
        {1028, IDS_SELECT_INSTALL_UNINSTALL, u8"選擇  安裝 / 卸載"},
        {2052, 112, u8"安装失败 ！"},
        {1041, IDS_UNINSTALL, u8"ドライバーをアンイントールします"},
        {1028, 301, u8"行動碟"},
        {2052, 302, u8"闪存盘驱动程序安装和卸载工具 2.02 版\n\n版权所有 (C) 2004，保留所有权利。"},
        {1041, 300, "USB Flash Disk Driver Setup Utility"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Text(row.language, row.id), row.text)
            << "language " << row.language << ", id " << row.id;
    }
}

TEST(StringTables, ShowTheEnglishTextsThePartsName) {
    struct Row {
        unsigned id;
        const char* text;
    };
    const Row rows[] = {
        {IDS_WINDOWS98_ONLY, "This program is for Windows 98 only !"},
        {IDS_INSTALLING, "installing..."},
        {IDS_REMOVING, "removing device if present..."},
        {IDS_UNINSTALL_COMPLETE, "Uninstallation is complete."},
        {IDS_INF_NOT_FOUND, "INF file not found !"},
        {IDS_SYS_NOT_FOUND, "SYS(SY_) file not found !"},
        {IDS_PDR_NOT_FOUND, "MPD file not found !"},
        {IDS_SELECT_INSTALL_UNINSTALL, "Select Install/Uninstall"},
        {IDS_INSTALL_OR_UPDATE, "Install or update driver"},
        {IDS_UNINSTALL, "Uninstall driver"},
        {IDS_START, "Start"},
        {IDS_CANCEL, "Exit"},
        {IDS_INSTALL_DONE_REPLUG, "Installation is complete. Please replug your device."},
        {300, "USB Flash Disk Driver Setup Utility"},
        {301, "USB Flash Disk"},
        {303, "no link"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Text(1033, row.id), row.text) << "id " << row.id;
}

TEST(BrandGroups, WriteTheAboutTextAsNameVersionBlankLineAndRights) {
    for (unsigned language : kLanguages) {
        for (unsigned first : GroupFirstIds()) {
            const std::string& name = Text(language, first);
            const std::string& about = Text(language, first + 2);
            size_t rights = about.find("\n\n");
            ASSERT_NE(rights, std::string::npos)
                << "language " << language << ", group at " << first;
            std::string head = about.substr(0, rights);
            EXPECT_TRUE(head == name + " v.2.02" || head == name + u8" 2.02 版")
                << "language " << language << ", group at " << first << ": " << head;
            EXPECT_GT(about.size(), rights + 2) << "no rights line, group at " << first;
            EXPECT_EQ(about.find('\n', rights + 2), std::string::npos);
        }
    }
}

TEST(BrandGroups, LinkToAWebAddressOrToNothingAndFitTheCommandBuffer) {
    std::set<std::string> webLinks;
    for (unsigned language : kLanguages) {
        for (unsigned first : GroupFirstIds()) {
            const std::string& link = Text(language, first + 3);
            bool web = link.find("http://www.") != std::string::npos;
            EXPECT_TRUE(web || link == "no link") << "group at " << first << ": " << link;
            // "Explorer " + link + NUL in 128 bytes.
            EXPECT_LE(link.size(), 118u) << "group at " << first;
            if (web)
                webLinks.insert(link);
        }
    }
    // At least one brand has a live link, so a build for it exercises the link.
    EXPECT_FALSE(webLinks.empty());
    for (const std::string& link : webLinks) {
        EXPECT_NE(link.find(".example"), std::string::npos) << link;
    }
}

TEST(StringTables, FallBackToEnglishForALanguageWithoutATable) {
    EXPECT_EQ(&StringTableForSystem(1031), &StringTable(1033));
    EXPECT_EQ(&StringTableForSystem(1041), &StringTable(1041));
    EXPECT_TRUE(StringTable(1031).empty());
}

}  // namespace
