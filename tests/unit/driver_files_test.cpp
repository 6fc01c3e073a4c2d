#include "store/driver_files.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "resources/resource_ids.h"
#include "store/other_device_path.h"
#include "ui/dialog_channel.h"

namespace {

constexpr WindowHandle kDialog = 7;
constexpr char kScript[] = "[Version]\r\nSignature=$Chicago$\r\n[DiskInstall]\r\nCopyFiles=Sys\r\n";
constexpr char kFloppy[] = "[Version]\r\nSignature=$Chicago$\r\n[F]\r\nCopyFiles=Sys\r\n";

struct DriverFilesTest : ::testing::Test {
    fake::Machine m;
    BrandTexts brand;
    DialogChannel channel{m.windows, kDialog, brand};
    DriverPackage pkg{"C:\\PKG",     "C:\\WINDOWS", "setup.in_",   "FLOPPY.IN_",
                      "usbdisk.sy_", "DISK.PDR",    "DiskInstall", OsKind::kWin98SE};

    DriverFilesTest() {
        m.givenString(IDS_INSTALLING, "installing...");
        m.givenFile("C:\\PKG\\setup.in_", kScript);
        m.givenFile("C:\\PKG\\FLOPPY.IN_", kFloppy);
        m.givenFile("C:\\PKG\\usbdisk.sy_", "image");
        m.givenFile("C:\\PKG\\DISK.PDR", "port");
        m.givenFile("C:\\WINDOWS\\INF\\DRVIDX.BIN", "idx");
        m.givenFile("C:\\WINDOWS\\INF\\DRVDATA.BIN", "data");
    }

