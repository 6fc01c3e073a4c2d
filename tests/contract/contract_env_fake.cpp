// The contract environment over the fake machine.
#include <utility>

#include "platform/fake/machine.h"
#include "tests/contract/contract_env.h"

namespace {

class FakeContractEnv : public ContractEnv {
  public:
    FakeContractEnv() { machine_.files.MakeFolder(kScratch); }

    SystemServices& System() override { return machine_.system; }
    WindowServices& Windows() override { return machine_.windows; }

    std::string Scratch() const override { return kScratch; }
    bool PutFile(const std::string& path, const std::string& bytes) override {
        machine_.givenFile(path, bytes);
        return true;
    }
    bool MakeFolder(const std::string& path) override {
        machine_.files.MakeFolder(path);
        return true;
    }

    bool HoldOpenElsewhere(const std::string& path) override {
        fake::File* file = machine_.files.Find(path);
        if (file != nullptr) {
            file->openElsewhere = true;
        }
        return file != nullptr;
    }
    std::string MachineRegistryText(const std::string& keyPath,
                                    const std::string& valueName) override {
        return machine_.registry.Text(keyPath, valueName);
    }

    void Post(std::function<void()> handler) override {
        machine_.windows.Post(std::move(handler), machine_.clock.NowMs());
    }

    bool GiveString(unsigned id, const std::string& text) override {
        machine_.givenString(id, text);
        return true;
    }

  private:
    static constexpr const char* kScratch = "C:\\CONTRACT";
    fake::Machine machine_;
};

}  // namespace

std::unique_ptr<ContractEnv> MakeContractEnv() {
    return std::make_unique<FakeContractEnv>();
}
