#include "tools/infdump/inf_dump.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace infdump {

namespace {

using inf_reader::InfDocument;

// Names as the recorded dumps print them; codes without a name go out in hex.
std::string ErrorName(std::uint32_t code) {
    switch (code) {
        case inf_reader::kInfOk:
            return "OK";
        case inf_reader::kInfExpectedSectionName:
            return "EXPECTED_SECTION_NAME";
        case inf_reader::kInfBadSectionNameLine:
            return "BAD_SECTION_NAME_LINE";
        case inf_reader::kInfSectionNameTooLong:
            return "SECTION_NAME_TOO_LONG";
        case inf_reader::kInfWrongInfStyle:
            return "WRONG_INF_STYLE";
        default:
            break;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    return hex;
}

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

class Dumper {
  public:
    Dumper(const InfDocument& doc, bool vectorMode) : doc_(doc), vector_(vectorMode) {}

    void Section(const std::string& name) {
        int section = doc_.FindSection(name.c_str());
        out_ += "SECTION " + Quote(name) + " lines=" + std::to_string(Count(section));
        if (vector_) {
            out_ += " uclines=" + std::to_string(Count(doc_.FindSection(AsciiUpper(name).c_str())));
        }
        out_ += "\n";
        std::size_t lines = section >= 0 ? doc_.LineCount(section) : 0;
        if (lines == 0) {
            out_ += "  FIRST ret=0 err=LINE_NOT_FOUND\n";
            return;
        }
        for (std::size_t line = 0; line < lines; ++line) {
            Line(name, section, line);
        }
        out_ += "  END seen=" + std::to_string(lines) + " err=LINE_NOT_FOUND\n";
    }

    // SetupGetLineCountA and SetupFindFirstLineA, as a QUERY line.
    void Query(const std::string& section, const std::string* key) {
        int index = doc_.FindSection(section.c_str());
        out_ += "QUERY " + Quote(section) + " " + (key ? Quote(*key) : "NULL");
        out_ += " count=" + std::to_string(Count(index));
        if (index < 0) {
            out_ += " counterr=SECTION_NOT_FOUND";
        }
        std::size_t line = 0;
        bool found = index >= 0 &&
                     (key ? doc_.FindKey(index, key->c_str(), &line) : doc_.LineCount(index) > 0);
        if (found) {
            out_ += " -> line=" + std::to_string(line);
            std::string f1;
            if (doc_.GetField(index, line, 1, &f1)) {
                out_ += " f1=" + Quote(f1);
            }
        } else {
            out_ += " -> ERR:LINE_NOT_FOUND";
        }
        out_ += "\n";
    }

    std::string& Text() { return out_; }

  private:
    long Count(int section) const {
        return section >= 0 ? static_cast<long>(doc_.LineCount(section)) : -1;
    }

    void Line(const std::string& sectionName, int section, std::size_t line) {
        std::size_t fields = doc_.FieldCount(section, line);
        out_ += "  LINE " + std::to_string(line) + " fields=" + std::to_string(fields) + "\n";
        for (std::size_t i = 0; i <= fields; ++i) {
            out_ += i == 0 ? "    KEY" : "    F" + std::to_string(i);
            std::string text;
            if (!doc_.GetField(section, line, i, &text)) {
                // The real call fails without setting an error.
                out_ += " NONE err=OK\n";
                continue;
            }
            std::size_t need = text.size() + 1;
            out_ += " need=" + std::to_string(need) + " " + Quote(text);
            int value = 0;
            out_ += doc_.GetIntField(section, line, i, &value) ? " int=" + std::to_string(value)
                                                               : " int=ERR:INVALID_DATA";
            if (i == 0) {
                // The key looked up again in upper case: first match, case ignored.
                std::size_t found = 0;
                int again = doc_.FindSection(sectionName.c_str());
                out_ += again >= 0 && doc_.FindKey(again, AsciiUpper(text).c_str(), &found)
                            ? " find=" + std::to_string(found)
                            : " find=ERR:LINE_NOT_FOUND";
            }
            out_ += "\n";
            if (vector_) {
                // A buffer one byte short always fails and is never written.
                out_ += "    SMALL " + std::to_string(i) + " size=" + std::to_string(need - 1) +
                        " ret=0 err=INSUFFICIENT_BUFFER req=" + std::to_string(need) +
                        " buf=untouched\n";
            }
        }
        if (vector_) {
            std::string text;
            int value = 0;
            bool got = doc_.GetField(section, line, fields + 1, &text);
            bool gotInt = doc_.GetIntField(section, line, fields + 1, &value);
            out_ += "    PAST " + std::to_string(fields + 1) + " ret=" + (got ? "1" : "0") +
                    " err=OK intret=" + (gotInt ? "1" : "0") + " interr=OK\n";
        }
    }

    const InfDocument& doc_;
    bool vector_;
    std::string out_;
};

// A queries file read as for the recorded dumps: lines cut at a NUL or line end, blank lines and
// '#' lines skipped, the key after the first '|'.
void RunQueries(const std::string& queries, Dumper* dumper) {
    std::size_t pos = 0;
    while (pos < queries.size()) {
        std::size_t eol = queries.find('\n', pos);
        std::size_t next = eol == std::string::npos ? queries.size() : eol + 1;
        std::string line = queries.substr(pos, next - pos);
        pos = next;
        line = line.substr(0, line.find('\0'));
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::size_t bar = line.find('|');
        if (bar == std::string::npos) {
            dumper->Query(line, nullptr);
        } else {
            std::string key = line.substr(bar + 1);
            dumper->Query(line.substr(0, bar), &key);
        }
    }
}

}  // namespace

std::string Quote(const std::string& bytes) {
    std::string out = "\"";
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out + "\"";
}

std::string Dump(const std::string& infBytes, const DumpOptions& options) {
    // Code page 1252 is the one our reader answers in.
    std::string out = "INFDUMP 1 acp=1252\n";
    inf_reader::InfOpenError error;
    std::unique_ptr<InfDocument> doc =
        InfDocument::Open(infBytes, options.dirIds, options.infFolder, &error);
    if (!doc) {
        // 4294967295: the recorded dumps' marker for an error line the call did not write.
        std::uint32_t line = error.lineSet ? error.line : 0xFFFFFFFFu;
        return out + "OPEN FAIL err=" + ErrorName(error.code) + " errline=" + std::to_string(line) +
               "\n";
    }
    out += "OPEN OK\n";
    Dumper dumper(*doc, options.vectorMode);
    for (const std::string& name : doc->SectionNames()) {
        dumper.Section(name);
    }
    if (options.vectorMode) {
        RunQueries(options.queries, &dumper);
    }
    return out + dumper.Text() + "CLOSED\n";
}

}  // namespace infdump
