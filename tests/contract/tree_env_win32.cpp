// The contract environment over the real calls. Files go to a folder under
// the temporary folder. A device entry is a registry key
// HKLM\System\CurrentControlSet\Enum\<enumerator>\<device>\<instance> with a
// ClassGUID value, which SETUPAPI lists (Wine reads them just so); the keys
// are deleted at the end. Windows are real windows of this thread; they live
// until the program ends.
#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"
#include "tests/contract/tree_env.h"

namespace {

const std::string kEnumKey = "System\\CurrentControlSet\\Enum\\";
std::map<HWND, std::vector<int>> received;

// A path under the temporary folder, unique to this process and call.
std::string UniqueTempPath(const char* name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH + 1, temp);
    static unsigned serial = 0;
    return std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++serial);
}

// Removes the folder with everything in it, read-only files included.
void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        std::string name = found.cFileName;
        std::string path = folder + "\\" + name;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        } else if (name != "." && name != "..") {
            RemoveTree(path);
        }
    }
    FindClose(search);
    RemoveDirectoryA(folder.c_str());
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        received[dialog].push_back(HIWORD(wParam) == 0 && lParam == 0 ? LOWORD(wParam) : -1);
    }
    return message == WM_COMMAND;
}

class Win32TreeEnv : public TreeEnv {
  public:
    // Wine gives a process the same id run after run: a folder a failed run
    // left behind is cleared first.
    Win32TreeEnv() : scratch_(UniqueTempPath("contract")) {
        RemoveTree(scratch_);
        CreateDirectoryA(scratch_.c_str(), nullptr);
    }
    ~Win32TreeEnv() override {
        RemoveTree(scratch_);
        // The instance keys, then their device keys once empty. Never a key
        // above them: on Windows 9x RegDeleteKeyA deletes a whole tree.
        for (const std::string& id : instanceIds_) {
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kEnumKey + id).c_str());
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, (kEnumKey + id.substr(0, id.rfind('\\'))).c_str());
        }
    }

    Platform Services() override {
        return Platform{files_, infs_, facts_, process_, devices_, windows_};
    }

    std::string Scratch() const override { return scratch_; }
    bool PutFile(const std::string& path, const std::string& bytes) override {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        bool written =
            file != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return file != nullptr && std::fclose(file) == 0 && written;
    }

    bool GiveDevice(const ClassGuid& classGuid, const std::string& instanceId) override {
        const char* guid = classGuid == kUsbClassGuid ? "{36FC9E60-C465-11CF-8056-444553540000}"
                                                      : "{4D36E96A-E325-11CE-BFC1-08002BE10318}";
        HKEY key = nullptr;
        bool made = RegCreateKeyA(HKEY_LOCAL_MACHINE, (kEnumKey + instanceId).c_str(), &key) == 0 &&
                    RegSetValueExA(key, "ClassGUID", 0, REG_SZ, reinterpret_cast<const BYTE*>(guid),
                                   39) == 0;
        instanceIds_.insert(instanceId);
        RegCloseKey(key);
        return made;
    }

    WindowHandle MakeWindow(WindowHandle parent, const char* className, const std::string& text,
                            int id, bool shown, bool enabled) override {
        HWND owner = reinterpret_cast<HWND>(parent);
        DWORD style = (owner != nullptr ? WS_CHILD : WS_POPUP) | (enabled ? 0 : WS_DISABLED);
        HWND window = CreateWindowExA(0, className, text.c_str(), style, 0, 0, 40, 10, owner,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                      GetModuleHandleA(nullptr), nullptr);
        if (std::string(className) == "#32770") {
            SetWindowLongPtrA(window, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(DialogProc));
        }
        // By the style bit alone: Wine without a window manager (Xvfb) waits
        // 2 s to take a mapped window down again.
        LONG_PTR shownStyle = GetWindowLongPtrA(window, GWL_STYLE) | (shown ? WS_VISIBLE : 0);
        SetWindowLongPtrA(window, GWL_STYLE, shownStyle);
        return reinterpret_cast<WindowHandle>(window);
    }
    void PostCommand(WindowHandle dialog, int commandId) override {
        PostMessageA(reinterpret_cast<HWND>(dialog), WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
    }
    std::vector<int> CommandsOf(WindowHandle dialog) override {
        return received[reinterpret_cast<HWND>(dialog)];
    }

  private:
    std::string scratch_;
    Win32Files files_;
    Win32Infs infs_;
    Win32Facts facts_;
    Win32Process process_;
    Win32Devices devices_;
    Win32Windows windows_;
    std::set<std::string> instanceIds_;
};

}  // namespace

std::unique_ptr<TreeEnv> MakeTreeEnv() {
    return std::make_unique<Win32TreeEnv>();
}
