// The reader follows what SETUPAPI under Wine answers on our vectors (tests/inf/vectors),
// except where Windows is known to differ: an ANSI file with a NUL byte opens, and UTF-16
// big-endian with a byte-order mark is read.
#include "inf_reader/inf_reader.h"

#include <algorithm>
#include <climits>

#include "inf_reader/ansi_text.h"
#include "inf_reader/decoding.h"
#include "inf_reader/wide_text.h"

namespace inf_reader {

namespace {

constexpr std::size_t kMaxTokenChars = 511;        // longer keys and fields are cut silently
constexpr std::size_t kMaxSectionNameChars = 255;  // MAX_INF_SECTION_NAME_LENGTH
constexpr std::size_t kMaxSubstitutedChars = 4097;
constexpr char16_t kCtrlZ = 0x1A;

// A NUL byte trims like a blank in a value and after a key or value, but elsewhere (at the
// start of a line, in a key, after '=' or ',', after a backslash) it is text. Where it stays,
// it reads as a space.
bool IsValueBlank(char16_t c) {
    return c == 0 || IsBlank(c);
}

// ---------------------------------------------------------------------------------------
// Parsed form

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
    bool LookUpToken(const Wide& name, bool backslashFollows, Wide* value) const;
    Wide Substitute(std::uint32_t field) const;
    void BuildIndexes();
};

// The state machine of the INF syntax. States push the one to return to before handing
// over to quotes, blanks, a continuation or a comment.
class Parser {
  public:
    Parser(const Wide& text, Document* doc)
        : doc_(doc), begin_(text.data()), end_(text.data() + text.size()), start_(begin_) {}

    // Returns the error code, 0 on success, and the 1-based line it concerns.
    std::uint32_t Run(std::uint32_t* errorLine) {
        const char16_t* p = begin_;
        while (p != nullptr) {
            p = Step(p);
        }
        if (error_ != kInfOk) {
            *errorLine = line_;
            return error_;
        }
        // Stray text before the first section is an error unless the file has [Strings].
        if (brokenLine_ != 0 && doc_->FindSection(u"Strings") < 0) {
            *errorLine = brokenLine_;
            return kInfExpectedSectionName;
        }
        return kInfOk;
    }

  private:
    enum State {
        kLineStart,
        kSectionName,
        kKeyName,
        kValueName,
        kEolBackslash,
        kQuotes,
        kLeadingBlanks,
        kTrailingBlanks,
        kComment,
    };

    const char16_t* Step(const char16_t* p) {
        switch (state_) {
            case kLineStart:
                return LineStart(p);
            case kSectionName:
                return SectionName(p);
            case kKeyName:
                return KeyName(p);
            case kValueName:
                return ValueName(p);
            case kEolBackslash:
                return EolBackslash(p);
            case kQuotes:
                return Quotes(p);
            case kLeadingBlanks:
                return LeadingBlanks(p);
            case kTrailingBlanks:
                return TrailingBlanks(p);
            case kComment:
                return Comment(p);
        }
        return nullptr;
    }

    // Ctrl-Z ends the file wherever it stands.
    bool AtEof(const char16_t* p) const { return p >= end_ || *p == kCtrlZ; }
    bool AtEol(const char16_t* p) const { return AtEof(p) || *p == u'\n'; }

    void Enter(State next, State back) {
        stack_[depth_++] = back;
        state_ = next;
    }
    void Return() { state_ = stack_[--depth_]; }

    // Appends the text from start_ to `upTo` to the token; a NUL reads as a space.
    void Take(const char16_t* upTo) {
        std::size_t n = static_cast<std::size_t>(upTo - start_);
        n = std::min(n, kMaxTokenChars - token_.size());
        for (std::size_t i = 0; i < n; ++i) {
            token_.push_back(start_[i] != 0 ? start_[i] : u' ');
        }
        start_ = upTo;
    }

