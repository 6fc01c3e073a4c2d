// Text is kept as UTF-16 from decoding to the moment a caller reads it, as the real reader
// does: the 511-character cut, blanks, key matching and the 4097 cap all count UTF-16 units,
// and a character with no code page 1252 form is replaced only on the way out (ansi_text.h).
// Here are the rules that text is read by: ASCII case, blanks and numbers.
#pragma once

#include <string>

namespace inf_reader {

using Wide = std::u16string;

// Section names, keys and string tokens compare without regard to the case of ASCII letters
// only: the real reader does not fold 'é' onto 'É'.
inline char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c;
}

Wide AsciiUpper(Wide text);

bool EqualsNoCase(const Wide& text, const char16_t* ascii);

// Blanks are the Unicode white-space characters: CR, VT, FF and U+00A0 trim like a space,
// while the C0 separators U+001C..U+001F and U+200B do not.
inline bool IsBlank(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// Accumulates with saturation; true when `text` is digits only after an optional sign.
// `base` 10 for directory ids (wcstol), 0 for integer fields (strtol: 0x hex, 0 octal).
bool ParseLong(const char16_t* p, const char16_t* end, int base, bool skipUnicodeBlanks,
               long long* value);

}  // namespace inf_reader
