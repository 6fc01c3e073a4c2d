// What a tool reads from the computer it runs on: a folder's files, and the
// system's own INF reader. Linked in per build: pkgcheck's Linux computer
// (tools/pkgcheck/linux_computer.cpp) and Windows's
// (platform/win32/win32_host_computer.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_services.h"
#include "platform/inf_services.h"

struct FolderFile {
    std::string name;
    std::string bytes;
};

// Why the system's INF reader refused a file: its error code and the line it
// names.
struct InfRefusal {
    std::uint32_t code = 0;
    std::uint32_t line = 0;
    bool lineSet = false;
};

class HostComputer {
  public:
    // The files of `folder` in any order, and the entries that are no files
    // (with why); false, with a message in `error`, when it cannot be read.
    virtual bool ReadFolder(const std::string& folder, std::vector<FolderFile>* files,
                            std::vector<std::string>* skipped, std::string* error) = 0;
    // The system's own INF reader, opening the files that `disk` holds at the
    // paths it is given (a tool's machine may be in memory); nullptr where our
    // own reader stands in. The computer keeps it; it serves while `disk`
    // lasts.
    virtual InfServices* SystemInfReader(FileServices& disk) = 0;
    // The code and line of that reader's last refusal of OpenInf.
    virtual InfRefusal LastRefusal() = 0;

  protected:
    // Never deleted through the interface.
    ~HostComputer() = default;
};

// The computer this build runs on, chosen when linking.
HostComputer& ThisComputer();
