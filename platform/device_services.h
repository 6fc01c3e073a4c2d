// The device services: the system's device tree as the device-installation
// interface lists it, and the configuration manager that enumerates it again.
// Two implementations: platform/win32 (SETUPAPI and CFGMGR32, bound at run
// time) and platform/fake (an in-memory device tree).
#pragma once

#include <cstdint>

#include "platform/text.h"

class RunLog;

// A setup class GUID in the platform's layout: numeric fields as numbers, the
// last eight bytes in order.
struct ClassGuid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool operator==(const ClassGuid& a, const ClassGuid& b) {
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) {
        return false;
    }
    for (int i = 0; i < 8; ++i) {
        if (a.data4[i] != b.data4[i]) {
            return false;
        }
    }
    return true;
}

// {36FC9E60-C465-11CF-8056-444553540000}: USB controllers, hubs and devices.
constexpr ClassGuid kUsbClassGuid = {
    0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// {4D36E96A-E325-11CE-BFC1-08002BE10318}: hard disk controllers.
constexpr ClassGuid kHdcClassGuid = {
    0x4D36E96A, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// Device-set flags, handed to the platform unchanged. With none of them a set
// holds every entry of the class, present or absent.
constexpr std::uint32_t kDeviceSetPresent = 0x02;     // DIGCF_PRESENT
constexpr std::uint32_t kDeviceSetAllClasses = 0x04;  // DIGCF_ALLCLASSES

// An open device set; kNoDeviceSet when none.
using DeviceSet = std::uintptr_t;
constexpr DeviceSet kNoDeviceSet = 0;

// One entry of an open set. Opaque to callers; the real backend keeps the
// platform's device-information record in it.
struct DeviceEntry {
    std::uintptr_t words[8] = {};
};

// A node of the device tree (the platform's DEVINST).
using DevNode = std::uint32_t;

class DeviceServices {
  public:
    // The entries of a setup class created by a named enumerator, as they are
    // when the set is opened; empty when the enumerator never created one.
    // kNoDeviceSet when no set can be built: nothing could be looked at.
    virtual DeviceSet OpenDeviceSet(const ClassGuid& classGuid, const char* enumerator,
                                    std::uint32_t flags) = 0;
    virtual void CloseDeviceSet(DeviceSet set) = 0;
    // The entry at `index` (from 0); false past the last one or on failure.
    // Removing an entry does not move the others to other indexes.
    virtual bool GetDeviceEntry(DeviceSet set, std::uint32_t index, DeviceEntry* entry) = 0;
    // The entry's device instance id; false when it does not fit `out` with
    // its NUL (the buffer is then left as it was).
    virtual bool GetInstanceId(DeviceSet set, const DeviceEntry& entry, TextBuffer out) = 0;
    // Deletes the entry from the system for good; false when it could not.
    virtual bool RemoveDevice(DeviceSet set, const DeviceEntry& entry) = 0;

    // The root node of the device tree; false when it cannot be located.
    virtual bool LocateRootDevNode(DevNode* root) = 0;
    // Asks the system to enumerate the devices below `node` again. True when
    // the request was accepted; setting up what is found comes later.
    virtual bool ReenumerateDevNode(DevNode node) = 0;

    // The run's log while one is kept (platform/run_log.h).
    RunLog* runLog = nullptr;

  protected:
    // Never deleted through the interface.
    ~DeviceServices() = default;
};
