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

struct InfDocument::Impl : Document {};

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