    bool AddSectionFromToken() {
        if (token_.size() > kMaxSectionNameChars) {
            error_ = kInfSectionNameTooLong;
            return false;
        }
        section_ = doc_->AddSection(token_);
        token_.clear();
        return true;
    }

    bool AddFieldFromToken(bool isKey) {
        if (!lineOpen_) {
            if (section_ < 0) {
                error_ = kInfExpectedSectionName;
                return false;
            }
            auto first = static_cast<std::uint32_t>(doc_->fields.size());
            doc_->sections[section_].lines.push_back(Line{first, 0, -1, entryLine_});
            lineOpen_ = true;
        }
        Line& line = doc_->sections[section_].lines.back();
        doc_->fields.push_back(Field{static_cast<std::uint32_t>(doc_->pool.size()),
                                     static_cast<std::uint32_t>(token_.size())});
        doc_->pool += token_;
        token_.clear();
        if (isKey) {
            line.key = static_cast<std::int32_t>(line.first);
            line.first += 1;
        } else {
            line.count += 1;
        }
        return true;
    }

    // A line without '=' and with a single field has that field as its key too.
    void CloseLine() {
        if (lineOpen_) {
            Line& line = doc_->sections[section_].lines.back();
            if (line.count == 1 && line.key < 0) {
                line.key = static_cast<std::int32_t>(line.first);
            }
        }
        lineOpen_ = false;
    }

    const char16_t* LineStart(const char16_t* p) {
        for (; !AtEof(p); ++p) {
            if (*p == u'\n') {
                ++line_;
                CloseLine();
            } else if (*p == u';') {
                Enter(kComment, kLineStart);
                return p + 1;
            } else if (*p == u'[') {
                start_ = p + 1;
                state_ = kSectionName;
                return p + 1;
            } else if (!IsBlank(*p)) {
                if (section_ >= 0) {
                    start_ = p;
                    entryLine_ = line_;
                    state_ = kKeyName;
                    return p;
                }
                // Skipped a character at a time: a '[' or ';' later on the line still counts.
                if (brokenLine_ == 0) {
                    brokenLine_ = line_;
                }
            }
        }
        CloseLine();
        return nullptr;
    }

    const char16_t* SectionName(const char16_t* p) {
        for (; !AtEol(p); ++p) {
            if (*p == u']') {
                Take(p);
                if (!AddSectionFromToken()) {
                    return nullptr;
                }
                Enter(kComment, kLineStart);  // the rest of the line is ignored
                return p + 1;
            }
        }
        error_ = kInfBadSectionNameLine;
        return nullptr;
    }

    const char16_t* KeyName(const char16_t* p) {
        const char16_t* tokenEnd = start_;
        for (; !AtEol(p) && *p != u','; ++p) {
            switch (*p) {
                case u'=':
                    Take(tokenEnd);
                    if (!AddFieldFromToken(true)) {
                        return nullptr;
                    }
                    start_ = p + 1;
                    Enter(kLeadingBlanks, kValueName);
                    return p + 1;
                case u';':
                    Take(tokenEnd);
                    if (!AddFieldFromToken(false)) {
                        return nullptr;
                    }
                    Enter(kComment, kLineStart);
                    return p + 1;
                case u'"':
                    Take(p);
                    start_ = p + 1;
                    Enter(kQuotes, kKeyName);
                    return p + 1;
                case u'\\':
                    Take(tokenEnd);
                    start_ = p;
                    Enter(kEolBackslash, kKeyName);
                    return p;
                default:
                    if (!IsBlank(*p)) {
                        tokenEnd = p + 1;
                    } else {
                        Take(p);
                        Enter(kTrailingBlanks, kKeyName);
                        return p;
                    }
            }
        }
        // A comma or the end of the line: what we have is field 1, not a key.
        Take(tokenEnd);
        state_ = kValueName;
        return p;
    }

