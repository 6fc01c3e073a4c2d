// The reader follows what SETUPAPI under Wine answers on our vectors (tests/inf/vectors),
// except where Windows is known to differ: an ANSI file with a NUL byte opens, and UTF-16
// big-endian with a byte-order mark is read.
//
// Text is kept as UTF-16 from decoding to the moment a caller reads it, as the real reader
// does: the 511-character cut, blanks, key matching and the 4097 cap all count UTF-16 units,
// and a character with no code page 1252 form is replaced only on the way out.
#include "inf_reader/inf_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace inf_reader {

namespace {

using Wide = std::u16string;

constexpr std::size_t kMaxTokenChars = 511;        // longer keys and fields are cut silently
constexpr std::size_t kMaxSectionNameChars = 255;  // MAX_INF_SECTION_NAME_LENGTH
constexpr std::size_t kMaxSubstitutedChars = 4097;
constexpr char16_t kCtrlZ = 0x1A;

// ---------------------------------------------------------------------------------------
// Code page 1252

// Bytes 0x80..0x9F; the five unassigned ones stand for the C1 controls of the same value.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

struct AnsiForm {
    char16_t wide;
    unsigned char ansi;
};

// Every UTF-16 unit outside ASCII and U+00A0..U+00FF that the ANSI calls turn into something
// better than '?': the exact code page 1252 characters and the best-fit replacements of
// Microsoft's published table for code page 1252 (as Wine applies it). Sorted.
constexpr AnsiForm kAnsiForms[] = {
    {0x0081, 0x81}, {0x008D, 0x8D}, {0x008F, 0x8F}, {0x0090, 0x90}, {0x009D, 0x9D}, {0x0100, 'A'},
    {0x0101, 'a'},  {0x0102, 'A'},  {0x0103, 'a'},  {0x0104, 'A'},  {0x0105, 'a'},  {0x0106, 'C'},
    {0x0107, 'c'},  {0x0108, 'C'},  {0x0109, 'c'},  {0x010A, 'C'},  {0x010B, 'c'},  {0x010C, 'C'},
    {0x010D, 'c'},  {0x010E, 'D'},  {0x010F, 'd'},  {0x0110, 0xD0}, {0x0111, 'd'},  {0x0112, 'E'},
    {0x0113, 'e'},  {0x0114, 'E'},  {0x0115, 'e'},  {0x0116, 'E'},  {0x0117, 'e'},  {0x0118, 'E'},
    {0x0119, 'e'},  {0x011A, 'E'},  {0x011B, 'e'},  {0x011C, 'G'},  {0x011D, 'g'},  {0x011E, 'G'},
    {0x011F, 'g'},  {0x0120, 'G'},  {0x0121, 'g'},  {0x0122, 'G'},  {0x0123, 'g'},  {0x0124, 'H'},
    {0x0125, 'h'},  {0x0126, 'H'},  {0x0127, 'h'},  {0x0128, 'I'},  {0x0129, 'i'},  {0x012A, 'I'},
    {0x012B, 'i'},  {0x012C, 'I'},  {0x012D, 'i'},  {0x012E, 'I'},  {0x012F, 'i'},  {0x0130, 'I'},
    {0x0131, 'i'},  {0x0134, 'J'},  {0x0135, 'j'},  {0x0136, 'K'},  {0x0137, 'k'},  {0x0139, 'L'},
    {0x013A, 'l'},  {0x013B, 'L'},  {0x013C, 'l'},  {0x013D, 'L'},  {0x013E, 'l'},  {0x0141, 'L'},
    {0x0142, 'l'},  {0x0143, 'N'},  {0x0144, 'n'},  {0x0145, 'N'},  {0x0146, 'n'},  {0x0147, 'N'},
    {0x0148, 'n'},  {0x014C, 'O'},  {0x014D, 'o'},  {0x014E, 'O'},  {0x014F, 'o'},  {0x0150, 'O'},
    {0x0151, 'o'},  {0x0152, 0x8C}, {0x0153, 0x9C}, {0x0154, 'R'},  {0x0155, 'r'},  {0x0156, 'R'},
    {0x0157, 'r'},  {0x0158, 'R'},  {0x0159, 'r'},  {0x015A, 'S'},  {0x015B, 's'},  {0x015C, 'S'},
    {0x015D, 's'},  {0x015E, 'S'},  {0x015F, 's'},  {0x0160, 0x8A}, {0x0161, 0x9A}, {0x0162, 'T'},
    {0x0163, 't'},  {0x0164, 'T'},  {0x0165, 't'},  {0x0166, 'T'},  {0x0167, 't'},  {0x0168, 'U'},
    {0x0169, 'u'},  {0x016A, 'U'},  {0x016B, 'u'},  {0x016C, 'U'},  {0x016D, 'u'},  {0x016E, 'U'},
    {0x016F, 'u'},  {0x0170, 'U'},  {0x0171, 'u'},  {0x0172, 'U'},  {0x0173, 'u'},  {0x0174, 'W'},
    {0x0175, 'w'},  {0x0176, 'Y'},  {0x0177, 'y'},  {0x0178, 0x9F}, {0x0179, 'Z'},  {0x017A, 'z'},
    {0x017B, 'Z'},  {0x017C, 'z'},  {0x017D, 0x8E}, {0x017E, 0x9E}, {0x0180, 'b'},  {0x0189, 0xD0},
    {0x0191, 0x83}, {0x0192, 0x83}, {0x0197, 'I'},  {0x019A, 'l'},  {0x019F, 'O'},  {0x01A0, 'O'},
    {0x01A1, 'o'},  {0x01AB, 't'},  {0x01AE, 'T'},  {0x01AF, 'U'},  {0x01B0, 'u'},  {0x01B6, 'z'},
    {0x01C0, '|'},  {0x01C3, '!'},  {0x01CD, 'A'},  {0x01CE, 'a'},  {0x01CF, 'I'},  {0x01D0, 'i'},
    {0x01D1, 'O'},  {0x01D2, 'o'},  {0x01D3, 'U'},  {0x01D4, 'u'},  {0x01D5, 'U'},  {0x01D6, 'u'},
    {0x01D7, 'U'},  {0x01D8, 'u'},  {0x01D9, 'U'},  {0x01DA, 'u'},  {0x01DB, 'U'},  {0x01DC, 'u'},
    {0x01DE, 'A'},  {0x01DF, 'a'},  {0x01E4, 'G'},  {0x01E5, 'g'},  {0x01E6, 'G'},  {0x01E7, 'g'},
    {0x01E8, 'K'},  {0x01E9, 'k'},  {0x01EA, 'O'},  {0x01EB, 'o'},  {0x01EC, 'O'},  {0x01ED, 'o'},
    {0x01F0, 'j'},  {0x0261, 'g'},  {0x02B9, '\''}, {0x02BA, '"'},  {0x02BC, '\''}, {0x02C4, '^'},
    {0x02C6, 0x88}, {0x02C8, '\''}, {0x02C9, 0xAF}, {0x02CA, 0xB4}, {0x02CB, '`'},  {0x02CD, '_'},
    {0x02DA, 0xB0}, {0x02DC, 0x98}, {0x0300, '`'},  {0x0301, 0xB4}, {0x0302, '^'},  {0x0303, '~'},
    {0x0304, 0xAF}, {0x0305, 0xAF}, {0x0308, 0xA8}, {0x030A, 0xB0}, {0x030E, '"'},  {0x0327, 0xB8},
    {0x0331, '_'},  {0x0332, '_'},  {0x037E, ';'},  {0x0393, 'G'},  {0x0398, 'T'},  {0x03A3, 'S'},
    {0x03A6, 'F'},  {0x03A9, 'O'},  {0x03B1, 'a'},  {0x03B2, 0xDF}, {0x03B4, 'd'},  {0x03B5, 'e'},
    {0x03BC, 0xB5}, {0x03C0, 'p'},  {0x03C3, 's'},  {0x03C4, 't'},  {0x03C6, 'f'},  {0x04BB, 'h'},
    {0x0589, ':'},  {0x066A, '%'},  {0x2000, ' '},  {0x2001, ' '},  {0x2002, ' '},  {0x2003, ' '},
    {0x2004, ' '},  {0x2005, ' '},  {0x2006, ' '},  {0x2010, '-'},  {0x2011, '-'},  {0x2013, 0x96},
    {0x2014, 0x97}, {0x2017, '='},  {0x2018, 0x91}, {0x2019, 0x92}, {0x201A, 0x82}, {0x201C, 0x93},
    {0x201D, 0x94}, {0x201E, 0x84}, {0x2020, 0x86}, {0x2021, 0x87}, {0x2022, 0x95}, {0x2024, 0xB7},
    {0x2026, 0x85}, {0x2030, 0x89}, {0x2032, '\''}, {0x2035, '`'},  {0x2039, 0x8B}, {0x203A, 0x9B},
    {0x2044, '/'},  {0x2070, 0xB0}, {0x2074, '4'},  {0x2075, '5'},  {0x2076, '6'},  {0x2077, '7'},
    {0x2078, '8'},  {0x207F, 'n'},  {0x2080, '0'},  {0x2081, '1'},  {0x2082, '2'},  {0x2083, '3'},
    {0x2084, '4'},  {0x2085, '5'},  {0x2086, '6'},  {0x2087, '7'},  {0x2088, '8'},  {0x2089, '9'},
    {0x20A1, 0xA2}, {0x20A4, 0xA3}, {0x20A7, 'P'},  {0x20AC, 0x80}, {0x2102, 'C'},  {0x2107, 'E'},
    {0x210A, 'g'},  {0x210B, 'H'},  {0x210C, 'H'},  {0x210D, 'H'},  {0x210E, 'h'},  {0x2110, 'I'},
    {0x2111, 'I'},  {0x2112, 'L'},  {0x2113, 'l'},  {0x2115, 'N'},  {0x2118, 'P'},  {0x2119, 'P'},
    {0x211A, 'Q'},  {0x211B, 'R'},  {0x211C, 'R'},  {0x211D, 'R'},  {0x2122, 0x99}, {0x2124, 'Z'},
    {0x2128, 'Z'},  {0x212A, 'K'},  {0x212B, 0xC5}, {0x212C, 'B'},  {0x212D, 'C'},  {0x212E, 'e'},
    {0x212F, 'e'},  {0x2130, 'E'},  {0x2131, 'F'},  {0x2133, 'M'},  {0x2134, 'o'},  {0x2212, '-'},
    {0x2215, '/'},  {0x2216, '\\'}, {0x2217, '*'},  {0x2218, 0xB0}, {0x2219, 0xB7}, {0x221A, 'v'},
    {0x221E, '8'},  {0x2223, '|'},  {0x2229, 'n'},  {0x2236, ':'},  {0x223C, '~'},  {0x2248, '~'},
    {0x2261, '='},  {0x2264, '='},  {0x2265, '='},  {0x2303, '^'},  {0x2320, '('},  {0x2321, ')'},
    {0x2329, '<'},  {0x232A, '>'},  {0x2500, '-'},  {0x250C, '+'},  {0x2510, '+'},  {0x2514, '+'},
    {0x2518, '+'},  {0x251C, '+'},  {0x252C, '-'},  {0x2534, '-'},  {0x253C, '+'},  {0x2550, '-'},
    {0x2552, '+'},  {0x2553, '+'},  {0x2554, '+'},  {0x2555, '+'},  {0x2556, '+'},  {0x2557, '+'},
    {0x2558, '+'},  {0x2559, '+'},  {0x255A, '+'},  {0x255B, '+'},  {0x255C, '+'},  {0x255D, '+'},
    {0x2564, '-'},  {0x2565, '-'},  {0x2566, '-'},  {0x2567, '-'},  {0x2568, '-'},  {0x2569, '-'},
    {0x256A, '+'},  {0x256B, '+'},  {0x256C, '+'},  {0x2584, '_'},  {0x2758, '|'},  {0x3000, ' '},
    {0x3008, '<'},  {0x3009, '>'},  {0x301A, '['},  {0x301B, ']'},  {0xFF01, '!'},  {0xFF02, '"'},
    {0xFF03, '#'},  {0xFF04, '$'},  {0xFF05, '%'},  {0xFF06, '&'},  {0xFF07, '\''}, {0xFF08, '('},
    {0xFF09, ')'},  {0xFF0A, '*'},  {0xFF0B, '+'},  {0xFF0C, ','},  {0xFF0D, '-'},  {0xFF0E, '.'},
    {0xFF0F, '/'},  {0xFF10, '0'},  {0xFF11, '1'},  {0xFF12, '2'},  {0xFF13, '3'},  {0xFF14, '4'},
    {0xFF15, '5'},  {0xFF16, '6'},  {0xFF17, '7'},  {0xFF18, '8'},  {0xFF19, '9'},  {0xFF1A, ':'},
    {0xFF1B, ';'},  {0xFF1C, '<'},  {0xFF1D, '='},  {0xFF1E, '>'},  {0xFF1F, '?'},  {0xFF20, '@'},
    {0xFF21, 'A'},  {0xFF22, 'B'},  {0xFF23, 'C'},  {0xFF24, 'D'},  {0xFF25, 'E'},  {0xFF26, 'F'},
    {0xFF27, 'G'},  {0xFF28, 'H'},  {0xFF29, 'I'},  {0xFF2A, 'J'},  {0xFF2B, 'K'},  {0xFF2C, 'L'},
    {0xFF2D, 'M'},  {0xFF2E, 'N'},  {0xFF2F, 'O'},  {0xFF30, 'P'},  {0xFF31, 'Q'},  {0xFF32, 'R'},
    {0xFF33, 'S'},  {0xFF34, 'T'},  {0xFF35, 'U'},  {0xFF36, 'V'},  {0xFF37, 'W'},  {0xFF38, 'X'},
    {0xFF39, 'Y'},  {0xFF3A, 'Z'},  {0xFF3B, '['},  {0xFF3C, '\\'}, {0xFF3D, ']'},  {0xFF3E, '^'},
    {0xFF3F, '_'},  {0xFF40, '`'},  {0xFF41, 'a'},  {0xFF42, 'b'},  {0xFF43, 'c'},  {0xFF44, 'd'},
    {0xFF45, 'e'},  {0xFF46, 'f'},  {0xFF47, 'g'},  {0xFF48, 'h'},  {0xFF49, 'i'},  {0xFF4A, 'j'},
    {0xFF4B, 'k'},  {0xFF4C, 'l'},  {0xFF4D, 'm'},  {0xFF4E, 'n'},  {0xFF4F, 'o'},  {0xFF50, 'p'},
    {0xFF51, 'q'},  {0xFF52, 'r'},  {0xFF53, 's'},  {0xFF54, 't'},  {0xFF55, 'u'},  {0xFF56, 'v'},
    {0xFF57, 'w'},  {0xFF58, 'x'},  {0xFF59, 'y'},  {0xFF5A, 'z'},  {0xFF5B, '{'},  {0xFF5C, '|'},
    {0xFF5D, '}'},  {0xFF5E, '~'},
};

char16_t FromAnsi(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : byte;
}

Wide FromAnsi(const std::string& text) {
    Wide wide;
    wide.reserve(text.size());
    for (char c : text) {
        wide.push_back(FromAnsi(static_cast<unsigned char>(c)));
    }
    return wide;
}

char ToAnsi(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    auto it = std::lower_bound(std::begin(kAnsiForms), std::end(kAnsiForms), c,
                               [](const AnsiForm& form, char16_t key) { return form.wide < key; });
    return (it != std::end(kAnsiForms) && it->wide == c) ? static_cast<char>(it->ansi) : '?';
}

std::string ToAnsi(const Wide& text) {
    std::string ansi(text.size(), '\0');
    std::transform(text.begin(), text.end(), ansi.begin(), [](char16_t c) { return ToAnsi(c); });
    return ansi;
}

// Section names, keys and string tokens compare without regard to the case of ASCII letters
// only: the real reader does not fold 'é' onto 'É'.
char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c;
}

