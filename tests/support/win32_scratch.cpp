#include "tests/support/win32_scratch.h"

#include "platform/win32/win32_api.h"

std::string UniqueTempPath(const char* name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH + 1, temp);
    static unsigned serial = 0;
    return std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++serial);
}

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
