// The device removal, the wizard automation and the rescan over the real
// calls under Wine: device entries in Wine's registry, which its SETUPAPI
// lists and removes, and the wizard stand-in in a process of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "platform/os_kind.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"
#include "system/device_removal.h"
#include "system/hardware_rescan.h"
#include "system/wizard_automation.h"
#include "tests/contract/tree_env.h"
#include "tests/win32/win32_test_support.h"

namespace {

constexpr char kDescription[] = "USB Flash Disk F00D";
// Far above what the stand-in needs: it finishes in a few seconds.
constexpr DWORD kStandInEndsMs = 30000;

TEST(RealDevices, EveryCallIsFound) {
    Win32Devices devices;
    EXPECT_TRUE(devices.HasEveryCall());
}

TEST(RealDevices, ASweepRemovesExactlyTheEntriesOfTheTargetIds) {
    std::unique_ptr<TreeEnv> env = MakeTreeEnv();
    struct Entry {
        const ClassGuid& classGuid;
        const char* instanceId;
        bool target;
    } entries[] = {
        {kUsbClassGuid, "USB\\VID_F00D&PID_D001\\5&1A&0&1", true},
        {kUsbClassGuid, "usb\\vid_f00d&pid_d001\\5&1a&0&2", true},
        {kHdcClassGuid, "USB\\VID_F00D&PID_D001&MI_00\\6&2B&0&0", true},
        {kHdcClassGuid, "D3IVURU\\PID_D001&VID_F00D\\7&3C&0", true},
        {kUsbClassGuid, "USB\\VID_F00D&PID_D002\\5&1A&0&3", false},
        {kUsbClassGuid, "USB\\VID_F00E&PID_D001\\5&1A&0&4", false},
        {kHdcClassGuid, "USBSTOR\\VID_F00D&PID_D001\\8&4D&0", false},
        {kUsbClassGuid, "D3IVURU\\VID_F00D&PID_D001\\7&3C&1", false},
    };
    for (const Entry& entry : entries) {
        ASSERT_TRUE(env->GiveDevice(entry.classGuid, entry.instanceId)) << entry.instanceId;
    }
    std::array<TargetId, kMaxTargetIds + 1> targets;
    targets[0].vid.Assign("f00d");
    targets[0].pid.Assign("d001");

    EXPECT_EQ(RemoveTargetDevices(env->Devices(), targets.data(), targets.size()), 4);
    EXPECT_EQ(RemoveTargetDevices(env->Devices(), targets.data(), targets.size()), 0);
    for (const Entry& entry : entries) {
        EXPECT_EQ(env->HasDevice(entry.instanceId), !entry.target) << entry.instanceId;
    }
}

struct RealWizard : ::testing::Test {
    Win32Windows windows;
    RecordingChannel channel{windows};

    bool Drive(const char* description) {
        return DriveNewHardwareWizard(windows, channel, description, 0, 100);
    }
};

TEST_F(RealWizard, DrivesTheWizardToFinishAndAnswersTheDeviceDialog) {
    WizardStandIn standIn(kDescription, "--prompt=close");
    ASSERT_TRUE(standIn.Started());
    EXPECT_TRUE(Drive(kDescription)) << ::testing::PrintToString(standIn.Report());
    EXPECT_TRUE(standIn.EndsWithin(kStandInEndsMs));
    // The second priming press meets the installing page, which refuses it.
    EXPECT_EQ(standIn.Report(),
              (std::vector<std::string>{"next", "next-refused", "continue", "finish"}));
    EXPECT_TRUE(std::is_sorted(channel.positions.begin(), channel.positions.end()));
    EXPECT_TRUE(std::all_of(channel.positions.begin(), channel.positions.end(),
                            [](int position) { return position >= 0 && position <= 100; }));
}

TEST_F(RealWizard, LeavesAWizardWithoutFinishAlone) {
    WizardStandIn standIn(kDescription, "--no-finish");
    ASSERT_TRUE(standIn.Started());
    EXPECT_FALSE(Drive(kDescription));
    EXPECT_TRUE(standIn.Report().empty()) << "no command is sent";
}

TEST_F(RealWizard, XpRescanRestoresTheFilesAndTheWizardDecides) {
    ScratchFolder windowsDir("rescan-xp");
    ASSERT_TRUE(windowsDir.Put("INF\\USBSTOR.INF", "inf"));
    ASSERT_TRUE(windowsDir.Put("INF\\USBSTOR.PNF", "pnf"));
    Win32System sys;
    Win32Devices devices;
    DevNode root = 0;
    // Wine's CM_Locate_DevNodeA answers CR_FAILURE: no re-enumeration is
    // asked for, and the wizard alone decides.
    EXPECT_FALSE(devices.LocateRootDevNode(&root));

    bool sawAside = false;
    channel.look = [&] {
        sawAside = sawAside || (windowsDir.Exists("INF\\USBSTOR.I3S") &&
                                !windowsDir.Exists("INF\\USBSTOR.INF"));
    };
    WizardStandIn standIn(kDescription, "");
    ASSERT_TRUE(standIn.Started());
    SetupServices services{sys, devices, windows, channel};
    EXPECT_TRUE(
        RescanHardware(services, OsKind::kWinXP, windowsDir.Path().c_str(), kDescription, 50, 100))
        << ::testing::PrintToString(standIn.Report());
    EXPECT_TRUE(sawAside);
    EXPECT_EQ(windowsDir.Read("INF\\USBSTOR.INF"), "inf");
    EXPECT_EQ(windowsDir.Read("INF\\USBSTOR.PNF"), "pnf");
    EXPECT_FALSE(windowsDir.Exists("INF\\USBSTOR.I3S"));
    EXPECT_FALSE(windowsDir.Exists("INF\\USBSTOR.P3S"));
    ASSERT_FALSE(channel.positions.empty());
    EXPECT_EQ(channel.positions.front(), 50);
    EXPECT_EQ(channel.positions.back(), 100);
    EXPECT_TRUE(standIn.EndsWithin(kStandInEndsMs));
}

TEST_F(RealWizard, NinetyEightRescanRestoresTheDatabaseThoughTheRequestFails) {
    ScratchFolder windowsDir("rescan-98");
    ASSERT_TRUE(windowsDir.Put("INF\\DRVIDX.BIN", "idx"));
    ASSERT_TRUE(windowsDir.Put("INF\\DRVDATA.BIN", "data"));
    Win32System sys;
    Win32Devices devices;
    bool sawAside = false;
    channel.look = [&] {
        sawAside = sawAside ||
                   (windowsDir.Exists("INF\\DRVIDX.3S") && windowsDir.Exists("INF\\DRVDATA.3S"));
    };
    SetupServices services{sys, devices, windows, channel};
    EXPECT_FALSE(RescanHardware(services, OsKind::kWin98SE, windowsDir.Path().c_str(), kDescription,
                                50, 100));
    EXPECT_TRUE(sawAside);
    EXPECT_EQ(windowsDir.Read("INF\\DRVIDX.BIN"), "idx");
    EXPECT_EQ(windowsDir.Read("INF\\DRVDATA.BIN"), "data");
    EXPECT_FALSE(windowsDir.Exists("INF\\DRVIDX.3S"));
    EXPECT_EQ(channel.positions, (std::vector<int>{50, 100}));
}

}  // namespace
