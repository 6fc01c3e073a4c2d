// Device sets of one class made by one enumerator, and removal during a walk.
#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "tests/contract/tree_env.h"

namespace {

// Vendor F00D is no one's: the tests see only their own entries.
constexpr char kDiskA[] = "USB\\VID_F00D&PID_C001\\5&1A&0&1";
constexpr char kDiskB[] = "USB\\VID_F00D&PID_C002\\5&1A&0&2";
constexpr char kDiskC[] = "USB\\VID_F00D&PID_C003\\5&1A&0&3";
constexpr char kController[] = "USB\\VID_F00D&PID_C004&MI_00\\6&2B&0&0";
constexpr char kD3ivuru[] = "D3IVURU\\VID_F00D&PID_C005\\7&3C&0";

TEST_F(ContractTest, ADeviceSetHoldsOneClassOfOneEnumeratorAndAWalkOutlivesRemoval) {
    ASSERT_TRUE(
        Env().GiveDevice(kUsbClassGuid, kDiskA) && Env().GiveDevice(kUsbClassGuid, kDiskB) &&
        Env().GiveDevice(kUsbClassGuid, kDiskC) && Env().GiveDevice(kHdcClassGuid, kController) &&
        Env().GiveDevice(kHdcClassGuid, kD3ivuru));
    const struct {
        const ClassGuid& classGuid;
        const char* enumerator;
        const char* remove;  // removed when the walk meets it
        std::vector<std::string> walked;
    } rows[] = {
        {kHdcClassGuid, "USB", "", {kController}},
        {kHdcClassGuid, "D3IVURU", "", {kD3ivuru}},
        {kUsbClassGuid, "D3IVURU", "", {}},
        {kUsbClassGuid, "USB", kDiskA, {kDiskA, kDiskB, kDiskC}},
        {kUsbClassGuid, "USB", "", {kDiskB, kDiskC}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.enumerator) + " " + row.remove);
        DeviceSet set = Dev().OpenDeviceSet(row.classGuid, row.enumerator, 0);
        ASSERT_NE(set, kNoDeviceSet);
        std::vector<std::string> walked;
        DeviceEntry entry;
        for (std::uint32_t i = 0; i < 10000 && Dev().GetDeviceEntry(set, i, &entry); ++i) {
            char id[512];
            ASSERT_TRUE(Dev().GetInstanceId(set, entry, TextBuffer{id, sizeof id}));
            std::string upper(id);
            std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
            if (upper.find("VID_F00D") != std::string::npos) {
                walked.push_back(upper);
            }
            if (upper == row.remove) {
                EXPECT_TRUE(Dev().RemoveDevice(set, entry));
            }
        }
        Dev().CloseDeviceSet(set);
        std::sort(walked.begin(), walked.end());
        EXPECT_EQ(walked, row.walked);
    }
    EXPECT_FALSE(Env().HasDevice(kDiskA));
    EXPECT_TRUE(Env().HasDevice(kDiskB));
}

}  // namespace
