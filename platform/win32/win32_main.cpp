// Setup.exe's entry point: the real platform under the program.
#include "platform/program_main.h"
#include "platform/win32/lean_start.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"

// The runtime's start-up code is built for the Pentium Pro: its CMOV
// instructions would fault before the program's first line on a Pentium MMX
// or a K6-2. Setup.exe starts here instead (linked without start files) and
// does what it needs of that code itself: the static constructors run, and the
// exit code goes to the system. No destructor of a static object needs to
// run at the end: the process is ending.
extern "C" __attribute__((force_align_arg_pointer, noreturn)) void SetupEntry() {
    RunStaticConstructors();
    int exitCode = 0;
    {
        Win32Files files;
        Win32Infs infs;
        Win32Facts facts;
        Win32Process process;
        Win32Devices devices;
        Win32Windows windows;
        exitCode = RunSetupProgram(Platform{files, infs, facts, process, devices, windows});
    }
    ExitProcess(static_cast<UINT>(exitCode));
}
