// The faults the real platform makes easy, under Wine: a read-only
// destination, a missing SYSTEM\IOSUBSYS, an INF that another program holds
// open while it is edited, a read-only aside file and a destination that
// another program holds locked. The real store and engine code runs over the
// real calls on a Windows directory of its own under the temporary folder;
// each case must leave the machine whole and report what happened.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/os_kind.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_devices.h"
#include "platform/win32/win32_system.h"
#include "platform/win32/win32_windows.h"
#include "tests/reliability/run_adapter.h"
#include "tests/win32/win32_test_support.h"
#include "ui/dialog_channel.h"

namespace {

constexpr char kSearchPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kSearchPathValue[] = "OtherDevicePath";

const char kScript[] =
    "[Version]\r\nSignature=\"$Chicago$\"\r\nClass=hdc\r\nProvider=%Maker%\r\n"
    "[Setup]\r\nFDDInf=NIMBLEFD.INF\r\nWin98Only=0\r\n"
    "[Manufacturer]\r\n%Maker%=NimbleModels\r\n"
    "[NimbleModels]\r\n%Disk.Desc%=NimbleDisk,USB\\VID_F1A5&PID_D15C\r\n"
    "[NimbleDisk]\r\nCopyFiles=NimbleDisk.Sys\r\n"
    "[Strings]\r\nMaker=\"Vostrel\"\r\nDisk.Desc=\"Vostrel NIMBLEKEY USB Flash Disk\"\r\n";
const char kEditedScript[] =
    "[Version]\r\nSignature=\"$Chicago$\"\r\nClass=hdc\r\nProvider=%Maker%\r\n"
    "[Setup]\r\nFDDInf=NIMBLEFD.INF\r\nWin98Only=0\r\n"
    "[Manufacturer]\r\n%Maker%=NimbleModels\r\n"
    "[NimbleModels]\r\n%Disk.Desc%=NimbleDisk,USB\\VID_F1A5&PID_D15C\r\n"
    "[NimbleDisk]\r\n;CopyFiles=NimbleDisk.Sys\r\n"
    "[Strings]\r\nMaker=\"Vostrel\"\r\nDisk.Desc=\"Vostrel NIMBLEKEY USB Flash Disk\"\r\n";
const char kFloppy[] =
    "[Version]\r\nSignature=\"$Chicago$\"\r\nClass=hdc\r\nProvider=Vostrel\r\n"
    "[Manufacturer]\r\nVostrel=Floppy\r\n[Floppy]\r\nFloppy Disk=FloppyInstall,"
    "USB\\VID_F1A5&PID_D15F\r\n";
const char kImage[] = "driver image 2.02";
const char kPortDriver[] = "port driver 2.02";

// Folders of the scratch Windows directory the program may change.
const char* const kFenced[] = {"WINDOWS\\INF", "WINDOWS\\INF\\OTHER", "WINDOWS\\SYSTEM\\IOSUBSYS",
                               "WINDOWS\\SYSTEM32\\DRIVERS"};

// The real calls, with a hook where another program may step in.
class SteppedSystem : public Win32System {
  public:
    FileHandle OpenFileExclusive(const char* path) override {
        if (beforeExclusiveOpen) {
            beforeExclusiveOpen(path);
        }
        return Win32System::OpenFileExclusive(path);
    }
    std::function<void(const char* path)> beforeExclusiveOpen;
};

// The real windows without the waiting: no wizard ever comes here, and the
// pauses would only cost time.
class UnpausedWindows : public Win32Windows {
  public:
    void Sleep(unsigned) override {}
};

std::string Upper(std::string text) {
    for (char& c : text) {
        c = AsciiUpper(c);
    }
    return text;
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return bytes;
    }
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

// Every file below `folder`, by its path relative to `root` in capitals.
void Collect(const std::string& root, const std::string& relative,
             std::map<std::string, std::string>* files) {
    std::string folder = relative.empty() ? root : root + "\\" + relative;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") {
            continue;
        }
        std::string inner = relative.empty() ? name : relative + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*files)[Upper(inner) + "\\"] = "";
            Collect(root, inner, files);
        } else {
            (*files)[Upper(inner)] = ReadFileBytes(folder + "\\" + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool Fenced(const std::string& relative) {
    std::string folder = relative.substr(0, relative.rfind('\\', relative.size() - 2));
    for (const char* allowed : kFenced) {
        if (folder == allowed) {
            return true;
        }
    }
    return false;
}

// Keeps the prefix's search path value as it was.
class SearchPathKept {
  public:
    SearchPathKept() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSearchPathKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
            char text[1024] = {};
            DWORD size = sizeof text - 1;
            had_ = RegQueryValueExA(key, kSearchPathValue, nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS;
            value_ = text;
            RegCloseKey(key);
        }
    }
    ~SearchPathKept() {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSearchPathKey, 0, KEY_WRITE, &key) !=
            ERROR_SUCCESS) {
            return;
        }
        if (had_) {
            RegSetValueExA(key, kSearchPathValue, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(value_.c_str()),
                           static_cast<DWORD>(value_.size() + 1));
        } else {
            RegDeleteValueA(key, kSearchPathValue);
        }
        RegCloseKey(key);
    }
    SearchPathKept(const SearchPathKept&) = delete;
    SearchPathKept& operator=(const SearchPathKept&) = delete;

  private:
    bool had_ = false;
    std::string value_;
};

