// One fake computer: its disk, its system and window services, its clock and
// the faults injected into it. Tests set it up with small helpers.
#pragma once

#include <string>

#include "platform/fake/fake_system.h"
#include "platform/fake/fake_windows.h"
#include "platform/fake/faults.h"
#include "platform/fake/file_system.h"

namespace fake {

struct Machine {
    Faults faults;
    VirtualClock clock;
    FileSystem files;
    FakeSystem system{faults, files};
    FakeWindows windows{faults, clock};

    void givenFile(const std::string& path, const std::string& bytes) { files.Put(path, bytes); }
    void givenString(unsigned id, const std::string& text) { windows.strings[id] = text; }
};

}  // namespace fake
