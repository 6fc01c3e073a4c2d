// The contract environment over the real Windows calls: a folder of its own
// under the temporary folder, and a hidden window whose messages run handlers.
// The string table is the program's own resources (contract_strings.rc).
#include <map>
#include <utility>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"
#include "tests/contract/contract_env.h"
#include "tests/support/win32_scratch.h"

namespace {

constexpr const char* kWindowClass = "ContractTestWindow";
constexpr UINT kRunHandler = WM_APP + 1;

class Win32ContractEnv : public ContractEnv {
  public:
    Win32ContractEnv() {
        scratch_ = UniqueTempPath("contract");
        RemoveTree(scratch_);
        CreateDirectoryA(scratch_.c_str(), nullptr);

        RegisterClassOnce();
        window_ = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~Win32ContractEnv() override {
        // Messages a test left queued must not run handlers that are gone.
        handlers_.clear();
        MSG message;
        while (PeekMessageA(&message, window_, 0, 0, PM_REMOVE)) {
        }
        DestroyWindow(window_);
        for (HANDLE held : held_) {
            CloseHandle(held);
        }
        RemoveTree(scratch_);
    }

    SystemServices& System() override { return system_; }
    WindowServices& Windows() override { return windows_; }

    std::string Scratch() const override { return scratch_; }

    bool PutFile(const std::string& path, const std::string& bytes) override {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        DWORD written = 0;
        BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()),
                                             &written, nullptr);
        CloseHandle(file);
        return ok && written == bytes.size();
    }

    bool MakeFolder(const std::string& path) override {
        return CreateDirectoryA(path.c_str(), nullptr) != 0;
    }

    bool HoldOpenElsewhere(const std::string& path) override {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        held_.push_back(file);
        return true;
    }

    std::string MachineRegistryText(const std::string& keyPath,
                                    const std::string& valueName) override {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return std::string();
        }
        char text[1024] = {};
        DWORD size = sizeof text - 1;
        DWORD type = 0;
        LONG status = RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(text), &size);
        RegCloseKey(key);
        return status == ERROR_SUCCESS && type == REG_SZ ? std::string(text) : std::string();
    }

    void Post(std::function<void()> handler) override {
        WPARAM id = ++lastHandler_;
        handlers_[id] = std::move(handler);
        PostMessageA(window_, kRunHandler, id, 0);
    }

    bool GiveString(unsigned, const std::string&) override { return false; }

  private:
    static void RegisterClassOnce() {
        static bool registered = false;
        if (registered) {
            return;
        }
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = WindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        registered = RegisterClassA(&windowClass) != 0;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kRunHandler) {
            auto* env =
                reinterpret_cast<Win32ContractEnv*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (env != nullptr) {
                env->Run(wParam);
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    void Run(WPARAM id) {
        auto found = handlers_.find(id);
        if (found == handlers_.end()) {
            return;
        }
        std::function<void()> handler = std::move(found->second);
        handlers_.erase(found);
        handler();
    }

    Win32System system_;
    Win32Windows windows_;
    std::string scratch_;
    HWND window_ = nullptr;
    std::map<WPARAM, std::function<void()>> handlers_;
    std::vector<HANDLE> held_;
    WPARAM lastHandler_ = 0;
};

}  // namespace

std::unique_ptr<ContractEnv> MakeContractEnv() {
    return std::make_unique<Win32ContractEnv>();
}
