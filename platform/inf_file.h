// An INF opened through the system services, closed exactly once.
#pragma once

#include "platform/system_services.h"

class InfFile {
  public:
    explicit InfFile(SystemServices& sys) : sys_(sys), inf_(kNoInf) {}
    InfFile(SystemServices& sys, const char* path) : sys_(sys), inf_(sys.OpenInf(path)) {}
    ~InfFile() { Close(); }
    InfFile(const InfFile&) = delete;
    InfFile& operator=(const InfFile&) = delete;

    bool IsOpen() const { return inf_ != kNoInf; }
    InfHandle Handle() const { return inf_; }

    // Closes what was open and opens `path`; false when it is no INF.
    bool Open(const char* path) {
        Close();
        inf_ = sys_.OpenInf(path);
        return IsOpen();
    }

    void Close() {
        if (inf_ != kNoInf) {
            sys_.CloseInf(inf_);
            inf_ = kNoInf;
        }
    }

    // A closed file has no lines.
    bool FindLine(const char* section, const char* key, InfLine* line) {
        return IsOpen() && sys_.FindFirstLine(inf_, section, key, line);
    }

  private:
    SystemServices& sys_;
    InfHandle inf_;
};