Wide AsciiUpper(Wide text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char16_t c) { return AsciiUpper(c); });
    return text;
}

bool EqualsNoCase(const Wide& text, const char16_t* ascii) {
    std::size_t n = std::char_traits<char16_t>::length(ascii);
    if (text.size() != n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (AsciiUpper(text[i]) != AsciiUpper(ascii[i])) {
            return false;
        }
    }
    return true;
}

// Blanks are the Unicode white-space characters: CR, VT, FF and U+00A0 trim like a space,
// while the C0 separators U+001C..U+001F and U+200B do not.
bool IsBlank(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

// A NUL byte trims like a blank in a value and after a key or value, but elsewhere (at the
// start of a line, in a key, after '=' or ',', after a backslash) it is text. Where it stays,
// it reads as a space.
bool IsValueBlank(char16_t c) {
    return c == 0 || IsBlank(c);
}

// ---------------------------------------------------------------------------------------
// Decoding the file

// BOM-less UTF-16 LE is recognised from the first 256 units, as the real reader does: the
// high bytes vary far less than the low bytes, or are mostly zero (ASCII syntax). Unlike Wine
// we do not take a lone NUL byte for a sign of UTF-16, since Windows opens ANSI files holding
// one; units that cannot occur in UTF-16 text (NUL, U+FFFE, U+FFFF, a CR LF byte pair) or
// that look byte-swapped rule it out.
bool LooksLikeUtf16Le(const std::string& bytes) {
    std::size_t size = bytes.size();
    if (size < 2 || size % 2 != 0) {
        return false;
    }
    if (bytes[size - 1] == '\0') {
        --size;
    }
    std::size_t units = std::min<std::size_t>(size / 2, 256);
    unsigned long lowDiff = 0, highDiff = 0;
    unsigned lastLow = 0, lastHigh = 0;
    std::size_t zeroHigh = 0;
    for (std::size_t i = 0; i < units; ++i) {
        unsigned low = static_cast<unsigned char>(bytes[2 * i]);
        unsigned high = static_cast<unsigned char>(bytes[2 * i + 1]);
        unsigned unit = low | (high << 8);
        if (unit == 0 || unit == 0xFFFE || unit == 0xFFFF || unit == 0x0A0D) {
            return false;
        }
        // Byte-swapped CR, LF, tab or space: big-endian text.
        if (unit == 0x0D00 || unit == 0x0A00 || unit == 0x0900 || unit == 0x2000) {
            return false;
        }
        lowDiff += low > lastLow ? low - lastLow : lastLow - low;
        highDiff += high > lastHigh ? high - lastHigh : lastHigh - high;
        lastLow = low;
        lastHigh = high;
        zeroHigh += high == 0 ? 1 : 0;
    }
    if (3 * lowDiff < highDiff) {
        return false;
    }
    return 3 * highDiff < lowDiff || 2 * zeroHigh >= units;
}

Wide DecodeUtf16(const std::string& bytes, std::size_t offset, bool bigEndian) {
    Wide text;
    text.reserve((bytes.size() - offset) / 2);
    // A lone last byte cannot form a unit and is dropped.
    for (std::size_t i = offset; i + 1 < bytes.size(); i += 2) {
        unsigned a = static_cast<unsigned char>(bytes[i]);
        unsigned b = static_cast<unsigned char>(bytes[i + 1]);
        text.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : a | (b << 8)));
    }
    return text;
}

