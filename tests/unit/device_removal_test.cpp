#include "system/device_removal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/fake/machine.h"

namespace {

using TargetList = std::array<TargetId, kMaxTargetIds + 1>;

TargetList Targets(std::initializer_list<std::pair<const char*, const char*>> ids) {
    TargetList list;
    std::size_t i = 0;
    for (const auto& id : ids) {
        list[i].vid.Assign(id.first);
        list[i].pid.Assign(id.second);
        ++i;
    }
    return list;
}

// Which list entry an instance id matches: its index, or -1.
int MatchIndex(const char* instanceId, const TargetList& list) {
    const TargetId* found = FindTargetIdIn(instanceId, list.data(), list.size());
    return found == nullptr ? -1 : static_cast<int>(found - list.data());
}

TEST(FindTargetIdIn, MatchingRules) {
    const TargetList one = Targets({{"0EA0", "2168"}});
    const TargetList two = Targets({{"0EA0", "2168"}, {"1234", "ABCD"}});
    const TargetList both = Targets({{"0EA0", "6803"}, {"0EA0", "6803"}});
    const TargetList lowerList = Targets({{"0ea0", "abcd"}});
    const TargetList endsAtEmptyPid = Targets({{"0EA0", ""}, {"1234", "ABCD"}});
    const TargetList empty;
    struct Case {
        const char* name;
        const char* instanceId;
        const TargetList& list;
        int match;
    } cases[] = {
        {"plain", "USB\\VID_0EA0&PID_2168\\5&1A2B&0&1", one, 0},
        {"small letters in the id", "usb\\vid_0ea0&pid_2168\\5&1a2b&0&1", one, 0},
        {"small letters in the list", "USB\\VID_0EA0&PID_ABCD\\1", lowerList, 0},
        {"product before vendor", "USBSTOR\\PID_2168&VID_0EA0\\1", one, 0},
        {"a pattern followed by a fifth character", "USB\\VID_0EA01&PID_21689\\1", one, 0},
        {"ids of two different entries", "USB\\VID_0EA0&PID_ABCD\\1", two, -1},
        {"second entry", "USB\\VID_1234&PID_ABCD\\1", two, 1},
        {"first of two matching entries", "USB\\VID_0EA0&PID_6803\\1", both, 0},
        {"only the vendor", "USB\\VID_0EA0&PID_9999\\1", one, -1},
        {"ids without their prefixes", "USB\\0EA0&2168\\1", one, -1},
        {"the list ends at an empty product id", "USB\\VID_1234&PID_ABCD\\1", endsAtEmptyPid, -1},
        {"empty list", "USB\\VID_0EA0&PID_2168\\1", empty, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchIndex(c.instanceId, c.list), c.match) << c.name;
    }
}

TEST(FindTargetIdIn, AListWithoutItsEndStopsAtItsSize) {
    TargetList list = Targets({{"1111", "2222"}, {"0EA0", "2168"}});
    EXPECT_EQ(FindTargetIdIn("USB\\VID_0EA0&PID_2168\\1", list.data(), 1), nullptr);
    EXPECT_EQ(FindTargetIdIn("USB\\VID_0EA0&PID_2168\\1", list.data(), 2), &list[1]);
}

constexpr char kDisk[] = "USB\\VID_0EA0&PID_2168\\5&1A2B3C4D&0&1";
constexpr char kDiskOtherPort[] = "USB\\VID_0EA0&PID_2168\\5&1A2B3C4D&0&2";
constexpr char kMouse[] = "USB\\VID_046D&PID_C016\\5&1A2B3C4D&0&3";
constexpr char kDiskController[] = "USB\\VID_0EA0&PID_2168&MI_00\\6&2B3C&0&0000";
constexpr char kDiskD3ivuru[] = "D3IVURU\\VID_0EA0&PID_2168\\7&3C4D&0";

struct RemovalTest : ::testing::Test {
    fake::Machine m;
    TargetList targets = Targets({{"0EA0", "2168"}});

