// The run's log: the lines of one section, one per change a step of the run
// makes to the system or fails to make, in the order they happen. The steps
// reach it through the services they hold (FileServices::runLog,
// DeviceServices::runLog), which carry none when no log is kept.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

class SystemFacts;

class RunLog {
  public:
    // `errors` gives the system's code of a failed call.
    explicit RunLog(SystemFacts& errors) : errors_(errors) {}

    // "  copied A -> B", or "  could not copy A -> B: error 5 (0x00000005)"
    // with the system's code; `path` may be empty, `to` null. With
    // `absentIsNoChange`, a delete or rename of a file that is not there, or
    // a folder made that is, changed nothing and takes no line.
    void Change(bool ok, const char* done, const char* tried, const char* path,
                const char* to = nullptr, bool absentIsNoChange = false);
    void AddFailure(const char* tried, const char* path, const char* to, std::uint32_t error);

    void Put(const char* text);
    void Put(std::initializer_list<const char*> texts);
    void PutChar(char c);
    // At least `width` digits in base 10 or 16: the image has no C library
    // formatting.
    void PutNumber(std::uint32_t value, std::uint32_t base, int width);
    const std::string& Text() const { return text_; }

  private:
    void PutAction(const char* action, const char* path, const char* to);

    SystemFacts& errors_;
    std::string text_;
};

// The line of a change when a log is kept (RunLog::Change); returns `ok`.
bool Logged(RunLog* log, bool ok, const char* done, const char* tried, const char* path,
            const char* to = nullptr, bool absentIsNoChange = false);
// A line of its own ("disabled the CopyFiles entry ...").
void Note(RunLog* log, const char* line);