// Each ill-formed sequence becomes one U+FFFD, which later reads as '?'.
Wide DecodeUtf8(const std::string& bytes, std::size_t offset) {
    Wide text;
    text.reserve(bytes.size() - offset);
    std::size_t i = offset;
    const std::size_t n = bytes.size();
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    while (i < n) {
        unsigned lead = at(i);
        if (lead < 0x80) {
            text.push_back(static_cast<char16_t>(lead));
            ++i;
            continue;
        }
        std::size_t more = 0;
        unsigned code = 0, low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            more = 1;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            more = 2;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            more = 3;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        ++i;
        bool complete = more > 0;
        for (std::size_t k = 0; k < more; ++k) {
            if (i >= n || at(i) < low || at(i) > high) {
                complete = false;
                break;
            }
            code = (code << 6) | (at(i) & 0x3F);
            low = 0x80;
            high = 0xBF;
            ++i;
        }
        if (!complete) {
            text.push_back(0xFFFD);
        } else if (code >= 0x10000) {
            code -= 0x10000;
            text.push_back(static_cast<char16_t>(0xD800 | (code >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 | (code & 0x3FF)));
        } else {
            text.push_back(static_cast<char16_t>(code));
        }
    }
    return text;
}

// Byte-order marks decide first; then BOM-less UTF-16 LE; everything else is ANSI.
Wide Decode(const std::string& bytes) {
    auto starts = [&](const char* mark, std::size_t n) {
        return bytes.size() >= n && std::memcmp(bytes.data(), mark, n) == 0;
    };
    if (starts("\xFF\xFE", 2)) {
        return DecodeUtf16(bytes, 2, false);
    }
    if (starts("\xFE\xFF", 2)) {
        return DecodeUtf16(bytes, 2, true);
    }
    // A file that is nothing but the UTF-8 mark reads as ANSI, as it does on Wine.
    if (bytes.size() > 3 && starts("\xEF\xBB\xBF", 3)) {
        return DecodeUtf8(bytes, 3);
    }
    if (LooksLikeUtf16Le(bytes)) {
        return DecodeUtf16(bytes, 0, false);
    }
    return FromAnsi(bytes);
}

// Accumulates with saturation; true when `text` is digits only after an optional sign.
// `base` 10 for directory ids (wcstol), 0 for integer fields (strtol: 0x hex, 0 octal).
bool ParseLong(const char16_t* p, const char16_t* end, int base, bool skipUnicodeBlanks,
               long long* value) {
    auto blank = [&](char16_t c) {
        return skipUnicodeBlanks ? IsBlank(c) : ((c >= 0x09 && c <= 0x0D) || c == 0x20);
    };
    while (p < end && blank(*p)) {
        ++p;
    }
    bool negative = false;
    if (p < end && (*p == u'+' || *p == u'-')) {
        negative = *p == u'-';
        ++p;
    }
    if (base == 0) {
        if (end - p >= 2 && p[0] == u'0' && (p[1] == u'x' || p[1] == u'X')) {
            base = 16;
            p += 2;
        } else {
            base = (p < end && *p == u'0') ? 8 : 10;
        }
    }
    const long long kLimit = 1LL << 32;  // beyond any 32-bit value: saturated
    long long magnitude = 0;
    bool digits = false;
    for (; p < end; ++p) {
        int d = -1;
        if (*p >= u'0' && *p <= u'9') {
            d = *p - u'0';
        } else if (*p >= u'a' && *p <= u'z') {
            d = *p - u'a' + 10;
        } else if (*p >= u'A' && *p <= u'Z') {
            d = *p - u'A' + 10;
        }
        if (d < 0 || d >= base) {
            break;
        }
        digits = true;
        magnitude = std::min(magnitude * base + d, kLimit);
    }
    if (!digits || p != end) {
        return false;
    }
    *value = negative ? -magnitude : magnitude;
    return true;
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
