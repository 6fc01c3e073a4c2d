// The device and window tree environment over the fake machine.
#include <map>

#include "platform/fake/machine.h"
#include "tests/contract/tree_env.h"

namespace {

class FakeTreeEnv : public TreeEnv {
  public:
    DeviceServices& Devices() override { return machine_.devices; }
    WindowServices& Windows() override { return machine_.windows; }

    bool GiveDevice(const ClassGuid& classGuid, const std::string& instanceId) override {
        machine_.givenDevice(classGuid, instanceId);
        return true;
    }
    bool HasDevice(const std::string& instanceId) override {
        return machine_.devices.Has(instanceId);
    }
    bool LocatesRoot() const override { return true; }

    WindowHandle MakeDialog(WindowHandle parent, const std::string& text) override {
        WindowHandle dialog = Tree().Add(parent, fake::kDialogClass, text);
        Tree().OnCommand(dialog, [this, dialog](int commandId) {
            received_[dialog].push_back(ReceivedCommand{commandId, 0, kNoWindow});
        });
        return dialog;
    }
    WindowHandle MakeControl(WindowHandle dialog, const char* className, const std::string& text,
                             int controlId) override {
        return Tree().Add(dialog, className, text, controlId);
    }
    void SetEnabled(WindowHandle window, bool enabled) override {
        Tree().SetEnabled(window, enabled);
    }
    void SetVisible(WindowHandle window, bool visible) override {
        Tree().SetVisible(window, visible);
    }
    void Destroy(WindowHandle window) override { Tree().Remove(window); }
    std::vector<ReceivedCommand> CommandsOf(WindowHandle dialog) override {
        return received_[dialog];
    }

  private:
    fake::WindowTree& Tree() { return machine_.windows.tree; }

    fake::Machine machine_;
    std::map<WindowHandle, std::vector<ReceivedCommand>> received_;
};

}  // namespace

std::unique_ptr<TreeEnv> MakeTreeEnv() {
    return std::make_unique<FakeTreeEnv>();
}
