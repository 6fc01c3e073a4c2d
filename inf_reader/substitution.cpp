// %token% substitution: "%%", the [Strings] tokens and the directory ids of the machine
// being served.
#include <algorithm>
#include <climits>

#include "inf_reader/document.h"
#include "inf_reader/inf_reader.h"
#include "inf_reader/wide_text.h"

namespace inf_reader {

namespace {

constexpr std::size_t kMaxSubstitutedChars = 4097;

}  // namespace

// The value for %name%: "%" for %%, then [Strings], then a directory id. A backslash right
// after a directory id replaces the id's own trailing one; after a string it does not.
bool Document::LookUpToken(const Wide& name, bool backslashFollows, Wide* value) const {
    if (name.empty()) {
        *value = u"%";
        return true;
    }
    auto it = strings.find(AsciiUpper(name));
    if (it != strings.end()) {
        *value = FieldText(it->second);
        return true;
    }
    long long id = 0;
    if (!ParseLong(name.data(), name.data() + name.size(), 10, true, &id)) {
        return false;
    }
    if (id == 1) {
        *value = infFolder;
    } else {
        auto dir =
            id >= INT_MIN && id <= INT_MAX ? dirIds.find(static_cast<int>(id)) : dirIds.end();
        if (dir == dirIds.end()) {
            return false;
        }
        *value = dir->second;
    }
    if (backslashFollows && !value->empty() && value->back() == u'\\') {
        value->pop_back();
    }
    return true;
}

// One pass, left to right; unknown tokens and a lone '%' stay as written.
Wide Document::Substitute(std::uint32_t index) const {
    const Field& f = fields[index];
    const char16_t* text = pool.data() + f.offset;
    const char16_t* end = text + f.length;
    Wide out;
    auto append = [&](const char16_t* s, std::size_t n) {
        out.append(s, std::min(n, kMaxSubstitutedChars - out.size()));
    };
    const char16_t* start = text;
    const char16_t* p = text;
    bool inside = false;
    Wide value;
    for (; p < end; ++p) {
        if (*p != u'%') {
            continue;
        }
        inside = !inside;
        if (inside) {
            append(start, static_cast<std::size_t>(p - start));
            start = p;
            continue;
        }
        Wide name(start + 1, p);
        bool backslashFollows = p + 1 < end && p[1] == u'\\';
        if (LookUpToken(name, backslashFollows, &value)) {
            append(value.data(), value.size());
        } else {
            append(start, static_cast<std::size_t>(p - start + 1));
        }
        start = p + 1;
    }
    append(start, static_cast<std::size_t>(p - start));
    return out;
}

void Document::BuildIndexes() {
    int stringsSection = FindSection(u"Strings");
    if (stringsSection >= 0) {
        for (const Line& line : sections[stringsSection].lines) {
            if (line.key >= 0 && line.count > 0) {
                // The first definition wins.
                strings.emplace(AsciiUpper(FieldText(line.key)), line.first);
            }
        }
    }
    for (Section& section : sections) {
        for (std::uint32_t i = 0; i < section.lines.size(); ++i) {
            const Line& line = section.lines[i];
            if (line.key >= 0) {
                section.firstLineByKey.emplace(AsciiUpper(Substitute(line.key)), i);
            }
        }
    }
}

// Windows 98 installed on C:. %12% is the I/O subsystem folder there (it is the drivers
// folder only on NT). Ids not listed, among them %0%, stay as written, as a Windows 95
// machine shows them.
DirIdTable DirIdTable::Windows98() {
    DirIdTable table;
    table.paths = {
        {10, "C:\\WINDOWS"},
        {11, "C:\\WINDOWS\\SYSTEM"},
        {12, "C:\\WINDOWS\\SYSTEM\\IOSUBSYS"},
        {13, "C:\\WINDOWS\\COMMAND"},
        {17, "C:\\WINDOWS\\INF"},
        {18, "C:\\WINDOWS\\HELP"},
        {20, "C:\\WINDOWS\\FONTS"},
        {22, "C:\\WINDOWS\\SYSTEM\\VMM32"},
        {23, "C:\\WINDOWS\\SYSTEM\\COLOR"},
        {24, "C:\\"},
        {25, "C:\\WINDOWS"},
        {30, "C:\\"},
    };
    return table;
}

// A 32-bit Wine prefix. -1 (absolute) and 0xFFFF read as the null id, which is empty.
DirIdTable DirIdTable::Wine() {
    DirIdTable table;
    table.paths = {
        {-1, ""},
        {0, ""},
        {10, "C:\\windows"},
        {11, "C:\\windows\\system32"},
        {12, "C:\\windows\\system32\\drivers"},
        {17, "C:\\windows\\inf"},
        {18, "C:\\windows\\help"},
        {20, "C:\\windows\\fonts"},
        {23, "C:\\windows\\system32\\spool\\drivers\\color"},
        {24, "C:\\"},
        {25, "C:\\windows"},
        {30, "C:\\"},
        {50, "C:\\windows\\system"},
        {51, "C:\\windows\\system32\\spool"},
        {52, "C:\\windows\\system32\\spool\\drivers"},
        {54, "C:\\"},
        {55, "C:\\windows\\system32\\spool\\prtprocs\\w32x86"},
        {0xFFFF, ""},
    };
    return table;
}

}  // namespace inf_reader
