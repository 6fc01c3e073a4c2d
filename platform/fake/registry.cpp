#include "platform/fake/registry.h"

#include "platform/fake/file_system.h"

namespace fake {

namespace {

// Registry names fold case as paths do.
std::string Fold(const std::string& name) {
    return FileSystem::Key(name);
}

}  // namespace

Registry::Registry() {
    CreateKey("Software\\Microsoft\\Windows\\CurrentVersion");
}

void Registry::CreateKey(const std::string& keyPath) {
    keys_[Fold(keyPath)];
}

bool Registry::SetText(const std::string& keyPath, const std::string& valueName,
                       const std::string& text) {
    auto key = keys_.find(Fold(keyPath));
    if (key == keys_.end()) {
        return false;
    }
    key->second[Fold(valueName)] = text;
    return true;
}

std::string Registry::Text(const std::string& keyPath, const std::string& valueName) const {
    auto key = keys_.find(Fold(keyPath));
    if (key == keys_.end()) {
        return std::string();
    }
    auto value = key->second.find(Fold(valueName));
    return value == key->second.end() ? std::string() : value->second;
}

}  // namespace fake
