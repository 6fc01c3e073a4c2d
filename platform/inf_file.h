// An INF opened through the INF services, closed exactly once.
#pragma once

#include "platform/inf_services.h"

class InfFile {
  public:
    explicit InfFile(InfServices& infs) : infs_(infs), inf_(kNoInf) {}
    InfFile(InfServices& infs, const char* path) : infs_(infs), inf_(infs.OpenInf(path)) {}
    ~InfFile() { Close(); }
    InfFile(const InfFile&) = delete;
    InfFile& operator=(const InfFile&) = delete;

    bool IsOpen() const { return inf_ != kNoInf; }
    InfHandle Handle() const { return inf_; }

    // Closes what was open and opens `path`; false when it is no INF.
    bool Open(const char* path) {
        Close();
        inf_ = infs_.OpenInf(path);
        return IsOpen();
    }

    void Close() {
        if (inf_ != kNoInf) {
            infs_.CloseInf(inf_);
            inf_ = kNoInf;
        }
    }

    // A closed file has no lines.
    bool FindLine(const char* section, const char* key, InfLine* line) {
        return IsOpen() && infs_.FindFirstLine(inf_, section, key, line);
    }

  private:
    InfServices& infs_;
    InfHandle inf_;
};
