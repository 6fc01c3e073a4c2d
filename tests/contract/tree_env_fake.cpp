// The contract environment over the fake machine.
#include <map>

#include "platform/fake/machine.h"
#include "tests/contract/tree_env.h"

namespace {

class FakeTreeEnv : public TreeEnv {
  public:
    FakeTreeEnv() { machine_.files.MakeFolder(Scratch()); }

    Platform Services() override {
        return PlatformOf(machine_.system, machine_.devices, machine_.windows);
    }

    std::string Scratch() const override { return "C:\\CONTRACT"; }
    bool PutFile(const std::string& path, const std::string& bytes) override {
        return machine_.givenFile(path, bytes), true;
    }

    bool GiveDevice(const ClassGuid& classGuid, const std::string& instanceId) override {
        return machine_.givenDevice(classGuid, instanceId), true;
    }

    WindowHandle MakeWindow(WindowHandle parent, const char* className, const std::string& text,
                            int id, bool shown, bool enabled) override {
        WindowHandle window = Tree().Add(parent, className, text, id);
        Tree().SetVisible(window, shown);
        Tree().SetEnabled(window, enabled);
        Tree().OnCommand(window,
                         [this, window](int command) { received_[window].push_back(command); });
        return window;
    }
    void PostCommand(WindowHandle dialog, int commandId) override {
        machine_.windows.Post([this, dialog, commandId] { Tree().Command(dialog, commandId); },
                              machine_.clock.NowMs());
    }
    std::vector<int> CommandsOf(WindowHandle dialog) override { return received_[dialog]; }

  private:
    fake::WindowTree& Tree() { return machine_.windows.tree; }

    fake::Machine machine_;
    std::map<WindowHandle, std::vector<int>> received_;
};

}  // namespace

std::unique_ptr<TreeEnv> MakeTreeEnv() {
    return std::make_unique<FakeTreeEnv>();
}