    // Files under the Windows directory, in capitals.
    std::set<std::string> WindowsFiles() const {
        std::set<std::string> names;
        for (const fake::File* file : m.files.All()) {
            std::string key = fake::FileSystem::Key(file->path);
            if (key.rfind("C:\\WINDOWS\\", 0) == 0) {
                names.insert(key.substr(11));
            }
        }
        return names;
    }
};

TEST_F(DriverFilesTest, FullInstallOnTheNinetyEightFamily) {
    for (std::uint8_t kind : {OsKind::kUnknown, OsKind::kWin98, OsKind::kWinMe}) {
        fake::Machine fresh;
        fresh.files = m.files;
        fresh.windows.strings = m.windows.strings;
        DialogChannel freshChannel(fresh.windows, kDialog, brand);
        pkg.osKind = kind;
        EXPECT_TRUE(InstallDriverFiles(fresh.system, freshChannel, pkg, 15, 30));
        EXPECT_EQ(fresh.files.Read("C:\\WINDOWS\\inf\\other\\setup.inF"),
                  "[Version]\r\nSignature=$Chicago$\r\n[DiskInstall]\r\n;CopyFiles=Sys\r\n");
        const fake::File* inf = fresh.files.Find("C:\\WINDOWS\\inf\\other\\setup.inF");
        ASSERT_NE(inf, nullptr);
        EXPECT_EQ(inf->path, "C:\\WINDOWS\\inf\\other\\setup.inF")
            << "only the last character changes";
        EXPECT_EQ(fresh.files.Read("C:\\WINDOWS\\system\\iosubsys\\DISK.PDR"), "port");
        EXPECT_EQ(fresh.files.Read("C:\\WINDOWS\\system32\\drivers\\usbdisk.syS"), "image");
        EXPECT_FALSE(fresh.files.Exists("C:\\WINDOWS\\INF\\DRVIDX.BIN"));
        EXPECT_FALSE(fresh.files.Exists("C:\\WINDOWS\\INF\\DRVDATA.BIN"));
        EXPECT_EQ(
            fresh.registry.Text("Software\\Microsoft\\Windows\\CurrentVersion", "OtherDevicePath"),
            "C:\\WINDOWS\\INF\\OTHER");
        EXPECT_EQ(fresh.windows.ProgressHistory(kDialog, IDC_PROGRESS),
                  (std::vector<int>{18, 21, 24, 27, 30}));
        EXPECT_EQ(fresh.windows.ControlText(kDialog, IDC_STATUS), "installing...");
        EXPECT_EQ(fresh.windows.NowMs(), 800u) << "four pauses of 200 ms";
    }
}

TEST_F(DriverFilesTest, FullInstallOnWindows2000AndXpWritesTwoFiles) {
    for (std::uint8_t kind : {OsKind::kWin2000, OsKind::kWinXP}) {
        fake::Machine fresh;
        fresh.files = m.files;
        DialogChannel freshChannel(fresh.windows, kDialog, brand);
        pkg.osKind = kind;
        std::set<std::string> before = WindowsFiles();
        EXPECT_TRUE(InstallDriverFiles(fresh.system, freshChannel, pkg, 25, 50));
        EXPECT_TRUE(fresh.files.Exists("C:\\WINDOWS\\inf\\oemsetup.inF"));
        EXPECT_TRUE(fresh.files.Exists("C:\\WINDOWS\\system32\\drivers\\usbdisk.syS"));
        EXPECT_TRUE(fresh.files.Exists("C:\\WINDOWS\\INF\\DRVIDX.BIN"));
        EXPECT_FALSE(fresh.files.Exists("C:\\WINDOWS\\system\\iosubsys\\DISK.PDR"));
        EXPECT_FALSE(fresh.files.FolderExists("C:\\WINDOWS\\INF\\OTHER"));
        EXPECT_FALSE(fresh.registry.HasValue("Software\\Microsoft\\Windows\\CurrentVersion",
                                             "OtherDevicePath"));
        EXPECT_EQ(fresh.windows.ProgressHistory(kDialog, IDC_PROGRESS),
                  (std::vector<int>{30, 35, 45, 50}));
        EXPECT_EQ(fresh.windows.NowMs(), 600u);
    }
}

TEST_F(DriverFilesTest, ReadOnlyDestinationsAreOverwrittenAndLeftWritable) {
    m.files.Put("C:\\WINDOWS\\system32\\drivers\\usbdisk.syS", "old", fake::kAttrReadOnly);
    m.files.Find("C:\\PKG\\usbdisk.sy_")->attributes = fake::kAttrReadOnly;
    EXPECT_TRUE(InstallDriverFiles(m.system, channel, pkg, 0, 100));
    const fake::File* image = m.files.Find("C:\\WINDOWS\\system32\\drivers\\usbdisk.syS");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->bytes, "image");
    EXPECT_EQ(image->attributes, fake::kAttrNormal);
}

TEST_F(DriverFilesTest, AFailedCopyIsReportedButTheOtherStepsStillRun) {
    struct Case {
        const char* name;
        const char* missingSource;
    } cases[] = {{"INF", "C:\\PKG\\setup.in_"},
                 {"port driver", "C:\\PKG\\DISK.PDR"},
                 {"driver image", "C:\\PKG\\usbdisk.sy_"}};
    for (const Case& c : cases) {
        fake::Machine fresh;
        fresh.files = m.files;
        fresh.files.Remove(c.missingSource);
        DialogChannel freshChannel(fresh.windows, kDialog, brand);
        EXPECT_FALSE(InstallDriverFiles(fresh.system, freshChannel, pkg, 15, 30)) << c.name;
        EXPECT_EQ(fresh.windows.ProgressHistory(kDialog, IDC_PROGRESS).back(), 30) << c.name;
        EXPECT_FALSE(fresh.files.Exists("C:\\WINDOWS\\INF\\DRVIDX.BIN")) << c.name;
    }
    fake::Machine noIosubsys;
    DialogChannel otherChannel(noIosubsys.windows, kDialog, brand);
    noIosubsys.files = fake::FileSystem();
    noIosubsys.files.Put("C:\\PKG\\setup.in_", kScript);
    noIosubsys.files.Put("C:\\PKG\\usbdisk.sy_", "image");
    noIosubsys.files.Put("C:\\PKG\\DISK.PDR", "port");
    noIosubsys.files.MakeFolder("C:\\WINDOWS\\INF");
    noIosubsys.files.MakeFolder("C:\\WINDOWS\\SYSTEM32\\DRIVERS");
    EXPECT_FALSE(InstallDriverFiles(noIosubsys.system, otherChannel, pkg, 15, 30))
        << "a system without system\\iosubsys gets no port driver";
    EXPECT_TRUE(noIosubsys.files.Exists("C:\\WINDOWS\\system32\\drivers\\usbdisk.syS"));
}