// A scratch machine: the package beside a Windows directory that an earlier
// installation and Windows itself have filled.
struct Machine {
    ScratchFolder root{"reliability"};
    SearchPathKept searchPath;
    SteppedSystem system;
    Win32Devices devices;
    UnpausedWindows windows;
    BrandTexts brand{"Setup", "NIMBLEKEY", "", ""};
    DialogChannel channel{windows, kNoWindow, brand};
    std::vector<HANDLE> held;
    std::map<std::string, std::string> before;
    SetupContext ctx;

    Machine() {
        for (const char* folder :
             {"PACKAGE", "WINDOWS", "WINDOWS\\INF", "WINDOWS\\INF\\OTHER", "WINDOWS\\SYSTEM",
              "WINDOWS\\SYSTEM\\IOSUBSYS", "WINDOWS\\SYSTEM32", "WINDOWS\\SYSTEM32\\DRIVERS"}) {
            CreateDirectoryA(Path(folder).c_str(), nullptr);
        }
        root.Put("PACKAGE\\NIMBLE.IN_", kScript);
        root.Put("PACKAGE\\NIMBLEFD.INF", kFloppy);
        root.Put("PACKAGE\\NIMBLE.SY_", kImage);
        root.Put("PACKAGE\\NIMBLE.PDR", kPortDriver);
        for (const char* name : {"USBSTOR.INF", "USBSTOR.PNF", "DRVIDX.BIN", "DRVDATA.BIN"}) {
            root.Put(std::string("WINDOWS\\INF\\") + name, std::string("system file ") + name);
        }
        root.Put("WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS", "driver image 1.0");
        root.Put("WINDOWS\\SYSTEM\\IOSUBSYS\\NIMBLE.PDR", "port driver 1.0");
        root.Put("WINDOWS\\SYSTEM\\IOSUBSYS\\ESDI_506.PDR", "a port driver of Windows");
    }
    ~Machine() {
        for (HANDLE file : held) {
            CloseHandle(file);
        }
    }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    std::string Path(const std::string& relative) const { return root.Path() + "\\" + relative; }
    std::string Read(const std::string& relative) const { return ReadFileBytes(Path(relative)); }
    bool Exists(const std::string& relative) const { return root.Exists(relative); }
    void ReadOnly(const std::string& relative) {
        SetFileAttributesA(Path(relative).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    // Another program opens the file and shares it with no one.
    bool HoldOpen(const std::string& path) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return false;
        }
        held.push_back(file);
        return true;
    }

