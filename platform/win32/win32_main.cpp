// Setup.exe's entry point: the real platform under the program.
#include "app/setup_app.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Win32System system;
    Win32Devices devices;
    Win32Windows windows;
    return RunSetupProgram(Platform{system, devices, windows});
}
