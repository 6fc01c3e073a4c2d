#include "platform/text.h"
#include "platform/win32/win32_api.h"

bool EndsWithBackslash(const char* path) {
    std::size_t last =
        LastBackslash(path, [](unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; });
    return last != kNoBackslash && path[last + 1] == '\0';
}

// Only the system folder's copy: a DLL loaded by bare name is looked for in
// the program's own folder first (a download folder, a shared drive, a floppy
// passed around), where anyone may have put one of that name.
HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH + 16];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    std::size_t nameLength = lstrlenA(name);
    if (length == 0 || length >= MAX_PATH || length + 1 + nameLength >= sizeof path) {
        return nullptr;
    }
    // Ends with a backslash only at a drive's root.
    if (!EndsWithBackslash(path)) {
        path[length++] = '\\';
    }
    lstrcpyA(path + length, name);
    // The DLL's own imports are then looked for beside it, in the system
    // folder, before the program's folder. No second try without the flag:
    // every Windows kind takes it, and the usual reason for a refusal (an
    // import the system lacks) is just what a plain load would fetch from
    // beside the program.
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
