#include "inf_reader/ansi_text.h"

#include <algorithm>
#include <iterator>

#include "inf_reader/code_page_1252.h"

namespace inf_reader {

namespace {

char16_t FromAnsi(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : byte;
}

char ToAnsi(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    auto it = std::lower_bound(std::begin(kAnsiForms), std::end(kAnsiForms), c,
                               [](const AnsiForm& form, char16_t key) { return form.wide < key; });
    return (it != std::end(kAnsiForms) && it->wide == c) ? static_cast<char>(it->ansi) : '?';
}

}  // namespace

Wide FromAnsi(const std::string& text) {
    Wide wide;
    wide.reserve(text.size());
    for (char c : text) {
        wide.push_back(FromAnsi(static_cast<unsigned char>(c)));
    }
    return wide;
}

std::string ToAnsi(const Wide& text) {
    std::string ansi(text.size(), '\0');
    std::transform(text.begin(), text.end(), ansi.begin(), [](char16_t c) { return ToAnsi(c); });
    return ansi;
}

}  // namespace inf_reader