    const char16_t* ValueName(const char16_t* p) {
        const char16_t* tokenEnd = start_;
        for (; !AtEol(p); ++p) {
            switch (*p) {
                case u';':
                    Take(tokenEnd);
                    if (!AddFieldFromToken(false)) {
                        return nullptr;
                    }
                    Enter(kComment, kLineStart);
                    return p + 1;
                case u',':
                    Take(tokenEnd);
                    if (!AddFieldFromToken(false)) {
                        return nullptr;
                    }
                    start_ = p + 1;
                    Enter(kLeadingBlanks, kValueName);
                    return p + 1;
                case u'"':
                    Take(p);  // blanks between two runs stay: "a" "b" is "a b"
                    start_ = p + 1;
                    Enter(kQuotes, kValueName);
                    return p + 1;
                case u'\\':
                    Take(tokenEnd);
                    start_ = p;
                    Enter(kEolBackslash, kValueName);
                    return p;
                default:
                    if (!IsValueBlank(*p)) {
                        tokenEnd = p + 1;
                    } else {
                        Take(p);
                        Enter(kTrailingBlanks, kValueName);
                        return p;
                    }
            }
        }
        Take(tokenEnd);
        if (!AddFieldFromToken(false)) {
            return nullptr;
        }
        state_ = kLineStart;
        return p;
    }

    // A backslash followed by nothing but blanks (and maybe a comment) joins the next line;
    // followed by anything else it is text, with the blanks after it.
    const char16_t* EolBackslash(const char16_t* p) {
        for (; !AtEof(p); ++p) {
            if (*p == u'\n') {
                ++line_;
                start_ = p + 1;
                state_ = kLeadingBlanks;
                return p + 1;
            }
            if (*p == u'\\' || IsBlank(*p)) {
                continue;
            }
            if (*p == u';') {
                Enter(kComment, kEolBackslash);
                return p + 1;
            }
            Take(p);
            Return();
            return p;
        }
        start_ = p;
        Return();
        return p;
    }

    // Inside quotes everything is text up to the closing quote or the end of the line;
    // "" is one quote.
    const char16_t* Quotes(const char16_t* p) {
        for (; !AtEol(p); ++p) {
            if (*p != u'"') {
                continue;
            }
            if (p + 1 < end_ && p[1] == u'"') {
                Take(p + 1);
                start_ = p + 2;
                ++p;
            } else {
                Take(p);
                start_ = p + 1;
                Return();
                return p + 1;
            }
        }
        Take(p);
        Return();
        return p;
    }

    const char16_t* LeadingBlanks(const char16_t* p) {
        for (; !AtEol(p); ++p) {
            if (*p == u'\\') {
                start_ = p;
                state_ = kEolBackslash;
                return p;
            }
            if (!IsBlank(*p)) {
                break;
            }
        }
        start_ = p;
        Return();
        return p;
    }

    // start_ stays on the first blank: they belong to the token if more text follows.
    const char16_t* TrailingBlanks(const char16_t* p) {
        for (; !AtEol(p); ++p) {
            if (*p == u'\\') {
                state_ = kEolBackslash;
                return p;
            }
            if (!IsValueBlank(*p)) {
                break;
            }
        }
        Return();
        return p;
    }

    const char16_t* Comment(const char16_t* p) {
        while (!AtEol(p)) {
            ++p;
        }
        Return();
        return p;
    }

    Document* doc_;
    const char16_t* begin_;
    const char16_t* end_;
    const char16_t* start_;
    State state_ = kLineStart;
    State stack_[4] = {};
    int depth_ = 0;
    Wide token_;
    int section_ = -1;
    bool lineOpen_ = false;
    std::uint32_t line_ = 1;
    std::uint32_t entryLine_ = 1;
    std::uint32_t brokenLine_ = 0;
    std::uint32_t error_ = kInfOk;
};

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

}  // namespace

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
    Parser parser(text, impl.get());
    std::uint32_t line = 0;
    std::uint32_t code = parser.Run(&line);
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
