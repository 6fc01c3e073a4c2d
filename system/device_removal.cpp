#include "system/device_removal.h"

#include <cstring>

#include "platform/run_log.h"

namespace {

using InstanceIdText = FixedText<512>;
using PatternText = FixedText<12>;

// A device set of one class and enumerator holds a handful of entries; a
// platform that never reports the last one must not hold the setup forever.
constexpr std::uint32_t kMaxEntriesPerPass = 65536;

// "VID_" or "PID_" followed by an id text, in capitals.
PatternText Pattern(const char* prefix, const FixedText<5>& id) {
    PatternText pattern;
    pattern.Assign(prefix);
    pattern.Append(id.c_str());
    pattern.ToUpper();
    return pattern;
}

// Walks every entry of one device set, handing each entry whose instance id
// can be read to `visit` with the id in capitals. Entries whose id cannot be
// read are passed over. False when the set could not be opened: nothing was
// looked at.
template <typename Visit>
bool ForEachDeviceEntry(DeviceServices& devices, const ClassGuid& classGuid, const char* enumerator,
                        std::uint32_t flags, Visit visit) {
    DeviceSet set = devices.OpenDeviceSet(classGuid, enumerator, flags);
    if (set == kNoDeviceSet) {
        return Logged(devices.runLog, false, "", "list the device entries of",
                      enumerator != nullptr ? enumerator : "");
    }
    DeviceEntry entry;
    for (std::uint32_t index = 0;
         index < kMaxEntriesPerPass && devices.GetDeviceEntry(set, index, &entry); ++index) {
        InstanceIdText instanceId;
        if (!devices.GetInstanceId(set, entry, instanceId.Buffer())) {
            continue;
        }
        instanceId.Seal();
        instanceId.ToUpper();
        visit(set, entry, instanceId.c_str());
    }
    devices.CloseDeviceSet(set);
    return true;
}

}  // namespace

const TargetId* FindTargetIdIn(const char* instanceId, const TargetId* targetIds,
                               std::size_t listSize) {
    InstanceIdText id;
    if (!id.Assign(instanceId)) {
        return nullptr;
    }
    id.ToUpper();
    for (std::size_t i = 0; i < listSize; ++i) {
        const TargetId& target = targetIds[i];
        if (target.vid.empty() || target.pid.empty()) {
            break;
        }
        // Two searches on their own: the ids may stand in either order, and
        // a pattern may be the start of a longer run of characters.
        PatternText vendor = Pattern("VID_", target.vid);
        PatternText product = Pattern("PID_", target.pid);
        if (std::strstr(id.c_str(), vendor.c_str()) != nullptr &&
            std::strstr(id.c_str(), product.c_str()) != nullptr) {
            return &target;
        }
    }
    return nullptr;
}

int RemoveMatchingDevices(DeviceServices& devices, const TargetId* targetIds, std::size_t listSize,
                          const ClassGuid& classGuid, const char* enumerator, std::uint32_t flags,
                          int* matched) {
    int removed = 0;
    ForEachDeviceEntry(
        devices, classGuid, enumerator, flags,
        [&](DeviceSet set, const DeviceEntry& entry, const char* instanceId) {
            if (FindTargetIdIn(instanceId, targetIds, listSize) == nullptr) {
                return;
            }
            if (matched != nullptr) {
                ++*matched;
            }
            // One removal per entry: a failed one is neither
            // retried nor tried with a later target id.
            if (Logged(devices.runLog, devices.RemoveDevice(set, entry), "removed the device entry",
                       "remove the device entry", instanceId)) {
                ++removed;
            }
        });
    return removed;
}

namespace {

// Where the disk's entries live: the USB class by its own enumerator, and the
// hard disk controller class by "USB" and by the disk's own enumerator.
struct Pass {
    const ClassGuid& classGuid;
    const char* enumerator;
};

const Pass kPasses[] = {
    {kUsbClassGuid, kUsbEnumerator},
    {kHdcClassGuid, kUsbEnumerator},
    {kHdcClassGuid, kD3ivuruEnumerator},
};

}  // namespace

int RemoveTargetDevices(DeviceServices& devices, const TargetId* targetIds, std::size_t listSize,
                        int* matched) {
    int removed = 0;
    for (const Pass& pass : kPasses) {
        removed += RemoveMatchingDevices(devices, targetIds, listSize, pass.classGuid,
                                         pass.enumerator, 0, matched);
    }
    return removed;
}

int CountTargetDevices(DeviceServices& devices, const TargetId* targetIds, std::size_t listSize) {
    int found = 0;
    for (const Pass& pass : kPasses) {
        bool looked =
            ForEachDeviceEntry(devices, pass.classGuid, pass.enumerator, 0,
                               [&](DeviceSet, const DeviceEntry&, const char* instanceId) {
                                   if (FindTargetIdIn(instanceId, targetIds, listSize) != nullptr) {
                                       ++found;
                                   }
                               });
        if (!looked) {
            return kCouldNotLook;
        }
    }
    return found;
}
