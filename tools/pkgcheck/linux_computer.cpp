// pkgcheck on Linux: the package folder on the Linux disk, read with the fake
// machine's own INF reader.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/console_main.h"
#include "tools/pkgcheck/pkg_check.h"

namespace pkgcheck {

namespace {

class LinuxComputer : public Computer {
  public:
    bool ReadFolder(const std::string& folder, std::vector<PackageFile>* files,
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
            files->push_back(PackageFile{name, std::string((std::istreambuf_iterator<char>(in)),
                                                           std::istreambuf_iterator<char>())});
        }
        if (failure) {
            *error = "cannot list " + folder + ": " + failure.message();
            return false;
        }
        return true;
    }

    SystemInfReader* InfReader() override { return nullptr; }
};

}  // namespace

Computer& ThisComputer() {
    static LinuxComputer computer;
    return computer;
}

}  // namespace pkgcheck

int main(int argc, char** argv) {
    std::string report;
    std::string errors;
    int status = ConsoleMain(argc, argv, report, errors);
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fwrite(errors.data(), 1, errors.size(), stderr);
    return status;
}
