// The package folder as pkgcheck reads it: the files that Windows could name,
// in name order, placed as the setup program finds them (C:\PKG, or the root
// of drive A:).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/host_computer.h"

namespace fake {
struct Machine;
}

namespace pkgcheck {

// The files in name order: the order in which the fake disk lists them, since
// they are written to it in this order.
struct Package {
    std::string hostFolder;
    std::string sourceDir;  // C:\PKG, or A: for a package at a drive's root
    std::vector<FolderFile> files;
    std::vector<std::string> skipped;  // with the reason

    std::string PathOf(const std::string& name) const;
    // The file of that name, as Windows compares names; null when none.
    const FolderFile* Find(const std::string& name) const;
    // Its files on the machine's disk, in their folder.
    void PutOn(fake::Machine& m) const;
};

// Reads the folder's files; false, with the message in `err`, when the folder
// cannot be read.
bool ReadPackage(HostComputer& computer, const std::string& folder, Package* package,
                 std::string& err);

std::string Quoted(const std::string& text);
// The text left-aligned in a column of `width` characters.
std::string Padded(const char* text, std::size_t width);

}  // namespace pkgcheck
