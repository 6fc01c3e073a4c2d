// Device services of the fake machine: a device tree whose entries tests
// choose (class, instance id, present or not, removal that fails) and a
// configuration manager whose answers tests choose.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/device_services.h"
#include "platform/fake/faults.h"

namespace fake {

struct FakeDevice {
    ClassGuid classGuid;
    // "USB\VID_ABCD&PID_1234\5&1A2B3C4D&0&1": the enumerator is its first part.
    std::string instanceId;
    bool present = true;
    bool removalFails = false;
};

class FakeDevices : public DeviceServices {
  public:
    explicit FakeDevices(Faults& faults);

    // Machine state that tests choose.
    void Add(const FakeDevice& device);
    void Clear() { tree_.clear(); }
    // The entries of another machine's tree, as they stand.
    void CopyTreeFrom(const FakeDevices& other) {
        tree_ = other.tree_;
        nextSerial_ = other.nextSerial_;
    }
    // Runs after each removal that succeeded: the system may create a fresh
    // entry for a disk that is still plugged in.
    std::function<void(const FakeDevice& removed)> onRemove;

    // What the system answers a device set with. SETUPAPI refuses the set of
    // an enumerator that never created an entry (ERROR_INVALID_DATA); with a
    // code here it refuses every set so, as after a failure of the
    // configuration manager. Whether an enumerator's key exists follows the
    // tree, unless the key cannot be read.
    std::uint32_t refuseSetsWith = 0;
    bool enumeratorKeysUnreadable = false;

    bool rootLocatable = true;
    bool reenumerationAccepted = true;
    DevNode rootDevNode = 1;
    // What the system does when asked to enumerate again (find the disk, open
    // its new-hardware wizard).
    std::function<void()> onReenumerate;

    bool Has(const std::string& instanceId) const;
    // Instance ids of the tree, oldest first.
    std::vector<std::string> InstanceIds() const;
    std::size_t OpenSetCount() const { return sets_.size(); }

    DeviceSet OpenDeviceSet(const ClassGuid& classGuid, const char* enumerator,
                            std::uint32_t flags) override;
    void CloseDeviceSet(DeviceSet set) override;
    bool GetDeviceEntry(DeviceSet set, std::uint32_t index, DeviceEntry* entry) override;
    bool GetInstanceId(DeviceSet set, const DeviceEntry& entry, TextBuffer out) override;
    bool RemoveDevice(DeviceSet set, const DeviceEntry& entry) override;
    bool LocateRootDevNode(DevNode* root) override;
    bool ReenumerateDevNode(DevNode node) override;

  private:
    bool HasEnumerator(const char* enumerator) const;
    // A set remembers its entries as they were when it was opened, like
    // SETUPAPI's device-information sets.
    struct Member {
        std::uint64_t serial;
        std::string instanceId;
    };
    const Member* MemberOf(DeviceSet set, const DeviceEntry& entry) const;

    Faults& faults_;
    std::map<std::uint64_t, FakeDevice> tree_;  // by serial: creation order
    std::uint64_t nextSerial_ = 1;
    std::map<DeviceSet, std::vector<Member>> sets_;
    DeviceSet nextSet_ = 1;
};

}  // namespace fake
