// Setup.exe's entry point: the real platform under the program.
#include <cstddef>

#include "app/setup_app.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"

namespace {

// The static constructors as the linker lists them: a count (or -1 when it
// did not count them), the functions, then a null.
extern "C" void (*__CTOR_LIST__[])();

void RunStaticConstructors() {
    std::size_t count = reinterpret_cast<std::size_t>(__CTOR_LIST__[0]);
    if (count == static_cast<std::size_t>(-1)) {
        count = 0;
        while (__CTOR_LIST__[count + 1] != nullptr) {
            ++count;
        }
    }
    for (std::size_t i = count; i >= 1; --i) {
        __CTOR_LIST__[i]();
    }
}

}  // namespace

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
        Win32System system;
        Win32Devices devices;
        Win32Windows windows;
        exitCode = RunSetupProgram(Platform{system, devices, windows});
    }
    ExitProcess(static_cast<UINT>(exitCode));
}
