#include "tools/pkgcheck/package.h"

#include <algorithm>
#include <utility>

#include "platform/fake/machine.h"

namespace pkgcheck {

namespace {

// Windows refuses these in a file name; the fake disk would misread them.
bool IsWindowsFileName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

bool SameName(const std::string& a, const std::string& b) {
    return fake::FileSystem::Key(a) == fake::FileSystem::Key(b);
}

}  // namespace

std::string Package::PathOf(const std::string& name) const {
    return sourceDir + "\\" + name;
}

const FolderFile* Package::Find(const std::string& name) const {
    for (const FolderFile& file : files) {
        if (SameName(file.name, name)) {
            return &file;
        }
    }
    return nullptr;
}

void Package::PutOn(fake::Machine& m) const {
    m.files.MakeFolder(sourceDir);
    for (const FolderFile& file : files) {
        m.givenFile(PathOf(file.name), file.bytes);
    }
}

bool ReadPackage(HostComputer& computer, const std::string& folder, Package* package,
                 std::string& err) {
    std::vector<FolderFile> files;
    std::string error;
    if (!computer.ReadFolder(folder, &files, &package->skipped, &error)) {
        err += "pkgcheck: " + error + "\n";
        return false;
    }
    for (FolderFile& file : files) {
        if (IsWindowsFileName(file.name)) {
            package->files.push_back(std::move(file));
        } else {
            package->skipped.push_back(file.name + ": not a Windows file name");
        }
    }
    std::sort(package->files.begin(), package->files.end(),
              [](const FolderFile& a, const FolderFile& b) { return a.name < b.name; });
    std::sort(package->skipped.begin(), package->skipped.end());
    return true;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Padded(const char* text, std::size_t width) {
    std::string padded = text;
    if (padded.size() < width) {
        padded.append(width - padded.size(), ' ');
    }
    return padded;
}

}  // namespace pkgcheck
