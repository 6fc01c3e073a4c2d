#include "system/hardware_rescan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/fake_wizard.h"
#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "resources/resource_ids.h"
#include "ui/dialog_channel.h"

namespace {

constexpr WindowHandle kMainDialog = 0x102;
constexpr char kDescription[] = "USB Flash Disk";
constexpr char kInf[] = "C:\\WINDOWS\\INF\\";

using Names = std::vector<std::string>;

// The four system files present, as on a machine before the rescan.
const Names kSystemNames = {"DRVDATA.BIN", "DRVIDX.BIN", "USBSTOR.INF", "USBSTOR.PNF"};
const Names kDatabaseAside = {"DRVDATA.3S", "DRVIDX.3S", "USBSTOR.INF", "USBSTOR.PNF"};
const Names kUsbstorAside = {"DRVDATA.BIN", "DRVIDX.BIN", "USBSTOR.I3S", "USBSTOR.P3S"};

struct RescanRig {
    fake::Machine m;
    BrandTexts brand{"Setup", "Flash Disk", "About", "none"};
    DialogChannel channel{m.windows, kMainDialog, brand};
    SetupServices services{m.system, m.devices, m.windows, channel};
    std::unique_ptr<fake::ScriptedWizard> wizard;
    Names atReenumeration;

    RescanRig() {
        for (const std::string& name : kSystemNames) {
            m.givenFile(kInf + name, name);
        }
        m.devices.rootDevNode = 0x77;
        m.devices.onReenumerate = [this] { atReenumeration = InfFolder(); };
    }
    // The new-hardware wizard opens this long after the rescan started.
    void WizardOpensAt(std::uint64_t ms) {
        wizard = std::make_unique<fake::ScriptedWizard>(
            m.windows.tree, fake::XpNewHardwareWizard(kDescription, ms));
    }
    bool Rescan(std::uint8_t osKind) {
        return RescanHardware(services, osKind, "C:\\WINDOWS", kDescription, 50, 100);
    }
    Names InfFolder() const {
        Names names;
        for (const std::string& name : m.files.List(std::string(kInf) + "*")) {
            names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    const std::vector<int>& Progress() const {
        return m.windows.ProgressHistory(kMainDialog, IDC_PROGRESS);
    }
};

TEST(RescanHardware, ByKindOfWindows) {
    struct Case {
        const char* name;
        std::uint8_t osKind;
        bool wizard;
        Names aside;  // the INF folder while the system enumerates
        bool result;
        std::uint64_t takesMs;
    } cases[] = {
        {"unrecognised, like the 98 family", OsKind::kUnknown, false, kDatabaseAside, true, 3000},
        {"Windows 98", OsKind::kWin98, false, kDatabaseAside, true, 3000},
        {"Windows 98 SE", OsKind::kWin98SE, false, kDatabaseAside, true, 3000},
        {"Windows Me", OsKind::kWinMe, false, kDatabaseAside, true, 3000},
        {"Windows 2000", OsKind::kWin2000, false, kSystemNames, true, 0},
        {"Windows XP with its wizard", OsKind::kWinXP, true, kUsbstorAside, true, 3000},
        {"Windows XP, no wizard comes", OsKind::kWinXP, false, kUsbstorAside, false, 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RescanRig rig;
        if (c.wizard) {
            rig.WizardOpensAt(0);
        }
        EXPECT_EQ(rig.Rescan(c.osKind), c.result);
        EXPECT_EQ(rig.atReenumeration, c.aside);
        EXPECT_EQ(rig.InfFolder(), kSystemNames) << "every file is back";
        EXPECT_EQ(rig.m.devices.LocateCalls(), 1u);
        EXPECT_EQ(rig.m.devices.ReenumeratedNodes(), std::vector<DevNode>{0x77});
        EXPECT_EQ(rig.m.windows.NowMs(), c.takesMs);
        ASSERT_FALSE(rig.Progress().empty());
        EXPECT_EQ(rig.Progress().front(), 50);
        EXPECT_EQ(rig.Progress().back(), 100);
    }
}

TEST(RescanHardware, Windows2000OnlySetsTheBarAndAsks) {
    RescanRig rig;
    EXPECT_TRUE(rig.Rescan(OsKind::kWin2000));
    EXPECT_EQ(rig.Progress(), (std::vector<int>{50, 100}));
    for (fake::Op op : rig.m.faults.Log()) {
        EXPECT_NE(op, fake::Op::MoveFile);
        EXPECT_NE(op, fake::Op::DeleteFile);
    }
}

TEST(RescanHardware, FailedRequests) {
    struct Case {
        const char* name;
        std::uint8_t osKind;
        bool locates;
        bool accepts;
        bool wizard;
        bool result;
        std::size_t reenumerations;
    } cases[] = {
        {"98: the root is not found", OsKind::kWin98SE, false, true, false, false, 0},
        {"98: the request is refused", OsKind::kWin98SE, true, false, false, false, 1},
        {"2000: the root is not found", OsKind::kWin2000, false, true, false, false, 0},
        {"XP: the root is not found, the wizard decides", OsKind::kWinXP, false, true, true, true,
         0},
        {"XP: the request is refused, the wizard decides", OsKind::kWinXP, true, false, true, true,
         1},
        {"XP: the root is not found and no wizard comes", OsKind::kWinXP, false, true, false, false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RescanRig rig;
        rig.m.devices.rootLocatable = c.locates;
        rig.m.devices.reenumerationAccepted = c.accepts;
        if (c.wizard) {
            // The system shows it for a disk it found by itself.
            rig.WizardOpensAt(1500);
        }
        EXPECT_EQ(rig.Rescan(c.osKind), c.result);
        EXPECT_EQ(rig.m.devices.ReenumeratedNodes().size(), c.reenumerations);
        EXPECT_EQ(rig.InfFolder(), kSystemNames) << "the restores still ran";
        EXPECT_EQ(rig.Progress().back(), 100);
        if (c.wizard) {
            EXPECT_TRUE(rig.wizard->Finished());
        }
    }
}

TEST(RescanHardware, XpPutsBackWhatAnEarlierRunLeftAsideBeforeSettingItAside) {
    RescanRig rig;
    // An earlier run stopped with the INF aside.
    rig.m.files.Remove(std::string(kInf) + "USBSTOR.INF");
    rig.m.givenFile(std::string(kInf) + "USBSTOR.I3S", "earlier");
    rig.WizardOpensAt(0);

    EXPECT_TRUE(rig.Rescan(OsKind::kWinXP));
    EXPECT_EQ(rig.atReenumeration, kUsbstorAside);
    EXPECT_EQ(rig.InfFolder(), kSystemNames);
    EXPECT_EQ(rig.m.files.Read(std::string(kInf) + "USBSTOR.INF"), "earlier");
    EXPECT_EQ(rig.m.files.Read(std::string(kInf) + "USBSTOR.PNF"), "USBSTOR.PNF");
}

TEST(RescanHardware, TheDatabaseStaysAsideForTheWholePause) {
    RescanRig rig;
    Names midway;
    rig.m.windows.Post([&] { midway = rig.InfFolder(); }, 2990);
    EXPECT_TRUE(rig.Rescan(OsKind::kWin98));
    EXPECT_EQ(midway, kDatabaseAside);
}

}  // namespace
