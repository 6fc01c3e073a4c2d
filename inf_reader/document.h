// The parsed form of an open INF: its text pool, fields, lines and sections, and the indexes
// built over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "inf_reader/wide_text.h"

namespace inf_reader {

struct Field {
    std::uint32_t offset;  // into the text pool
    std::uint32_t length;
};

struct Line {
    std::uint32_t first;   // index of field 1
    std::uint32_t count;   // fields after the key
    std::int32_t key;      // index of the key field, -1 when the line has none
    std::uint32_t source;  // 1-based physical line where the entry begins
};

struct Section {
    Wide name;
    std::vector<Line> lines;
    // Substituted key, ASCII upper case -> first line with it. Ordered maps
    // throughout: pkgcheck.exe carries no hash table, whose runtime part is
    // built for the Pentium Pro.
    std::map<Wide, std::uint32_t> firstLineByKey;
};

// Everything an open INF keeps.
struct Document {
    Wide pool;
    std::vector<Field> fields;
    std::vector<Section> sections;
    std::map<Wide, int> sectionByName;      // ASCII upper case
    std::map<Wide, std::uint32_t> strings;  // token, ASCII upper case -> field
    std::map<int, Wide> dirIds;
    Wide infFolder;  // with its trailing backslash

    Wide FieldText(std::uint32_t index) const {
        const Field& f = fields[index];
        return pool.substr(f.offset, f.length);
    }

    int FindSection(const Wide& name) const {
        auto it = sectionByName.find(AsciiUpper(name));
        return it == sectionByName.end() ? -1 : it->second;
    }

    int AddSection(const Wide& name) {
        int index = FindSection(name);
        if (index < 0) {
            index = static_cast<int>(sections.size());
            sections.push_back(Section{name, {}, {}});
            sectionByName.emplace(AsciiUpper(name), index);
        }
        return index;
    }

    const Line* GetLine(int section, std::size_t line) const {
        if (section < 0 || static_cast<std::size_t>(section) >= sections.size() ||
            line >= sections[section].lines.size()) {
            return nullptr;
        }
        return &sections[section].lines[line];
    }

    bool SignatureAccepted() const;
    // %token% substitution (substitution.cpp).
    bool LookUpToken(const Wide& name, bool backslashFollows, Wide* value) const;
    Wide Substitute(std::uint32_t field) const;
    void BuildIndexes();
};

}  // namespace inf_reader
