// The reader follows what SETUPAPI under Wine answers on our vectors (tests/inf/vectors),
// except where Windows is known to differ: an ANSI file with a NUL byte opens, and UTF-16
// big-endian with a byte-order mark is read.
#include "inf_reader/inf_reader.h"

#include <algorithm>
#include <climits>

#include "inf_reader/ansi_text.h"
#include "inf_reader/decoding.h"
#include "inf_reader/document.h"
#include "inf_reader/line_parser.h"
#include "inf_reader/wide_text.h"

namespace inf_reader {

namespace {

constexpr std::size_t kMaxSubstitutedChars = 4097;

}  // namespace

// Only field 1 of the first Signature line of [Version] counts, as written (no %strings%).
bool Document::SignatureAccepted() const {
    int version = FindSection(u"Version");
    if (version < 0) {
        return false;
    }
    for (const Line& line : sections[version].lines) {
        if (line.key < 0 || !EqualsNoCase(FieldText(line.key), u"Signature")) {
            continue;
        }
        if (line.count == 0) {
            return false;
        }
        Wide value = FieldText(line.first);
        return EqualsNoCase(value, u"$Chicago$") || EqualsNoCase(value, u"$Windows NT$") ||
               EqualsNoCase(value, u"$Windows 95$");
    }
    return false;
}

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

struct InfDocument::Impl : Document {};

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

InfDocument::InfDocument(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

InfDocument::~InfDocument() = default;

std::unique_ptr<InfDocument> InfDocument::Open(const std::string& bytes, const DirIdTable& dirIds,
                                               const std::string& infFolder, InfOpenError* error) {
    InfOpenError scratch;
    InfOpenError& result = error != nullptr ? *error : scratch;
    result = InfOpenError{};
    // An empty file cannot be mapped; the call fails before it reaches the error line.
    if (bytes.empty()) {
        result.code = kInfFileInvalid;
        return nullptr;
    }

    auto impl = std::make_unique<Impl>();
    Wide text = Decode(bytes);
    std::uint32_t line = 0;
    std::uint32_t code = Parse(text, impl.get(), &line);
    if (code == kInfOk && !impl->SignatureAccepted()) {
        code = kInfWrongInfStyle;
        line = 0;
    }
    if (code != kInfOk) {
        result.code = code;
        result.line = line;
        result.lineSet = true;
        return nullptr;
    }

    for (const auto& entry : dirIds.paths) {
        impl->dirIds.emplace(entry.first, FromAnsi(entry.second));
    }
    // %1% ends with one backslash; a drive root ("C:\") already has it.
    impl->infFolder = FromAnsi(infFolder);
    if (!impl->infFolder.empty() && impl->infFolder.back() != u'\\') {
        impl->infFolder.push_back(u'\\');
    }
    impl->BuildIndexes();
    return std::unique_ptr<InfDocument>(new InfDocument(std::move(impl)));
}

std::vector<std::string> InfDocument::SectionNames() const {
    std::vector<std::string> names;
    names.reserve(impl_->sections.size());
    for (const Section& section : impl_->sections) {
        names.push_back(ToAnsi(section.name));
    }
    return names;
}

int InfDocument::FindSection(const char* name) const {
    return name != nullptr ? impl_->FindSection(FromAnsi(std::string(name))) : -1;
}

std::size_t InfDocument::LineCount(int section) const {
    if (section < 0 || static_cast<std::size_t>(section) >= impl_->sections.size()) {
        return 0;
    }
    return impl_->sections[section].lines.size();
}

bool InfDocument::FindKey(int section, const char* key, std::size_t* line) const {
    if (key == nullptr || section < 0 ||
        static_cast<std::size_t>(section) >= impl_->sections.size()) {
        return false;
    }
    const auto& index = impl_->sections[section].firstLineByKey;
    auto it = index.find(AsciiUpper(FromAnsi(std::string(key))));
    if (it == index.end()) {
        return false;
    }
    *line = it->second;
    return true;
}

std::uint32_t InfDocument::SourceLine(int section, std::size_t line) const {
    const Line* l = impl_->GetLine(section, line);
    return l != nullptr ? l->source : 0;
}

std::size_t InfDocument::FieldCount(int section, std::size_t line) const {
    const Line* l = impl_->GetLine(section, line);
    return l != nullptr ? l->count : 0;
}

bool InfDocument::GetField(int section, std::size_t line, std::size_t field,
                           std::string* text) const {
    const Line* l = impl_->GetLine(section, line);
    if (l == nullptr) {
        return false;
    }
    std::uint32_t index = 0;
    if (field == 0) {
        if (l->key < 0) {
            return false;
        }
        index = static_cast<std::uint32_t>(l->key);
    } else if (field <= l->count) {
        index = l->first + static_cast<std::uint32_t>(field - 1);
    } else {
        return false;
    }
    *text = ToAnsi(impl_->Substitute(index));
    return true;
}

// The substituted ANSI text read like C strtol with base 0: leading C blanks, a sign, 0x for
// hex and a leading 0 for octal, nothing after the digits; out-of-range values saturate.
// An empty field is 0.
bool InfDocument::GetIntField(int section, std::size_t line, std::size_t field, int* value) const {
    std::string text;
    if (!GetField(section, line, field, &text)) {
        return false;
    }
    if (text.empty()) {
        *value = 0;
        return true;
    }
    // Only ASCII matters to the parse; other bytes fail it either way.
    Wide wide;
    for (char c : text) {
        wide.push_back(static_cast<unsigned char>(c));
    }
    long long parsed = 0;
    if (!ParseLong(wide.data(), wide.data() + wide.size(), 0, false, &parsed)) {
        return false;
    }
    *value = static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, parsed)));
    return true;
}

}  // namespace inf_reader
