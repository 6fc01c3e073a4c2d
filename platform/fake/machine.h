// One fake computer: its disk, its system and window services, its clock and
// the faults injected into it. Tests set it up with small helpers.
#pragma once

#include <string>

#include "platform/fake/fake_devices.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/faults.h"
#include "platform/fake/file_system.h"
#include "platform/fake/registry.h"

namespace fake {

struct Machine {
    Faults faults;
    VirtualClock clock;
    FileSystem files;
    Registry registry;
    FakeSystem system{faults, files, registry};
    FakeWindows windows{faults, clock};
    FakeDevices devices{faults};

    // The folders of a Windows 98 installation.
    Machine() {
        for (const char* folder :
             {"", "\\INF", "\\SYSTEM", "\\SYSTEM\\IOSUBSYS", "\\SYSTEM32", "\\SYSTEM32\\DRIVERS"}) {
            files.MakeFolder(system.windowsDirectory + folder);
        }
    }

    void givenFile(const std::string& path, const std::string& bytes) { files.Put(path, bytes); }
    void givenString(unsigned id, const std::string& text) { windows.strings[id] = text; }
    void givenDevice(const ClassGuid& classGuid, const std::string& instanceId,
                     bool present = true) {
        devices.Add(FakeDevice{classGuid, instanceId, present, false});
    }
};

}  // namespace fake
