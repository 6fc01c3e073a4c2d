#include "resources/string_table.h"

namespace {

constexpr unsigned kEnglish = 1033;

const std::map<unsigned, std::map<unsigned, std::string>>& AllTables() {
    static const auto tables = [] {
        std::map<unsigned, std::map<unsigned, std::string>> built;
        for (unsigned i = 0; i < kStringEntryCount; ++i) {
            const StringEntry& entry = kStringEntries[i];
            built[entry.language][entry.id] = entry.text;
        }
        return built;
    }();
    return tables;
}

}  // namespace

const std::vector<unsigned>& StringLanguages() {
    static const std::vector<unsigned> languages = {1033, 1028, 1041, 2052};
    return languages;
}

const std::map<unsigned, std::string>& StringTable(unsigned languageId) {
    static const std::map<unsigned, std::string> none;
    const auto& tables = AllTables();
    auto found = tables.find(languageId);
    return found == tables.end() ? none : found->second;
}

const std::map<unsigned, std::string>& StringTableForSystem(unsigned languageId) {
    const auto& own = StringTable(languageId);
    return own.empty() ? StringTable(kEnglish) : own;
}
