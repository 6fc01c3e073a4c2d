#include "platform/command_words.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(const char* line, bool (*isLeadByte)(unsigned char)) {
    // Copies the character at `p` whole: a lead byte takes its second byte with it.
    auto take = [isLeadByte](const char*& p, std::string* word) {
        if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') {
            *word += *p++;
        }
        *word += *p++;
    };
    std::vector<std::string> words;
    const char* p = line;
    std::string word;
    if (*p == '"') {
        for (++p; *p != '\0' && *p != '"';) {
            take(p, &word);
        }
        if (*p == '"') {
            ++p;
        }
    } else {
        while (*p != '\0' && !IsBlank(*p)) {
            take(p, &word);
        }
    }
    words.push_back(word);
    for (;;) {
        while (IsBlank(*p)) {
            ++p;
        }
        if (*p == '\0') {
            return words;
        }
        word.clear();
        bool quoted = false;
        for (;;) {
            std::size_t backslashes = 0;
            while (*p == '\\') {
                ++backslashes;
                ++p;
            }
            if (*p == '"') {
                word.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    word += *p++;
                    continue;
                }
                if (quoted && p[1] == '"') {
                    word += '"';
                    ++p;
                }
                quoted = !quoted;
                ++p;
                continue;
            }
            word.append(backslashes, '\\');
            if (*p == '\0' || (!quoted && IsBlank(*p))) {
                break;
            }
            take(p, &word);
        }
        words.push_back(word);
    }
}
