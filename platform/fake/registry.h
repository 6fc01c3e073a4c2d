// The fake machine's registry under HKEY_LOCAL_MACHINE: keys and text values,
// names compared without regard to case.
#pragma once

#include <map>
#include <string>

namespace fake {

class Registry {
  public:
    // A fresh machine has the keys every Windows has.
    Registry();

    void CreateKey(const std::string& keyPath);
    // False when the key does not exist.
    bool SetText(const std::string& keyPath, const std::string& valueName, const std::string& text);
    // Empty when the value does not exist.
    std::string Text(const std::string& keyPath, const std::string& valueName) const;

  private:
    std::map<std::string, std::map<std::string, std::string>> keys_;
};

}  // namespace fake
