#include "inf_reader/wide_text.h"

#include <algorithm>

namespace inf_reader {

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

}  // namespace inf_reader
