#include "platform/run_log.h"

#include "platform/system_facts.h"

namespace {

constexpr std::uint32_t kFileNotFound = 2;     // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t kAlreadyExists = 183;  // ERROR_ALREADY_EXISTS

}  // namespace

void RunLog::Put(const char* text) {
    text_ += text;
}

void RunLog::Put(std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
        Put(text);
    }
}

void RunLog::PutChar(char c) {
    text_ += c;
}

void RunLog::PutNumber(std::uint32_t value, std::uint32_t base, int width) {
    char digits[12];
    int count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value % base];
        value /= base;
    } while (value != 0 || count < width);
    while (count > 0) {
        PutChar(digits[--count]);
    }
}

void RunLog::PutAction(const char* action, const char* path, const char* to) {
    Put(action);
    if (*path != '\0') {
        Put(" ");
        Put(path);
    }
    if (to != nullptr) {
        Put(" -> ");
        Put(to);
    }
}

void RunLog::Change(bool ok, const char* done, const char* tried, const char* path, const char* to,
                    bool absentIsNoChange) {
    std::uint32_t error = ok ? 0 : errors_.LastError();
    if (ok) {
        Put("  ");
        PutAction(done, path, to);
        Put("\r\n");
    } else if (!absentIsNoChange || (error != kFileNotFound && error != kAlreadyExists)) {
        AddFailure(tried, path, to, error);
    }
}

void RunLog::AddFailure(const char* action, const char* path, const char* to, std::uint32_t error) {
    Put("  could not ");
    PutAction(action, path, to);
    // Both forms administrators search for.
    Put(": error ");
    PutNumber(error, 10, 1);
    Put(" (0x");
    PutNumber(error, 16, 8);
    Put(")\r\n");
}

bool Logged(RunLog* log, bool ok, const char* done, const char* tried, const char* path,
            const char* to, bool absentIsNoChange) {
    if (log != nullptr) {
        log->Change(ok, done, tried, path, to, absentIsNoChange);
    }
    return ok;
}

void Note(RunLog* log, const char* line) {
    Logged(log, true, line, "", "");
}
