#include "tests/support/win32_scratch.h"

#include <cstdio>

#include "platform/win32/win32_api.h"

std::string UniqueTempPath(const char* name) {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH + 1, temp);
    static unsigned serial = 0;
    char unique[96];
    std::snprintf(unique, sizeof unique, "%s-%lu-%u", name,
                  static_cast<unsigned long>(GetCurrentProcessId()), ++serial);
    return std::string(temp) + unique;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}
