// The computer pkgcheck runs on under Linux: a folder on the Linux disk. Our
// own INF reader stands in for the system's.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/console_main.h"
#include "platform/host_computer.h"

namespace {

class LinuxComputer final : public HostComputer {
  public:
    bool ReadFolder(const std::string& folder, std::vector<FolderFile>* files,
                    std::vector<std::string>* skipped, std::string* error) override {
        namespace fs = std::filesystem;
        std::error_code failure;
        if (!fs::is_directory(folder, failure)) {
            *error = folder + " is not a folder";
            return false;
        }
        for (fs::directory_iterator it(folder, failure), end; !failure && it != end;
             it.increment(failure)) {
            std::string name = it->path().filename().string();
            if (!it->is_regular_file(failure)) {
                skipped->push_back(name + ": not a file");
                continue;
            }
            std::ifstream in(it->path(), std::ios::binary);
            if (!in) {
                *error = "cannot read " + name;
                return false;
            }
            files->push_back(FolderFile{name, std::string((std::istreambuf_iterator<char>(in)),
                                                          std::istreambuf_iterator<char>())});
        }
        if (failure) {
            *error = "cannot list " + folder + ": " + failure.message();
            return false;
        }
        return true;
    }

    InfServices* SystemInfReader(FileServices&) override { return nullptr; }
    InfRefusal LastRefusal() override { return InfRefusal(); }
};

}  // namespace

HostComputer& ThisComputer() {
    static LinuxComputer computer;
    return computer;
}

int main(int argc, char** argv) {
    std::string report;
    std::string errors;
    int status = ConsoleMain(argc, argv, report, errors);
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fwrite(errors.data(), 1, errors.size(), stderr);
    return status;
}