    RunOutcome Run(Road road, std::uint8_t osKind) {
        Collect(root.Path(), "", &before);
        SetupServices services{system, devices, windows, channel};
        std::string package = Path("PACKAGE");
        std::string windowsDir = Path("WINDOWS");
        RunOutcome outcome =
            RunRoad(services, RunRequest{road, osKind, package.c_str(), windowsDir.c_str()}, &ctx);
        // The other program lets go once the run is over, so that what it
        // held can be looked at.
        for (HANDLE file : held) {
            CloseHandle(file);
        }
        held.clear();
        return outcome;
    }

    // What changed outside the fence: folders and files of the scratch root
    // that appeared, went or changed anywhere but in the program's folders.
    std::vector<std::string> OutsideTheFence() const {
        std::map<std::string, std::string> after;
        Collect(root.Path(), "", &after);
        std::vector<std::string> changed;
        for (const auto& [path, bytes] : after) {
            auto was = before.find(path);
            if ((was == before.end() || was->second != bytes) && !Fenced(path)) {
                changed.push_back(path);
            }
        }
        for (const auto& [path, bytes] : before) {
            if (after.count(path) == 0 && !Fenced(path)) {
                changed.push_back(path);
            }
        }
        return changed;
    }
};

// What holds of the machine after every case.
void ExpectWhole(const Machine& m, const std::vector<std::string>& asideKept) {
    for (const std::string& path : m.OutsideTheFence()) {
        ADD_FAILURE() << "changed outside the fence: " << path;
    }
    for (const char* name : {"USBSTOR.INF", "USBSTOR.PNF"}) {
        EXPECT_EQ(m.Read(std::string("WINDOWS\\INF\\") + name), std::string("system file ") + name)
            << name;
    }
    for (const char* aside : {"USBSTOR.I3S", "USBSTOR.P3S", "DRVIDX.3S", "DRVDATA.3S"}) {
        bool kept = false;
        for (const std::string& name : asideKept) {
            kept = kept || name == aside;
        }
        EXPECT_EQ(m.Exists(std::string("WINDOWS\\INF\\") + aside), kept) << aside;
    }
    for (const char* inf : {"WINDOWS\\INF\\OTHER\\NIMBLE.INF", "WINDOWS\\INF\\OEMNIMBLE.INF"}) {
        if (m.Exists(inf)) {
            std::string bytes = m.Read(inf);
            EXPECT_TRUE(bytes == kScript || bytes == kEditedScript)
                << inf << " holds " << bytes.size() << " bytes";
        }
    }
}

// The outcome against the files: complete exactly when every destination of
// the full install holds what the package gave it.
void ExpectHonestInstall(const Machine& m, RunOutcome outcome, bool portDriver) {
    std::string inf = m.Read("WINDOWS\\INF\\OTHER\\NIMBLE.INF");
    bool installed =
        (inf == kScript || inf == kEditedScript) &&
        m.Read("WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS") == kImage &&
        (!portDriver || m.Read("WINDOWS\\SYSTEM\\IOSUBSYS\\NIMBLE.PDR") == kPortDriver);
    EXPECT_EQ(outcome, installed ? RunOutcome::Completed : RunOutcome::Failed);
}

TEST(RealFaults, AReadOnlyDestinationIsOverwritten) {
    Machine m;
    m.ReadOnly("WINDOWS\\SYSTEM\\IOSUBSYS\\NIMBLE.PDR");
    m.ReadOnly("WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS");
    RunOutcome outcome = m.Run(Road::Install, OsKind::kWin98SE);
    EXPECT_EQ(outcome, RunOutcome::Completed);
    EXPECT_EQ(m.Read("WINDOWS\\SYSTEM\\IOSUBSYS\\NIMBLE.PDR"), kPortDriver);
    EXPECT_EQ(m.Read("WINDOWS\\INF\\OTHER\\NIMBLE.INF"), kEditedScript);
    ExpectHonestInstall(m, outcome, true);
    ExpectWhole(m, {});
}

