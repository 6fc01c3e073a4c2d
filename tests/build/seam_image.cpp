// A GUI image that touches every operation of the Windows backend once, so that
// its import table shows all the backend needs. The import check reads it.
// It starts as Setup.exe does (win32_main.cpp), without the runtime's start-up
// code, so that its imports are the backend's and nothing else.
#include <cstring>
#include <string>

#include "platform/text.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"

namespace {

int TouchEveryCall() {
    Win32Files files;
    Win32Infs infs;
    Win32Facts facts;
    Win32Windows windows;

    files.ListFiles("*.none");
    // No such INF ships; the line calls run only if someone puts one there.
    InfHandle inf = infs.OpenInf("seam_image.inf");
    if (inf != kNoInf) {
        InfLine line;
        FixedText<64> text;
        int value = 0;
        if (infs.FindFirstLine(inf, "Version", nullptr, &line)) {
            infs.GetStringField(line, 0, text.Buffer());
            infs.GetIntField(line, 1, &value);
            infs.FindNextLine(&line);
        }
        infs.CloseInf(inf);
    }
    WindowsVersion version;
    facts.GetVersion(&version);
    PathText folder;
    facts.GetWindowsDirectory(folder.Buffer());
    facts.GetModulePath(folder.Buffer());
    std::string commandLine = facts.GetCommandLine();

    windows.LoadString(1);
    windows.DispatchOneMessage();
    windows.Sleep(0);
    windows.SetControlText(kNoWindow, 1, "");
    windows.SetProgressPosition(kNoWindow, 1, 0);
    // Other programs' windows: a walk of the top-level dialogs.
    WindowHandle dialog = windows.NextWindow(kNoWindow, kNoWindow, "#32770");
    if (dialog != kNoWindow) {
        FixedText<256> text;
        windows.ReadWindowText(dialog, text.Buffer());
        windows.GetControlId(dialog);
        windows.IsWindowEnabled(dialog);
        windows.IsWindowVisible(dialog);
    }

    // The device calls are bound at run time and add no import; the tree is
    // only read here, and nothing is removed or enumerated again unless asked.
    Win32Devices devices;
    DeviceSet set = devices.OpenDeviceSet(kUsbClassGuid, "USB", 0);
    if (set != kNoDeviceSet) {
        DeviceEntry entry;
        FixedText<512> id;
        if (devices.GetDeviceEntry(set, 0, &entry)) {
            devices.GetInstanceId(set, entry, id.Buffer());
            if (std::strstr(commandLine.c_str(), "/remove") != nullptr) {
                devices.RemoveDevice(set, entry);
            }
        }
        devices.CloseDeviceSet(set);
    }
    DevNode root = 0;
    if (devices.LocateRootDevNode(&root) &&
        std::strstr(commandLine.c_str(), "/rescan") != nullptr) {
        devices.ReenumerateDevNode(root);
    }
    if (std::strstr(commandLine.c_str(), "/command") != nullptr) {
        windows.SendCommand(dialog, 2);
    }

    // Only on request: a box waits for a person.
    if (std::strstr(commandLine.c_str(), "/box") != nullptr) {
        windows.MessageBox(kNoWindow, "seam_image", "seam_image", kIconInformation);
    }
    return 0;
}

}  // namespace

extern "C" __attribute__((force_align_arg_pointer, noreturn)) void SetupEntry() {
    ExitProcess(static_cast<UINT>(TouchEveryCall()));
}
