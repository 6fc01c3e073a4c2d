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
