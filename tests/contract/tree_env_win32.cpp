// The contract environment over the real calls. Files go to a folder under
// the temporary folder. Device entries are registry keys
// HKLM\System\CurrentControlSet\Enum\<enumerator>\<device>\<instance> with a
// ClassGUID value, which SETUPAPI lists (Wine reads them just so); the
// environment deletes the keys it made. Dialogs are real dialogs of this
// thread.
#include <cstdio>
#include <map>
#include <set>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"
#include "tests/contract/tree_env.h"
#include "tests/support/win32_scratch.h"

namespace {

constexpr const char* kEnumKey = "System\\CurrentControlSet\\Enum\\";

HWND WindowOf(WindowHandle handle) {
    return reinterpret_cast<HWND>(handle);
}

std::string GuidText(const ClassGuid& guid) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(guid.data1), guid.data2, guid.data3, guid.data4[0],
                  guid.data4[1], guid.data4[2], guid.data4[3], guid.data4[4], guid.data4[5],
                  guid.data4[6], guid.data4[7]);
    return text;
}

// "USB\VID_X&PID_Y\1" -> "USB\VID_X&PID_Y": the key that holds the instances.
std::string DeviceKeyOf(const std::string& instanceId) {
    return instanceId.substr(0, instanceId.rfind('\\'));
}

// An empty dialog template: no menu, the dialog class, no title, no controls.
struct EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};

class Win32TreeEnv : public TreeEnv {
  public:
    Win32TreeEnv() : scratch_(UniqueTempPath("contract")) {
        current_ = this;
        RemoveTree(scratch_);
        CreateDirectoryA(scratch_.c_str(), nullptr);
    }
    ~Win32TreeEnv() override {
        RemoveTree(scratch_);
        for (HWND dialog : topLevel_) {
            DestroyWindow(dialog);
        }
        // The instance keys, then their device keys once empty. Never a key
        // above them: on Windows 9x RegDeleteKeyA deletes a whole tree.
        for (const std::string& id : instanceIds_) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kEnumKey + id).c_str());
        }
        for (const std::string& id : instanceIds_) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kEnumKey + DeviceKeyOf(id)).c_str());
        }
        current_ = nullptr;
    }

    SystemServices& System() override { return system_; }
    DeviceServices& Devices() override { return devices_; }
    WindowServices& Windows() override { return windows_; }

    std::string Scratch() const override { return scratch_; }
    bool PutFile(const std::string& path, const std::string& bytes) override {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        BOOL ok =
            file != INVALID_HANDLE_VALUE &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return ok && written == bytes.size();
    }

    bool GiveDevice(const ClassGuid& classGuid, const std::string& instanceId) override {
        HKEY key;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kEnumKey + instanceId).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        instanceIds_.insert(instanceId);
        std::string guid = GuidText(classGuid);
        LONG status =
            RegSetValueExA(key, "ClassGUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(guid.c_str()),
                           static_cast<DWORD>(guid.size() + 1));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    bool HasDevice(const std::string& instanceId) override {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (kEnumKey + instanceId).c_str(), 0, KEY_READ, &key) !=
            ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }

    WindowHandle MakeDialog(WindowHandle parent, const std::string& text) override {
        EmptyTemplate dialogTemplate = {};
        dialogTemplate.header.style =
            parent == kNoWindow ? WS_POPUP : WS_CHILD | DS_CONTROL | WS_VISIBLE;
        dialogTemplate.header.cx = 200;
        dialogTemplate.header.cy = 100;
        HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.header,
                                                 WindowOf(parent), DialogProc, 0);
        if (dialog == nullptr) {
            return kNoWindow;
        }
        SetWindowTextA(dialog, text.c_str());
        if (parent == kNoWindow) {
            topLevel_.insert(dialog);
            SetVisible(reinterpret_cast<WindowHandle>(dialog), true);
        }
        return reinterpret_cast<WindowHandle>(dialog);
    }
    WindowHandle MakeControl(WindowHandle dialog, const char* className, const std::string& text,
                             int controlId) override {
        HWND control = CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, 40,
                                       10, WindowOf(dialog),
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                                       GetModuleHandleA(nullptr), nullptr);
        return reinterpret_cast<WindowHandle>(control);
    }
    void SetEnabled(WindowHandle window, bool enabled) override {
        EnableWindow(WindowOf(window), enabled ? TRUE : FALSE);
    }
    void SetVisible(WindowHandle window, bool visible) override {
        HWND handle = WindowOf(window);
        if (GetParent(handle) != nullptr) {
            ShowWindow(handle, visible ? SW_SHOWNA : SW_HIDE);
            return;
        }
        // A top-level window is shown by its style bit alone: Wine without a
        // window manager (Xvfb) waits 2 s to take a mapped window down again.
        LONG style = GetWindowLongA(handle, GWL_STYLE);
        SetWindowLongA(handle, GWL_STYLE, visible ? style | WS_VISIBLE : style & ~WS_VISIBLE);
    }
    void Destroy(WindowHandle window) override {
        topLevel_.erase(WindowOf(window));
        DestroyWindow(WindowOf(window));
    }
    void PostCommand(WindowHandle dialog, int commandId) override {
        PostMessageA(WindowOf(dialog), WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
    }
    std::vector<int> CommandsOf(WindowHandle dialog) override {
        return received_[WindowOf(dialog)];
    }

    void GiveString(unsigned, const std::string&) override {}

  private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            return FALSE;
        }
        if (message == WM_COMMAND && current_ != nullptr) {
            bool click = HIWORD(wParam) == 0 && lParam == 0;
            current_->received_[dialog].push_back(click ? LOWORD(wParam) : -1);
            return TRUE;
        }
        return FALSE;
    }

    static Win32TreeEnv* current_;
    std::string scratch_;
    Win32System system_;
    Win32Devices devices_;
    Win32Windows windows_;
    std::set<std::string> instanceIds_;
    std::set<HWND> topLevel_;
    std::map<HWND, std::vector<int>> received_;
};

Win32TreeEnv* Win32TreeEnv::current_ = nullptr;

}  // namespace

std::unique_ptr<TreeEnv> MakeTreeEnv() {
    return std::make_unique<Win32TreeEnv>();
}
