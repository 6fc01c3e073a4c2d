// Fixed-capacity 8-bit text. Capacities count the NUL, as the Windows calls do:
// FixedText<20> holds at most 19 characters. Nothing here can overflow; an
// operation whose result does not fit reports false and leaves the text as it was.
#pragma once

#include <cstddef>
#include <cstring>
#include <initializer_list>

// A writable window onto a fixed buffer, handed to platform calls that fill text.
struct TextBuffer {
    char* data;
    std::size_t capacity;  // bytes, NUL included
};

// Letters a to z become A to Z; every other byte stays.
inline char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

template <std::size_t N>
class FixedText {
    static_assert(N > 0, "a text needs room for its NUL");

  public:
    static constexpr std::size_t kCapacity = N;

    // Zero-filled by a call rather than copied from a zero image of the
    // object, which the compiler keeps for each aggregate of texts.
    FixedText() { std::memset(text_, 0, N); }

    const char* c_str() const { return text_; }
    std::size_t size() const { return std::strlen(text_); }
    bool empty() const { return text_[0] == '\0'; }
    void Clear() { text_[0] = '\0'; }

    bool Assign(const char* s) { return AssignPrefix(s, std::strlen(s)); }

    // Copies at most `count` characters of `s` (fewer where `s` ends sooner).
    bool AssignPrefix(const char* s, std::size_t count) {
        std::size_t n = 0;
        while (n < count && s[n] != '\0') {
            ++n;
        }
        if (n >= N) {
            return false;
        }
        std::memmove(text_, s, n);
        text_[n] = '\0';
        return true;
    }

    bool Append(const char* s) {
        std::size_t have = size();
        std::size_t add = std::strlen(s);
        if (have + add >= N) {
            return false;
        }
        std::memcpy(text_ + have, s, add + 1);
        return true;
    }

    // Cuts the text to its first `count` characters (no-op when shorter).
    void Truncate(std::size_t count) {
        if (count < size()) {
            text_[count] = '\0';
        }
    }

    void ToUpper() {
        for (char* c = text_; *c != '\0'; ++c) {
            *c = AsciiUpper(*c);
        }
    }

    TextBuffer Buffer() { return TextBuffer{text_, N}; }

    // After a platform call filled Buffer(): makes sure the text is NUL-ended.
    void Seal() { text_[N - 1] = '\0'; }

    bool operator==(const char* s) const { return std::strcmp(text_, s) == 0; }

  private:
    char text_[N];
};

// Paths and patterns are formatted into 256-byte buffers.
using PathText = FixedText<256>;

constexpr std::size_t kNoBackslash = static_cast<std::size_t>(-1);

// Where the last backslash of a path in the system's ANSI code page stands;
// kNoBackslash when it has none. In Shift-JIS, Big5 and GBK the second byte of a
// character may be 0x5C, so the text is walked a character at a time:
// `isLeadByte` tells which bytes begin a two-byte character.
template <typename IsLeadByte>
std::size_t LastBackslash(const char* text, IsLeadByte isLeadByte) {
    std::size_t last = kNoBackslash;
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        if (isLeadByte(static_cast<unsigned char>(text[i])) && text[i + 1] != '\0') {
            ++i;
        } else if (text[i] == '\\') {
            last = i;
        }
    }
    return last;
}

// Concatenates the parts. False when the result does not fit; `out` is then
// left empty.
template <std::size_t N>
bool Concat(FixedText<N>* out, std::initializer_list<const char*> parts) {
    FixedText<N> joined;
    for (const char* part : parts) {
        if (!joined.Append(part)) {
            out->Clear();
            return false;
        }
    }
    *out = joined;
    return true;
}

// Joins a folder and a name with one backslash. The folder texts of a run
// never end with one (the main dialog cuts them so, a character at a time),
// and a byte test for one would take the second byte of a double-byte
// character for it. False when the result
// does not fit; `out` is then left empty, so a cut path can never be used by
// mistake.
template <std::size_t N>
bool JoinPath(const char* folder, const char* name, FixedText<N>* out) {
    return Concat(out, {folder, "\\", name});
}
