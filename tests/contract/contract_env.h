// What a contract test needs from the machine it runs on, besides the platform
// services under test: a folder of its own, files with given bytes, a posted
// window message and the string table. One implementation runs over the fake
// machine, one over the real Windows calls.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/system_services.h"
#include "platform/window_services.h"

class ContractEnv {
  public:
    virtual ~ContractEnv() = default;

    virtual SystemServices& System() = 0;
    virtual WindowServices& Windows() = 0;

    // An empty folder that belongs to this environment, as a Windows path
    // without a trailing backslash.
    virtual std::string Scratch() const = 0;
    // Creates or replaces a file with exactly these bytes; its folder exists.
    virtual bool PutFile(const std::string& path, const std::string& bytes) = 0;
    virtual bool MakeFolder(const std::string& path) = 0;

    // Another program holds the file open, sharing nothing, until the
    // environment ends.
    virtual bool HoldOpenElsewhere(const std::string& path) = 0;
    // A text value under HKEY_LOCAL_MACHINE; empty when it does not exist.
    virtual std::string MachineRegistryText(const std::string& keyPath,
                                            const std::string& valueName) = 0;

    // Queues one window message for this thread; dispatching it runs `handler`.
    virtual void Post(std::function<void()> handler) = 0;

    // Sets a string table entry. False where the table cannot change at run
    // time: the Windows test program carries the same table as resources.
    virtual bool GiveString(unsigned id, const std::string& text) = 0;
};

// The environment of this test program's backend, new for each test.
std::unique_ptr<ContractEnv> MakeContractEnv();