TEST_F(DriverFilesTest, ShortInstallCopiesTheFloppyInfByteForByte) {
    EXPECT_TRUE(CopyInfOnly(m.system, pkg));
    EXPECT_EQ(m.files.Read("C:\\WINDOWS\\inf\\other\\FLOPPY.INF"), kFloppy);
    EXPECT_FALSE(m.files.Exists("C:\\WINDOWS\\inf\\other\\setup.inF"));
    EXPECT_TRUE(
        m.registry.HasValue("Software\\Microsoft\\Windows\\CurrentVersion", "OtherDevicePath"));
    EXPECT_TRUE(m.windows.ProgressHistory(kDialog, IDC_PROGRESS).empty());
    pkg.osKind = OsKind::kWinXP;
    EXPECT_TRUE(CopyInfOnly(m.system, pkg));
    EXPECT_EQ(m.files.Read("C:\\WINDOWS\\inf\\oemFLOPPY.INF"), kFloppy);
}

TEST_F(DriverFilesTest, DeleteDriverImageSaysWhetherTheImageIsGone) {
    const char* image = "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\USBDISK.SYS";
    EXPECT_TRUE(DeleteDriverImage(m.system, pkg)) << "never installed";
    m.files.Put(image, "old", fake::kAttrReadOnly);
    EXPECT_TRUE(DeleteDriverImage(m.system, pkg));
    EXPECT_FALSE(m.files.Exists(image));
    m.files.Put(image, "old");
    m.files.Find(image)->openElsewhere = true;
    EXPECT_FALSE(DeleteDriverImage(m.system, pkg)) << "in use";
    m.files.Find(image)->openElsewhere = false;
    m.faults.FailAlways(fake::Op::GetFileState);
    EXPECT_FALSE(DeleteDriverImage(m.system, pkg)) << "unknown is not gone";
}

TEST_F(DriverFilesTest, APathThatDoesNotFitIsNeverUsed) {
    std::string longWindows = "C:\\" + std::string(240, 'W');
    pkg.windowsDir = longWindows.c_str();
    m.files.MakeFolder(longWindows + "\\inf\\other");
    EXPECT_FALSE(InstallDriverFiles(m.system, channel, pkg, 0, 100));
    for (const fake::File* file : m.files.All()) {
        EXPECT_LE(file->path.size(), 259u) << file->path;
        EXPECT_EQ(file->path.find(longWindows), std::string::npos) << file->path;
    }
}

TEST(SetOtherDevicePath, CreatesTheFolderAndReplacesTheValue) {
    fake::Machine m;
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
    m.registry.SetText(key, "OtherDevicePath", "D:\\OLD");
    EXPECT_EQ(SetOtherDevicePath(m.system, "C:\\WINDOWS"), 0);
    EXPECT_EQ(SetOtherDevicePath(m.system, "C:\\WINDOWS"), 0) << "an existing folder is fine";
    EXPECT_TRUE(m.files.FolderExists("C:\\WINDOWS\\INF\\OTHER"));
    EXPECT_EQ(m.registry.Text(key, "OtherDevicePath"), "C:\\WINDOWS\\INF\\OTHER");

    fake::Machine noKey;
    noKey.faults.FailAlways(fake::Op::SetMachineRegistryText);
    EXPECT_NE(SetOtherDevicePath(noKey.system, "C:\\WINDOWS"), 0);
    EXPECT_TRUE(noKey.files.FolderExists("C:\\WINDOWS\\INF\\OTHER"));
}

}  // namespace
