// The Windows headers as the backend uses them. <windows.h> maps LoadString,
// MessageBox, GetCommandLine and GetWindowsDirectory to their A/W variants by
// macro, which would rename the methods of our interfaces; we call the ANSI
// functions by name, so the macros go.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <setupapi.h>

#undef LoadString
#undef MessageBox
#undef GetCommandLine
#undef GetWindowsDirectory
#undef SetFileAttributes
#undef CopyFile
#undef DeleteFile
#undef MoveFile
#undef CreateDirectory

// Whether the path's last character is a backslash, read a character at a
// time in the ANSI code page: the second byte of a double-byte character may
// be 0x5C too (表 in Shift-JIS, 功 in Big5).
bool EndsWithBackslash(const char* path);

// A DLL of the system folder, loaded by its full path there; nullptr when it
// is missing. Never by bare name: see system_library.cpp.
HMODULE LoadSystemLibrary(const char* name);

// The address of an export, or nullptr where the module or the export is
// missing: for calls bound at run time, which an older system may lack.
// Through BIND_CALL, typed as the system header declares it.
template <typename Call>
Call Bind(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    FARPROC proc = GetProcAddress(module, name);
    // By way of a parameterless function type, the one cast that
    // -Wcast-function-type lets through.
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(proc));
}

// A call of `module` bound by its name and typed by the header's declaration
// of that name, so that a wrong signature fails the build, not the stack.
#define BIND_CALL(module, name) Bind<decltype(&name)>(module, #name)
