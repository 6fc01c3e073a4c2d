// The fake machine's disk: case-insensitive Windows paths, files with bytes and
// attributes, folders, and wildcard listing in creation order (as FAT lists).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace fake {

constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrNormal = 0x80;

struct File {
    std::string path;  // as first spelled
    std::string bytes;
    std::uint32_t attributes = kAttrNormal;
    std::uint64_t created = 0;
    int openHere = 0;            // handles of this program
    bool openElsewhere = false;  // another program holds it open, sharing nothing
};

class FileSystem {
  public:
    // Creates or overwrites a file; the folders above it come into being.
    void Put(const std::string& path, const std::string& bytes,
             std::uint32_t attributes = kAttrNormal);
    bool Exists(const std::string& path) const { return Find(path) != nullptr; }
    // Bytes of a file; empty when missing.
    std::string Read(const std::string& path) const;
    const File* Find(const std::string& path) const;
    File* Find(const std::string& path);
    bool Remove(const std::string& path);
    // Renames without any check; the caller decides what may be renamed.
    void Rename(const std::string& from, const std::string& to);
    void MakeFolder(const std::string& path);
    bool FolderExists(const std::string& path) const;

    // Names (no folder) of the files in the pattern's folder whose names match
    // its last part (`*` any run, `?` one character, case-insensitive).
    std::vector<std::string> List(const std::string& pattern) const;
    // Every file, in creation order.
    std::vector<const File*> All() const;

    static bool WildcardMatch(const char* pattern, const char* name);
    static std::string Key(const std::string& path);  // upper-cased, one form of each path
    static std::string FolderOf(const std::string& path);

  private:
    static bool MatchRun(const char* pattern, const char* name);

    std::map<std::string, File> files_;
    std::map<std::string, std::string> folders_;
    std::uint64_t nextSerial_ = 0;
};

}  // namespace fake
