// Other programs and other runs of this one: starting a program, and the
// guard that lets one run work on the system at a time.
#pragma once

class ProcessServices {
  public:
    // Starts the program at the full path `program` with this command line,
    // shown normally; fire and forget. Never a program found by a search,
    // which looks in the program's own folder first.
    virtual void StartProgram(const char* program, const char* commandLine) = 0;

    // The system-wide guard that lets one run of the program work at a time,
    // a named object of the system called `name`. True when this run now
    // holds it; false when another run does or the guard cannot be had.
    virtual bool TakeRunGuard(const char* name) = 0;
    virtual void ReleaseRunGuard() = 0;

  protected:
    // Never deleted through the interface.
    ~ProcessServices() = default;
};
