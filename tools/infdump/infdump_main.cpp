// infdump: the dump (INFDUMP 1) of an INF as the fake machine's reader sees it.
//
//   infdump [--dirids=wine] [--infdir=WINDOWS_FOLDER] FILE
//
// Directory ids expand as on a Windows 98 machine unless --dirids=wine. %1% is the file's
// own folder as Wine names it (Z: followed by the absolute path) unless --infdir is given.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/infdump/inf_dump.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: infdump [--dirids=wine] [--infdir=WINDOWS_FOLDER] FILE\n");
    return 2;
}

// /home/x/a.inf -> Z:\home\x
std::string WineFolderOf(const std::string& path) {
    char resolved[PATH_MAX];
    std::string absolute = realpath(path.c_str(), resolved) ? resolved : path;
    std::size_t cut = absolute.find_last_of('/');
    std::string folder = cut == std::string::npos ? std::string() : absolute.substr(0, cut);
    for (char& c : folder) {
        if (c == '/') {
            c = '\\';
        }
    }
    return "Z:" + (folder.empty() ? std::string("\\") : folder);
}

}  // namespace

int main(int argc, char** argv) {
    infdump::DumpOptions options;
    const char* path = nullptr;
    const char* infDir = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dirids=wine") == 0) {
            options.dirIds = inf_reader::DirIdTable::Wine();
        } else if (std::strncmp(argv[i], "--infdir=", 9) == 0) {
            infDir = argv[i] + 9;
        } else if (argv[i][0] == '-' || path != nullptr) {
            return Usage();
        } else {
            path = argv[i];
        }
    }
    if (path == nullptr) {
        return Usage();
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "infdump: cannot read %s\n", path);
        return 1;
    }
    std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    options.infFolder = infDir != nullptr ? infDir : WineFolderOf(path);
    std::cout << infdump::Dump(bytes, options);
    return std::cout.good() ? 0 : 1;
}
