// Removal of the flash disk's entries from the system's device tree: every
// entry, present or absent, whose instance id holds the vendor and product id
// of one target id.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/device_services.h"
#include "platform/target_id.h"

// The enumerators whose entries the passes look at.
constexpr const char* kUsbEnumerator = "USB";
constexpr const char* kD3ivuruEnumerator = "D3IVURU";

// The first entry of the target id list (which ends at the first entry with
// an empty vendor or product id text, or after `listSize` entries) whose
// "VID_" and "PID_" patterns both stand in the instance id, in any order and
// case; nullptr when none does.
const TargetId* FindTargetIdIn(const char* instanceId, const TargetId* targetIds,
                               std::size_t listSize);

// One pass over the device set of a setup class and an enumerator: removes
// every entry that a target id matches. `flags` go to the platform unchanged.
// Returns how many removals succeeded; 0 when the set cannot be opened.
// `matched`, when given, grows by the entries of the disk the pass met.
int RemoveMatchingDevices(DeviceServices& devices, const TargetId* targetIds, std::size_t listSize,
                          const ClassGuid& classGuid, const char* enumerator, std::uint32_t flags,
                          int* matched = nullptr);

// One sweep: the USB class by the enumerator "USB", then the hard disk
// controller class by "USB" and by "D3IVURU". Returns the sum of the three
// passes; a sweep always ends, and the next one meets what this one could
// not remove. `matched`, when given, grows by the entries of the disk met.
int RemoveTargetDevices(DeviceServices& devices, const TargetId* targetIds, std::size_t listSize,
                        int* matched = nullptr);

// The entries of the disk that the passes of a sweep would meet now, or
// kCouldNotLook when a device set could not be opened: an empty count from a
// look that never happened would pass for a clean system.
constexpr int kCouldNotLook = -1;
int CountTargetDevices(DeviceServices& devices, const TargetId* targetIds, std::size_t listSize);
