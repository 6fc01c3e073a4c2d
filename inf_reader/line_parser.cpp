#include "inf_reader/line_parser.h"

#include <algorithm>

#include "inf_reader/inf_reader.h"

namespace inf_reader {

namespace {

constexpr std::size_t kMaxTokenChars = 511;        // longer keys and fields are cut silently
constexpr std::size_t kMaxSectionNameChars = 255;  // MAX_INF_SECTION_NAME_LENGTH
constexpr char16_t kCtrlZ = 0x1A;

// A NUL byte trims like a blank in a value and after a key or value, but elsewhere (at the
// start of a line, in a key, after '=' or ',', after a backslash) it is text. Where it stays,
// it reads as a space.
bool IsValueBlank(char16_t c) {
    return c == 0 || IsBlank(c);
}

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

}  // namespace

std::uint32_t Parse(const Wide& text, Document* doc, std::uint32_t* errorLine) {
    Parser parser(text, doc);
    return parser.Run(errorLine);
}

}  // namespace inf_reader
