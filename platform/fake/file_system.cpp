#include "platform/fake/file_system.h"

#include <algorithm>
#include <cstring>

namespace fake {

namespace {

// Windows compares paths without regard to the case of ASCII letters.
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string NameOf(const std::string& path) {
    std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

std::string FileSystem::FolderOf(const std::string& path) {
    std::size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string FileSystem::Key(const std::string& path) {
    std::string key = path;
    for (char& c : key) {
        c = Upper(c == '/' ? '\\' : c);
    }
    while (key.size() > 3 && key.back() == '\\') {
        key.pop_back();
    }
    return key;
}

void FileSystem::Put(const std::string& path, const std::string& bytes, std::uint32_t attributes) {
    std::string key = Key(path);
    auto it = files_.find(key);
    if (it != files_.end()) {
        it->second.bytes = bytes;
        it->second.attributes = attributes;
        return;
    }
    File file;
    file.path = path;
    file.bytes = bytes;
    file.attributes = attributes;
    file.created = nextSerial_++;
    files_[key] = file;
    // The folders above a file exist.
    for (std::string folder = FolderOf(path); folder.size() > 2; folder = FolderOf(folder)) {
        MakeFolder(folder);
    }
}

const File* FileSystem::Find(const std::string& path) const {
    auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : &it->second;
}

File* FileSystem::Find(const std::string& path) {
    auto it = files_.find(Key(path));
    return it == files_.end() ? nullptr : &it->second;
}

std::string FileSystem::Read(const std::string& path) const {
    const File* file = Find(path);
    return file ? file->bytes : std::string();
}

bool FileSystem::Remove(const std::string& path) {
    return files_.erase(Key(path)) != 0;
}

void FileSystem::Rename(const std::string& from, const std::string& to) {
    auto it = files_.find(Key(from));
    if (it == files_.end()) {
        return;
    }
    File file = it->second;
    files_.erase(it);
    file.path = to;
    files_[Key(to)] = file;
}

void FileSystem::MakeFolder(const std::string& path) {
    folders_.emplace(Key(path), path);
}

bool FileSystem::FolderExists(const std::string& path) const {
    std::string key = Key(path);
    bool driveRoot = key.size() == 2 && key[1] == ':';
    return driveRoot || folders_.count(key) != 0;
}

bool FileSystem::WildcardMatch(const char* pattern, const char* name) {
    // As on Windows, "name.*" also lists "name": a missing extension is an
    // empty one.
    std::size_t length = std::strlen(pattern);
    if (length >= 2 && std::strcmp(pattern + length - 2, ".*") == 0 &&
        std::strchr(name, '.') == nullptr) {
        return MatchRun(std::string(pattern, length - 2).c_str(), name);
    }
    return MatchRun(pattern, name);
}

bool FileSystem::MatchRun(const char* pattern, const char* name) {
    // Iterative match with one back-track point for the last `*`.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern != '\0' && Upper(*pattern) == Upper(*name))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

std::vector<std::string> FileSystem::List(const std::string& pattern) const {
    std::string folderKey = Key(FolderOf(pattern));
    std::string mask = NameOf(pattern);
    std::vector<std::string> names;
    for (const File* file : All()) {
        if (Key(FolderOf(file->path)) == folderKey &&
            WildcardMatch(mask.c_str(), NameOf(file->path).c_str())) {
            names.push_back(NameOf(file->path));
        }
    }
    return names;
}

std::vector<const File*> FileSystem::All() const {
    std::vector<const File*> all;
    for (const auto& entry : files_) {
        all.push_back(&entry.second);
    }
    // Creation order, as a FAT directory lists its entries.
    std::sort(all.begin(), all.end(),
              [](const File* a, const File* b) { return a->created < b->created; });
    return all;
}

}  // namespace fake
