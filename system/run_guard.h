// The system-wide guard that lets one run of the program work at a time.
#pragma once

#include "platform/process_services.h"
#include "platform/system_facts.h"

// The guard's object name for the running Windows. 2000 and XP give each
// session (fast user switching, terminal sessions) a namespace of its own, and
// "Global\" names the one they share; the 98 family has a single namespace and
// refuses a backslash in an object name. With no version known, the plain
// name, which every kind takes.
const char* RunGuardName(const WindowsVersion* version);

// Held from before the agreement until the program ends, whichever way.
class RunGuard {
  public:
    RunGuard(SystemFacts& facts, ProcessServices& process);
    ~RunGuard();
    RunGuard(const RunGuard&) = delete;
    RunGuard& operator=(const RunGuard&) = delete;
    bool Held() const { return held_; }

  private:
    ProcessServices& process_;
    bool held_;
};
