// Device services over SETUPAPI and CFGMGR32. Every call is bound at run time:
// the SETUPAPI and CFGMGR32 of Windows 98 are older than XP's, and a program
// that imported a missing call would not load at all. A call the system lacks
// fails like one that was refused.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/device_services.h"

class Win32Devices : public DeviceServices {
  public:
    Win32Devices();
    ~Win32Devices();
    Win32Devices(const Win32Devices&) = delete;
    Win32Devices& operator=(const Win32Devices&) = delete;

    DeviceSet OpenDeviceSet(const ClassGuid& classGuid, const char* enumerator,
                            std::uint32_t flags) override;
    void CloseDeviceSet(DeviceSet set) override;
    bool GetDeviceEntry(DeviceSet set, std::uint32_t index, DeviceEntry* entry) override;
    bool GetInstanceId(DeviceSet set, const DeviceEntry& entry, TextBuffer out) override;
    bool RemoveDevice(DeviceSet set, const DeviceEntry& entry) override;
    bool LocateRootDevNode(DevNode* root) override;
    bool ReenumerateDevNode(DevNode node) override;

    // Whether the system has every call (the rest work either way).
    bool HasEveryCall() const;

  private:
    struct Api;
    std::unique_ptr<Api> api_;
};
