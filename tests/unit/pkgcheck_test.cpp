// pkgcheck over the sample package and broken copies of it on the Linux disk.
#include "tools/pkg_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;

Files SampleFiles() {
    Files files;
    for (const auto& entry : fs::directory_iterator(SAMPLE_PACKAGE_DIR)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        files[entry.path().filename().string()] = bytes.str();
    }
    return files;
}

void Replace(Files& files, const std::string& name, const std::string& from,
             const std::string& to) {
    std::string& text = files.at(name);
    std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

// A folder of its own under the temporary folder, removed with its files.
class PackageFolder {
  public:
    explicit PackageFolder(const Files& files) {
        std::string pattern = (fs::temp_directory_path() / "pkgcheck-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
        for (const auto& [name, bytes] : files) {
            std::ofstream(fs::path(path_) / name, std::ios::binary) << bytes;
        }
    }
    ~PackageFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome Check(const std::vector<std::string>& args) {
    std::vector<const char*> argv = {"pkgcheck"};
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    std::ostringstream out;
    std::ostringstream err;
    int status = pkgcheck::Run(static_cast<int>(argv.size()), argv.data(), out, err);
    return Outcome{status, out.str(), err.str()};
}

TEST(Pkgcheck, ExplainsPackages) {
    struct Case {
        const char* name;
        std::function<void(Files&)> change;
        int status;
        std::vector<std::string> says;
    } cases[] = {
        {"the sample package",
         [](Files&) {},
         pkgcheck::kUsable,
         {"taken        NIMBLE.IN_: the first listed *.in? file",
          "floppy INF   NIMBLEFD.INF (FDDInf): the INF reader accepts it",
          "target ids         2: VID F1A5 PID D15C, VID F1A5 PID D15D",
          "install section    \"NimbleDisk\"",
          "copy          C:\\PKG\\NIMBLE.IN_ -> C:\\WINDOWS\\inf\\other\\NIMBLE.INF",
          "delete        C:\\WINDOWS\\INF\\OTHER\\NIMBLE.INF",
          "Windows XP (C:\\WINDOWS, short install)\n    the interactive start refuses it "
          "(Win98Only is 1): \"This program is for Windows 98 only !\"",
          "rename        C:\\WINDOWS\\INF\\USBSTOR.INF -> C:\\WINDOWS\\INF\\USBSTOR.I3S",
          "\nUsable\n"}},
        {"no FDDInf line",
         [](Files& f) { Replace(f, "NIMBLE.IN_", "FDDInf=NIMBLEFD.INF\r\n", ""); },
         pkgcheck::kUnusable,
         {"defect: NIMBLE.IN_: [Setup] has no FDDInf line", "the program ends without a message",
          "nothing runs", "\nNot usable\n"}},
        {"a model line without hardware id",
         [](Files& f) {
             Replace(f, "NIMBLE.IN_", "NimbleDisk,USB\\VID_F1A5&PID_D15D", "NimbleDisk");
         },
         pkgcheck::kUnusable,
         {"defect: NIMBLE.IN_ line 22: model line 2 of [NimbleModels] has no readable hardware "
          "id: it has no field 2"}},
        {"a provider name too long",
         [](Files& f) {
             Replace(f, "NIMBLE.IN_", "Maker=\"Vostrel\"", "Maker=\"Vostrel Storage Devices\"");
         },
         pkgcheck::kUnusable,
         {"defect: NIMBLE.IN_ line 8: the Provider line cannot be read: its field 1 is "
          "\"Vostrel Storage Devices\", 23 characters where at most 19 fit"}},
        {"INFs that are passed over",
         [](Files& f) {
             f["AAA.INF"] = "[Version]\r\nSignature=\"$Chicago$\"\r\n[Setup\r\n";
             f["AAB.INF"] = "[Version]\r\nSignature=\"$Chicago$\"\r\n[Other]\r\nA=1\r\n";
         },
         pkgcheck::kUsable,
         {"passed over  AAA.INF: not an INF: a section name lacks its closing bracket "
          "(ERROR_BAD_SECTION_NAME_LINE, 0xE0000001, line 3)",
          "passed over  AAB.INF: an INF without a line in [Setup]", "taken        NIMBLE.IN_"}},
        {"a setup script whose name is too long",
         [](Files& f) {
             f["NIMBLE_DRIVER_SCRIPT.IN_"] = f.at("NIMBLE.IN_");
             f.erase("NIMBLE.IN_");
         },
         pkgcheck::kUnusable,
         {"passed over  NIMBLE_DRIVER_SCRIPT.IN_: name longer than 19 characters",
          "passed over  NIMBLEFD.INF: an INF without a line in [Setup]",
          "the program shows: \"Main .in_ file with [Setup] section is not found !\""}},
        {"no port driver",
         [](Files& f) { f.erase("NIMBLE.PDR"); },
         pkgcheck::kUnusable,
         {"defect: no file matches *.pdr", "the program shows: \"MPD file not found !\""}},
        {"no floppy INF where Windows Me and XP are allowed",
         [](Files& f) {
             f.erase("NIMBLEFD.INF");
             Replace(f, "NIMBLE.IN_", "Win98Only=1", "Win98Only=0");
         },
         pkgcheck::kUnusable,
         {"floppy INF   NIMBLEFD.INF (FDDInf): not in the package",
          "defect: the floppy INF NIMBLEFD.INF describes the device here, and it is not in the "
          "package",
          "Windows 2000 (C:\\WINNT, full install)\n    the interactive start runs"}},
        {"no floppy INF where only Windows 98 is allowed",
         [](Files& f) { f.erase("NIMBLEFD.INF"); },
         pkgcheck::kUsable,
         {"\nUsable (on Windows 98 and 98 SE; on Windows Me and XP even /S ends at once)\n"}},
        {"a floppy INF the reader refuses",
         [](Files& f) { f["NIMBLEFD.INF"] = "[Version]\r\nClass=hdc\r\n"; },
         pkgcheck::kUsable,
         {"floppy INF   NIMBLEFD.INF (FDDInf): not an INF: [Version] has no Signature"}},
        {"no primary device among the models",
         [](Files& f) { Replace(f, "NIMBLE.IN_", "TargetID=F1A5D15C", "TargetID=0000FFFF"); },
         pkgcheck::kUsable,
         {"description        (empty)", "note: no install section"}},
        {"an empty folder",
         [](Files& f) { f.clear(); },
         pkgcheck::kUnusable,
         {"defect: no file matches *.in?", "the program shows: \"INF file not found !\""}},
    };
    for (const Case& c : cases) {
        Files files = SampleFiles();
        c.change(files);
        PackageFolder folder(files);
        ASSERT_FALSE(folder.Path().empty());
        Outcome outcome = Check({folder.Path()});
        EXPECT_EQ(outcome.status, c.status) << c.name << "\n" << outcome.out;
        for (const std::string& text : c.says) {
            EXPECT_NE(outcome.out.find(text), std::string::npos) << c.name << ": missing\n"
                                                                 << text << "\nin\n"
                                                                 << outcome.out;
        }
    }
}

TEST(Pkgcheck, ReadsThePackageAsDriveA) {
    Outcome outcome = Check({"--drive-a", SAMPLE_PACKAGE_DIR});
    EXPECT_EQ(outcome.status, pkgcheck::kUsable);
    EXPECT_NE(outcome.out.find("copy          A:\\NIMBLE.SY_ -> "), std::string::npos)
        << outcome.out;
}

TEST(Pkgcheck, BadArguments) {
    PackageFolder empty({});
    struct Case {
        const char* name;
        std::vector<std::string> args;
    } cases[] = {
        {"no folder", {}},
        {"two folders", {empty.Path(), empty.Path()}},
        {"unknown option", {"--verbose", empty.Path()}},
        {"a folder that does not exist", {empty.Path() + "/missing"}},
        {"a file instead of a folder", {std::string(SAMPLE_PACKAGE_DIR) + "/NIMBLE.IN_"}},
    };
    for (const Case& c : cases) {
        Outcome outcome = Check(c.args);
        EXPECT_EQ(outcome.status, pkgcheck::kBadArguments) << c.name;
        EXPECT_TRUE(outcome.out.empty()) << c.name;
        EXPECT_FALSE(outcome.err.empty()) << c.name;
    }
}

}  // namespace