TEST(RealFaults, AMissingPortDriverFolderFailsTheInstall) {
    Machine m;
    SetFileAttributesA(m.Path("WINDOWS\\SYSTEM\\IOSUBSYS\\NIMBLE.PDR").c_str(),
                       FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(m.Path("WINDOWS\\SYSTEM\\IOSUBSYS\\NIMBLE.PDR").c_str());
    DeleteFileA(m.Path("WINDOWS\\SYSTEM\\IOSUBSYS\\ESDI_506.PDR").c_str());
    ASSERT_TRUE(RemoveDirectoryA(m.Path("WINDOWS\\SYSTEM\\IOSUBSYS").c_str()));
    RunOutcome outcome = m.Run(Road::Install, OsKind::kWin98);
    EXPECT_EQ(outcome, RunOutcome::Failed);
    EXPECT_FALSE(m.Exists("WINDOWS\\SYSTEM\\IOSUBSYS"));
    EXPECT_EQ(m.Read("WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS"), kImage) << "the rest goes on";
    ExpectHonestInstall(m, outcome, true);
    ExpectWhole(m, {});
}

TEST(RealFaults, AnInfHeldOpenWhileItIsEditedStaysThePackagesOwn) {
    for (std::uint8_t osKind : {OsKind::kWin98SE, OsKind::kWin2000}) {
        SCOPED_TRACE(int(osKind));
        Machine m;
        bool held = false;
        m.system.beforeExclusiveOpen = [&](const char* path) { held = m.HoldOpen(path); };
        RunOutcome outcome = m.Run(Road::Install, osKind);
        EXPECT_TRUE(held);
        std::string inf = osKind < OsKind::kWin2000 ? "WINDOWS\\INF\\OTHER\\NIMBLE.INF"
                                                    : "WINDOWS\\INF\\OEMNIMBLE.INF";
        EXPECT_EQ(m.Read(inf), kScript) << "byte for byte, not cut";
        // The copies were made; the edit is not one of them.
        EXPECT_EQ(outcome, RunOutcome::Completed);
        ExpectWhole(m, {});
    }
}

TEST(RealFaults, AReadOnlyAsideFileBlocksTheSetAsideAndKeepsTheSystemFile) {
    Machine m;
    m.root.Put("WINDOWS\\INF\\USBSTOR.I3S", "left by an earlier run");
    m.ReadOnly("WINDOWS\\INF\\USBSTOR.I3S");
    RunOutcome outcome = m.Run(Road::SilentInstall, OsKind::kWinXP);
    EXPECT_EQ(m.Read("WINDOWS\\INF\\USBSTOR.I3S"), "left by an earlier run");
    EXPECT_EQ(outcome, RunOutcome::Completed);
    ExpectWhole(m, {"USBSTOR.I3S"});
}

TEST(RealFaults, ALockedDestinationKeepsItsContentAndFailsTheRun) {
    struct Case {
        const char* name;
        Road road;
    } cases[] = {{"install", Road::Install}, {"uninstall", Road::Uninstall}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Machine m;
        ASSERT_TRUE(m.HoldOpen(m.Path("WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS")));
        RunOutcome outcome = m.Run(c.road, OsKind::kWin98SE);
        EXPECT_EQ(outcome, RunOutcome::Failed);
        EXPECT_EQ(m.Read("WINDOWS\\SYSTEM32\\DRIVERS\\NIMBLE.SYS"), "driver image 1.0");
        if (c.road == Road::Install) {
            ExpectHonestInstall(m, outcome, true);
        }
        ExpectWhole(m, {});
    }
}

}  // namespace
