#include "inf_reader/decoding.h"

#include <algorithm>
#include <cstring>

#include "inf_reader/ansi_text.h"

namespace inf_reader {

namespace {

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

}  // namespace

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

}  // namespace inf_reader
