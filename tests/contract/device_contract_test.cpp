// Device sets, instance ids, removal and the configuration manager.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "platform/text.h"
#include "tests/contract/tree_env.h"

namespace {

using ContractDevices = TreeContractTest;

// Vendor F00D is no one's: the tests see only their own entries.
constexpr char kDiskA[] = "USB\\VID_F00D&PID_C001\\5&1A&0&1";
constexpr char kDiskB[] = "USB\\VID_F00D&PID_C002\\5&1A&0&2";
constexpr char kDiskC[] = "USB\\VID_F00D&PID_C003\\5&1A&0&3";
constexpr char kController[] = "USB\\VID_F00D&PID_C004&MI_00\\6&2B&0&0";
constexpr char kD3ivuru[] = "D3IVURU\\VID_F00D&PID_C005\\7&3C&0";

std::string Upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// Our entries of a set (the system may hold others), in capitals: the
// system keeps instance ids in capitals whatever case they were made in.
std::vector<std::string> OurEntries(DeviceServices& devices, const ClassGuid& classGuid,
                                    const char* enumerator) {
    std::vector<std::string> ids;
    DeviceSet set = devices.OpenDeviceSet(classGuid, enumerator, 0);
    EXPECT_NE(set, kNoDeviceSet);
    if (set == kNoDeviceSet) {
        return ids;
    }
    DeviceEntry entry;
    for (std::uint32_t index = 0; index < 10000 && devices.GetDeviceEntry(set, index, &entry);
         ++index) {
        FixedText<512> id;
        EXPECT_TRUE(devices.GetInstanceId(set, entry, id.Buffer()));
        std::string text = Upper(id.c_str());
        if (text.find("VID_F00D") != std::string::npos) {
            ids.push_back(text);
        }
    }
    devices.CloseDeviceSet(set);
    std::sort(ids.begin(), ids.end());
    return ids;
}

TEST_F(ContractDevices, ASetHoldsTheEntriesOfOneClassMadeByOneEnumerator) {
    ASSERT_TRUE(Env().GiveDevice(kUsbClassGuid, kDiskA));
    ASSERT_TRUE(Env().GiveDevice(kUsbClassGuid, "usb\\vid_f00d&pid_c002\\5&1a&0&2"));
    ASSERT_TRUE(Env().GiveDevice(kHdcClassGuid, kController));
    ASSERT_TRUE(Env().GiveDevice(kHdcClassGuid, kD3ivuru));
    struct Row {
        const char* name;
        const ClassGuid& classGuid;
        const char* enumerator;
        std::vector<std::string> ids;
    } rows[] = {
        {"USB class by USB", kUsbClassGuid, "USB", {kDiskA, kDiskB}},
        {"enumerator in small letters", kUsbClassGuid, "usb", {kDiskA, kDiskB}},
        {"hard disk controllers by USB", kHdcClassGuid, "USB", {Upper(kController)}},
        {"hard disk controllers by D3IVURU", kHdcClassGuid, "D3IVURU", {kD3ivuru}},
        {"USB class by D3IVURU", kUsbClassGuid, "D3IVURU", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(OurEntries(Dev(), row.classGuid, row.enumerator), row.ids);
    }
}

TEST_F(ContractDevices, RemovalDeletesTheEntryAndTheWalkGoesOn) {
    ASSERT_TRUE(Env().GiveDevice(kUsbClassGuid, kDiskA));
    ASSERT_TRUE(Env().GiveDevice(kUsbClassGuid, kDiskB));
    ASSERT_TRUE(Env().GiveDevice(kUsbClassGuid, kDiskC));

    DeviceSet set = Dev().OpenDeviceSet(kUsbClassGuid, "USB", 0);
    ASSERT_NE(set, kNoDeviceSet);
    std::vector<std::string> walked;
    DeviceEntry entry;
    for (std::uint32_t index = 0; index < 10000 && Dev().GetDeviceEntry(set, index, &entry);
         ++index) {
        FixedText<512> id;
        if (!Dev().GetInstanceId(set, entry, id.Buffer())) {
            continue;
        }
        walked.push_back(Upper(id.c_str()));
        if (walked.back() == kDiskB) {
            EXPECT_TRUE(Dev().RemoveDevice(set, entry));
        }
    }
    Dev().CloseDeviceSet(set);

    EXPECT_NE(std::find(walked.begin(), walked.end(), kDiskA), walked.end());
    EXPECT_NE(std::find(walked.begin(), walked.end(), kDiskC), walked.end());
    EXPECT_FALSE(Env().HasDevice(kDiskB));
    EXPECT_TRUE(Env().HasDevice(kDiskA));
    EXPECT_TRUE(Env().HasDevice(kDiskC));
    EXPECT_EQ(OurEntries(Dev(), kUsbClassGuid, "USB"), (std::vector<std::string>{kDiskA, kDiskC}));
}

TEST_F(ContractDevices, AnInstanceIdThatDoesNotFitFailsAndLeavesTheBuffer) {
    ASSERT_TRUE(Env().GiveDevice(kUsbClassGuid, kDiskA));
    DeviceSet set = Dev().OpenDeviceSet(kUsbClassGuid, "USB", 0);
    ASSERT_NE(set, kNoDeviceSet);
    DeviceEntry entry;
    bool seen = false;
    for (std::uint32_t index = 0;
         !seen && index < 10000 && Dev().GetDeviceEntry(set, index, &entry); ++index) {
        FixedText<512> id;
        if (!Dev().GetInstanceId(set, entry, id.Buffer()) || Upper(id.c_str()) != kDiskA) {
            continue;
        }
        seen = true;
        std::size_t length = id.size();
        char exact[512];
        EXPECT_TRUE(Dev().GetInstanceId(set, entry, TextBuffer{exact, length + 1}));
        EXPECT_EQ(Upper(exact), kDiskA);
        char small[512];
        std::memset(small, '#', sizeof small);
        EXPECT_FALSE(Dev().GetInstanceId(set, entry, TextBuffer{small, length}));
        EXPECT_EQ(std::string(small, length + 1), std::string(length + 1, '#'));
    }
    Dev().CloseDeviceSet(set);
    EXPECT_TRUE(seen);
}

TEST_F(ContractDevices, TheWalkEndsAfterTheLastEntry) {
    ASSERT_TRUE(Env().GiveDevice(kHdcClassGuid, kD3ivuru));
    DeviceSet set = Dev().OpenDeviceSet(kHdcClassGuid, "D3IVURU", 0);
    ASSERT_NE(set, kNoDeviceSet);
    DeviceEntry entry;
    EXPECT_TRUE(Dev().GetDeviceEntry(set, 0, &entry));
    EXPECT_FALSE(Dev().GetDeviceEntry(set, 1, &entry));
    EXPECT_FALSE(Dev().GetDeviceEntry(set, 1000, &entry));
    Dev().CloseDeviceSet(set);
}

TEST_F(ContractDevices, ARootThatIsNotLocatedLeavesTheNodeAlone) {
    DevNode root = 0xDEAD;
    bool located = Dev().LocateRootDevNode(&root);
    EXPECT_EQ(located, Env().LocatesRoot());
    if (!located) {
        EXPECT_EQ(root, 0xDEADu);
    }
}

}  // namespace
