// The string tables as gen_strings.py produces them from resources/strings:
// the same data the resource script's STRINGTABLEs hold.
#include <gtest/gtest.h>

#include <string>

#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

TEST(StringTables, ShowNoDeviceTokenWhereNothingReplacesIt) {
    // Captions, the instruction, the status line and the About box are shown
    // as stored; a device name holding the token would loop its replacement.
    const unsigned shownAsStored[] = {IDS_ABOUTBOX,
                                      IDS_INSTRUCTION,
                                      IDS_INSTALLING,
                                      IDS_REMOVING,
                                      IDS_SELECT_INSTALL_UNINSTALL,
                                      IDS_INSTALL_OR_UPDATE,
                                      IDS_UNINSTALL,
                                      IDS_START,
                                      IDS_CANCEL,
                                      IDS_PROGRAM_NAME,
                                      IDS_DEVICE_NAME,
                                      IDS_VER_COPYRIGHT};
    for (unsigned language : StringLanguages()) {
        for (unsigned id : shownAsStored) {
            EXPECT_EQ(StringTable(language).at(id).find("#DEV_NAME#"), std::string::npos)
                << "language " << language << ", id " << id;
        }
    }
}

TEST(StringTables, TheAboutTitleHasOneBlankInEnglishAndNoneElsewhere) {
    EXPECT_EQ(StringTable(1033).at(IDS_ABOUTBOX), "About ");
    for (unsigned language : {1028u, 1041u, 2052u}) {
        EXPECT_NE(StringTable(language).at(IDS_ABOUTBOX).back(), ' ') << language;
    }
}

TEST(StringTables, ASystemInAnotherLanguageGetsTheEnglishTable) {
    EXPECT_EQ(&StringTableForSystem(1031), &StringTable(1033));
    EXPECT_EQ(&StringTableForSystem(1041), &StringTable(1041));
}

}  // namespace
