// What a contract test sets up besides the services under test: files in a
// folder of its own, device entries, and windows whose dialogs record the
// commands they handle. One implementation over the fake machine, one over
// the real calls.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

class TreeEnv {
  public:
    virtual ~TreeEnv() = default;

    virtual Platform Services() = 0;

    // An empty folder of this environment, without a trailing backslash.
    virtual std::string Scratch() const = 0;
    // Creates or replaces a file with exactly these bytes; its folder exists.
    virtual bool PutFile(const std::string& path, const std::string& bytes) = 0;

    // A device entry as the system leaves it for a device once plugged in.
    virtual bool GiveDevice(const ClassGuid& classGuid, const std::string& instanceId) = 0;

    // A window; top-level with kNoWindow. One of class "#32770" is a dialog.
    virtual WindowHandle MakeWindow(WindowHandle parent, const char* className,
                                    const std::string& text, int id, bool shown, bool enabled) = 0;
    // Queues a button click for a dialog; it is handled when dispatched.
    virtual void PostCommand(WindowHandle dialog, int commandId) = 0;
    // The clicks a dialog has handled, in order; -1 for a command that came
    // with a notification or a control.
    virtual std::vector<int> CommandsOf(WindowHandle dialog) = 0;
};

// The environment of this test program's backend, new for each call.
std::unique_ptr<TreeEnv> MakeTreeEnv();

class ContractTest : public ::testing::Test {
  protected:
    FileServices& Files() { return env_->Services().files; }
    InfServices& Infs() { return env_->Services().infs; }
    SystemFacts& Facts() { return env_->Services().facts; }
    DeviceServices& Dev() { return env_->Services().devices; }
    WindowServices& Win() { return env_->Services().windows; }
    std::string At(const std::string& name) { return env_->Scratch() + "\\" + name; }

    std::unique_ptr<TreeEnv> env_ = MakeTreeEnv();
};
