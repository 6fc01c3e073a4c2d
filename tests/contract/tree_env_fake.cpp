// The contract environment over the fake machine.
#include <map>

#include "platform/fake/machine.h"
#include "tests/contract/tree_env.h"

namespace {

class FakeTreeEnv : public TreeEnv {
  public:
    FakeTreeEnv() { machine_.files.MakeFolder(Scratch()); }

    SystemServices& System() override { return machine_.system; }
    DeviceServices& Devices() override { return machine_.devices; }
    WindowServices& Windows() override { return machine_.windows; }

    std::string Scratch() const override { return "C:\\CONTRACT"; }
    bool PutFile(const std::string& path, const std::string& bytes) override {
        machine_.givenFile(path, bytes);
        return true;
    }

    bool GiveDevice(const ClassGuid& classGuid, const std::string& instanceId) override {
        machine_.givenDevice(classGuid, instanceId);
        return true;
    }
    bool HasDevice(const std::string& instanceId) override {
        return machine_.devices.Has(instanceId);
    }

    WindowHandle MakeDialog(WindowHandle parent, const std::string& text) override {
        WindowHandle dialog = Tree().Add(parent, fake::kDialogClass, text);
        Tree().OnCommand(dialog, [this, dialog](int id) { received_[dialog].push_back(id); });
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
    void PostCommand(WindowHandle dialog, int commandId) override {
        machine_.windows.Post([this, dialog, commandId] { Tree().Command(dialog, commandId); },
                              machine_.clock.NowMs());
    }
    std::vector<int> CommandsOf(WindowHandle dialog) override { return received_[dialog]; }

    void GiveString(unsigned id, const std::string& text) override {
        machine_.givenString(id, text);
    }

  private:
    fake::WindowTree& Tree() { return machine_.windows.tree; }

    fake::Machine machine_;
    std::map<WindowHandle, std::vector<int>> received_;
};

}  // namespace

std::unique_ptr<TreeEnv> MakeTreeEnv() {
    return std::make_unique<FakeTreeEnv>();
}