    int Pass(const ClassGuid& classGuid, const char* enumerator, std::uint32_t flags = 0) {
        return RemoveMatchingDevices(m.devices, targets.data(), targets.size(), classGuid,
                                     enumerator, flags);
    }
    int Sweep() { return RemoveTargetDevices(m.devices, targets.data(), targets.size()); }
    std::size_t Calls(fake::Op op) const {
        const auto& log = m.faults.Log();
        return static_cast<std::size_t>(std::count(log.begin(), log.end(), op));
    }
};

TEST_F(RemovalTest, RemovesPresentAndAbsentEntriesOfTheDiskAndNothingElse) {
    m.givenDevice(kUsbClassGuid, kDisk);
    m.givenDevice(kUsbClassGuid, kMouse);
    m.givenDevice(kUsbClassGuid, kDiskOtherPort, /*present=*/false);

    EXPECT_EQ(Pass(kUsbClassGuid, "USB"), 2);
    EXPECT_EQ(m.devices.InstanceIds(), std::vector<std::string>{kMouse});
    EXPECT_EQ(m.devices.OpenSetCount(), 0u) << "the set is freed";
}

TEST_F(RemovalTest, EachPassOpensItsClassAndEnumeratorWithTheFlagsAsGiven) {
    Pass(kHdcClassGuid, "D3IVURU", kDeviceSetPresent);
    ASSERT_EQ(m.devices.SetRequests().size(), 1u);
    const fake::DeviceSetRequest& request = m.devices.SetRequests()[0];
    EXPECT_TRUE(request.classGuid == kHdcClassGuid);
    EXPECT_EQ(request.enumerator, "D3IVURU");
    EXPECT_EQ(request.flags, kDeviceSetPresent);
}

TEST_F(RemovalTest, FailedRemovalsAreNotCountedNorRetriedInThePass) {
    m.devices.Add(fake::FakeDevice{kUsbClassGuid, kDisk, true, /*removalFails=*/true});
    m.givenDevice(kUsbClassGuid, kDiskOtherPort);
    // Two list entries match the stuck entry; it is still tried only once.
    targets = Targets({{"0EA0", "2168"}, {"0ea0", "2168"}});

    EXPECT_EQ(Pass(kUsbClassGuid, "USB"), 1);
    EXPECT_EQ(Calls(fake::Op::RemoveDevice), 2u);
    EXPECT_EQ(m.devices.InstanceIds(), std::vector<std::string>{kDisk});
}

TEST_F(RemovalTest, EntriesNextToARemovedOneAreStillVisited) {
    m.givenDevice(kUsbClassGuid, kDisk);
    m.givenDevice(kUsbClassGuid, kDiskOtherPort);
    m.givenDevice(kUsbClassGuid, kMouse);
    m.givenDevice(kUsbClassGuid, "USB\\VID_0EA0&PID_2168\\5&1A2B3C4D&0&4");
    EXPECT_EQ(Pass(kUsbClassGuid, "USB"), 3);
    EXPECT_EQ(m.devices.InstanceIds(), std::vector<std::string>{kMouse});
}

TEST_F(RemovalTest, PassOutcomes) {
    struct Case {
        const char* name;
        fake::Op failing;  // fails at every call
        int removed;
    } cases[] = {
        {"set cannot be opened", fake::Op::OpenDeviceSet, 0},
        {"no entry can be listed", fake::Op::GetDeviceEntry, 0},
        {"no instance id can be read", fake::Op::GetInstanceId, 0},
        {"every removal fails", fake::Op::RemoveDevice, 0},
        {"freeing the set is not a failure", fake::Op::CloseDeviceSet, 2},
    };
    for (const Case& c : cases) {
        fake::Machine fresh;
        fresh.givenDevice(kUsbClassGuid, kDisk);
        fresh.givenDevice(kUsbClassGuid, kDiskOtherPort);
        fresh.faults.FailAlways(c.failing);
        EXPECT_EQ(RemoveMatchingDevices(fresh.devices, targets.data(), targets.size(),
                                        kUsbClassGuid, "USB", 0),
                  c.removed)
            << c.name;
        EXPECT_EQ(fresh.devices.OpenSetCount(), 0u) << c.name;
    }
}

TEST_F(RemovalTest, AnInstanceIdThatDoesNotFit512BytesIsPassedOver) {
    std::string longId = std::string(kDisk) + std::string(511 - sizeof kDisk + 1, 'X');
    std::string tooLong = longId + "Y";
    ASSERT_EQ(longId.size(), 511u);
    m.givenDevice(kUsbClassGuid, tooLong);
    m.givenDevice(kUsbClassGuid, longId);
    EXPECT_EQ(Pass(kUsbClassGuid, "USB"), 1);
    EXPECT_EQ(m.devices.InstanceIds(), std::vector<std::string>{tooLong});
}

TEST_F(RemovalTest, SweepRunsTheThreePassesInOrderAndSumsThem) {
    m.givenDevice(kUsbClassGuid, kDisk);
    m.givenDevice(kHdcClassGuid, kDiskController);
    m.givenDevice(kHdcClassGuid, kDiskD3ivuru, /*present=*/false);
    // Not looked at: the disk's id under another class or enumerator.
    m.givenDevice(kUsbClassGuid, "D3IVURU\\VID_0EA0&PID_2168\\1");
    m.givenDevice(kHdcClassGuid, "USBSTOR\\VID_0EA0&PID_2168\\1");

    EXPECT_EQ(Sweep(), 3);
    const auto& requests = m.devices.SetRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(requests[0].classGuid == kUsbClassGuid);
    EXPECT_EQ(requests[0].enumerator, "USB");
    EXPECT_TRUE(requests[1].classGuid == kHdcClassGuid);
    EXPECT_EQ(requests[1].enumerator, "USB");
    EXPECT_TRUE(requests[2].classGuid == kHdcClassGuid);
    EXPECT_EQ(requests[2].enumerator, "D3IVURU");
    for (const auto& request : requests) {
        EXPECT_EQ(request.flags, 0u);
    }
    EXPECT_EQ(m.devices.InstanceIds(), (std::vector<std::string>{"D3IVURU\\VID_0EA0&PID_2168\\1",
                                                                 "USBSTOR\\VID_0EA0&PID_2168\\1"}));
    EXPECT_EQ(Sweep(), 0) << "the caller's loop ends";
}

TEST_F(RemovalTest, SweepWithAnEmptyListRemovesNothing) {
    m.givenDevice(kUsbClassGuid, kDisk);
    targets = TargetList{};
    EXPECT_EQ(Sweep(), 0);
    EXPECT_EQ(m.devices.SetRequests().size(), 3u) << "all three passes still run";
    EXPECT_TRUE(m.devices.Has(kDisk));
}

TEST_F(RemovalTest, AnEntryTheSystemCreatesAgainWaitsForTheNextSweep) {
    m.givenDevice(kUsbClassGuid, kDisk);
    int recreated = 0;
    m.devices.onRemove = [&](const fake::FakeDevice& removed) {
        if (recreated < 2) {
            ++recreated;
            m.devices.Add(removed);
        }
    };
    EXPECT_EQ(Sweep(), 1);
    EXPECT_EQ(Sweep(), 1);
    EXPECT_EQ(Sweep(), 1);
    EXPECT_EQ(Sweep(), 0);
}

// A platform whose device set never reports its end.
class EndlessDevices : public fake::FakeDevices {
  public:
    using FakeDevices::FakeDevices;
    bool GetDeviceEntry(DeviceSet, std::uint32_t, DeviceEntry* entry) override {
        ++listed;
        *entry = DeviceEntry{};
        return true;
    }
    bool GetInstanceId(DeviceSet, const DeviceEntry&, TextBuffer out) override {
        std::snprintf(out.data, out.capacity, "%s", "USB\\VID_0EA0&PID_2168\\1");
        return true;
    }
    bool RemoveDevice(DeviceSet, const DeviceEntry&) override { return true; }
    std::uint64_t listed = 0;
};

TEST_F(RemovalTest, APassEndsEvenWhenTheSetNeverEnds) {
    EndlessDevices endless(m.faults);
    int removed =
        RemoveMatchingDevices(endless, targets.data(), targets.size(), kUsbClassGuid, "USB", 0);
    EXPECT_EQ(removed, 65536);
    EXPECT_EQ(endless.listed, 65536u);
}

}  // namespace
