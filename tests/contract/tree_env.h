// What the device and window contract tests set up on the machine they run
// on: entries in the device tree, and dialogs with controls that record the
// commands they receive. One implementation over the fake machine, one over
// the real calls (registry keys that SETUPAPI lists, real dialogs).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/device_services.h"
#include "platform/window_services.h"

struct ReceivedCommand {
    int commandId;
    int notification;
    WindowHandle control;
};

class TreeEnv {
  public:
    virtual ~TreeEnv() = default;

    virtual DeviceServices& Devices() = 0;
    virtual WindowServices& Windows() = 0;

    // A device entry as the system leaves it for a device once plugged in.
    virtual bool GiveDevice(const ClassGuid& classGuid, const std::string& instanceId) = 0;
    virtual bool HasDevice(const std::string& instanceId) = 0;
    // Whether the configuration manager finds the root of the device tree.
    virtual bool LocatesRoot() const = 0;

    // A shown dialog (class "#32770"); top-level with kNoWindow.
    virtual WindowHandle MakeDialog(WindowHandle parent, const std::string& text) = 0;
    // A shown control of a dialog.
    virtual WindowHandle MakeControl(WindowHandle dialog, const char* className,
                                     const std::string& text, int controlId) = 0;
    virtual void SetEnabled(WindowHandle window, bool enabled) = 0;
    virtual void SetVisible(WindowHandle window, bool visible) = 0;
    virtual void Destroy(WindowHandle window) = 0;
    // The commands a dialog of MakeDialog has handled, in order.
    virtual std::vector<ReceivedCommand> CommandsOf(WindowHandle dialog) = 0;
};

// The environment of this test program's backend, new for each test.
std::unique_ptr<TreeEnv> MakeTreeEnv();

class TreeContractTest : public ::testing::Test {
  protected:
    void SetUp() override { env_ = MakeTreeEnv(); }
    void TearDown() override { env_.reset(); }

    TreeEnv& Env() { return *env_; }
    DeviceServices& Dev() { return env_->Devices(); }
    WindowServices& Win() { return env_->Windows(); }

  private:
    std::unique_ptr<TreeEnv> env_;
};
