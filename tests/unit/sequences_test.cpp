#include "engine/sequences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "resources/resource_ids.h"
#include "ui/dialog_channel.h"

namespace {

constexpr WindowHandle kDialog = 0x102;
constexpr char kImage[] = "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\DISK.SYS";
constexpr char kDiskId[] = "USB\\VID_ABCD&PID_1234\\0001";

using Positions = std::vector<int>;

std::string StoredInf(const char* vid, const char* pid) {
    return std::string("[Version]\nSignature=$Chicago$\n[Manufacturer]\nV=M\n[M]\nD=I,USB\\VID_") +
           vid + "&PID_" + pid + "\n";
}

struct SequenceTest : ::testing::Test {
    fake::Machine m;
    BrandTexts brand{"Setup", "Disk", "", "no link"};
    DialogChannel channel{m.windows, kDialog, brand};
    SetupServices services{m.system, m.devices, m.windows, channel};
    SetupContext ctx;

    SequenceTest() {
        m.givenString(IDS_REMOVING, "removing device if present...");
        m.givenString(IDS_INSTALLING, "installing...");
        m.givenFile("C:\\PKG\\DISK.IN_", "[Version]\r\n[Go]\r\nCopyFiles=X\r\n");
        m.givenFile("C:\\PKG\\FLOPPY.INF", "[Version]\r\n");
        m.givenFile("C:\\PKG\\DISK.SY_", "image");
        m.givenFile("C:\\PKG\\DISK.PDR", "port");
        ctx.sourceDir.Assign("C:\\PKG");
        ctx.windowsDir.Assign("C:\\WINDOWS");
        ctx.mainInfName.Assign("DISK.IN_");
        ctx.floppyInfName.Assign("FLOPPY.INF");
        ctx.sysFileName.Assign("DISK.SY_");
        ctx.pdrFileName.Assign("DISK.PDR");
        ctx.installSection.Assign("Go");
        ctx.deviceDescription.Assign("Vostrel NIMBLEKEY");
        ctx.osKind = OsKind::kWin98SE;
        GiveTarget(0, "ABCD", "1234");
    }

    void GiveTarget(std::size_t index, const char* vid, const char* pid) {
        ctx.targetIds[index].vid.Assign(vid);
        ctx.targetIds[index].pid.Assign(pid);
    }
    const Positions& Bar() const { return m.windows.ProgressHistory(kDialog, IDC_PROGRESS); }
    std::string Status() const { return m.windows.ControlText(kDialog, IDC_STATUS); }
};

TEST_F(SequenceTest, ProgressPositionsAndPausesOfEveryRoad) {
    struct Case {
        const char* name;
        std::uint8_t osKind;
        int infOnlyMode;
        bool (*run)(const SetupServices&, const SetupContext&);
        Positions bar;
        std::uint64_t pausedMs;
    } cases[] = {
        {"uninstall", OsKind::kWin98, 0, RunUninstall, {10, 60, 100}, 400},
        {"short install", OsKind::kWinMe, 1, RunInstall, {3, 18, 30, 100}, 400},
        {"full install, 98",
         OsKind::kWin98,
         0,
         RunInstall,
         {1, 6, 10, 15, 18, 21, 24, 27, 30, 100},
         400 + 3000 + 800},
        {"full install, 98 SE",
         OsKind::kWin98SE,
         0,
         RunInstall,
         {1, 6, 10, 15, 18, 21, 24, 27, 30, 100},
         4200},
        {"full install, 2000",
         OsKind::kWin2000,
         0,
         RunInstall,
         {1, 6, 10, 15, 18, 21, 27, 30, 100},
         400 + 3000 + 600},
        {"silent, unknown",
         OsKind::kUnknown,
         0,
         RunSilentInstall,
         {2, 15, 25, 30, 35, 40, 45, 50, 50, 100},
         400 + 3000 + 800 + 3000},
        {"silent, Me",
         OsKind::kWinMe,
         1,
         RunSilentInstall,
         {2, 15, 25, 30, 35, 40, 45, 50, 50, 100},
         7200},
        {"silent, 2000",
         OsKind::kWin2000,
         0,
         RunSilentInstall,
         {2, 15, 25, 30, 35, 45, 50, 50, 100},
         400 + 3000 + 600},
    };
    for (const Case& c : cases) {
        fake::Machine fresh;
        fresh.files = m.files;
        fresh.windows.strings = m.windows.strings;
        DialogChannel freshChannel(fresh.windows, kDialog, brand);
        SetupServices freshServices{fresh.system, fresh.devices, fresh.windows, freshChannel};
        ctx.osKind = c.osKind;
        ctx.infOnlyMode = c.infOnlyMode;
        c.run(freshServices, ctx);
        EXPECT_EQ(fresh.windows.ProgressHistory(kDialog, IDC_PROGRESS), c.bar) << c.name;
        EXPECT_EQ(fresh.windows.NowMs(), c.pausedMs) << c.name;
    }
}

TEST_F(SequenceTest, TheSilentInstallOnXpDrivesTheWizardBetweenFiftyAndHundred) {
    ctx.osKind = OsKind::kWinXP;
    RunSilentInstall(services, ctx);
    const Positions& bar = Bar();
    ASSERT_GE(bar.size(), 9u);
    EXPECT_EQ(Positions(bar.begin(), bar.begin() + 8), (Positions{2, 15, 25, 30, 35, 45, 50, 50}));
    EXPECT_EQ(bar.back(), 100);
    for (int position : bar) {
        EXPECT_LE(position, 100);
    }
}

TEST_F(SequenceTest, UninstallWithAnEmptyTargetList) {
    ctx.targetIds[0] = TargetId{};
    m.givenFile(kImage, "old");
    m.givenFile("C:\\WINDOWS\\INF\\OTHER\\A.INF", StoredInf("ABCD", "1234"));
    EXPECT_TRUE(RunUninstall(services, ctx));
    EXPECT_FALSE(m.files.Exists(kImage));
    EXPECT_TRUE(m.files.Exists("C:\\WINDOWS\\INF\\OTHER\\A.INF")) << "no cleanup call";
    EXPECT_EQ(m.devices.SetRequests().size(), 3u * 2u) << "one sweep and the final count";
    EXPECT_EQ(Bar(), (Positions{10, 60, 100}));
}

TEST_F(SequenceTest, TheCleanupStopsAtTheFirstEntryWithAnEmptyText) {
    GiveTarget(1, "5555", "");
    GiveTarget(2, "7777", "8888");
    m.givenFile("C:\\WINDOWS\\INF\\OTHER\\FIRST.INF", StoredInf("ABCD", "1234"));
    m.givenFile("C:\\WINDOWS\\INF\\OTHER\\THIRD.INF", StoredInf("7777", "8888"));
    RunUninstall(services, ctx);
    EXPECT_FALSE(m.files.Exists("C:\\WINDOWS\\INF\\OTHER\\FIRST.INF"));
    EXPECT_TRUE(m.files.Exists("C:\\WINDOWS\\INF\\OTHER\\THIRD.INF"));
}

TEST_F(SequenceTest, TheShortInstallNeverShowsInstalling) {
    ctx.osKind = OsKind::kWinMe;
    ctx.infOnlyMode = 1;
    EXPECT_TRUE(RunInstall(services, ctx));
    EXPECT_EQ(Status(), "removing device if present...");
    EXPECT_EQ(m.files.Read("C:\\WINDOWS\\inf\\other\\FLOPPY.INF"), "[Version]\r\n");
    EXPECT_FALSE(m.files.Exists("C:\\WINDOWS\\inf\\other\\DISK.INF"));
}

TEST_F(SequenceTest, TheSilentInstallIsAlwaysTheFullInstallWithARescan) {
    for (std::uint8_t kind : {OsKind::kUnknown, OsKind::kWinMe, OsKind::kWinXP}) {
        fake::Machine fresh;
        fresh.files = m.files;
        DialogChannel freshChannel(fresh.windows, kDialog, brand);
        SetupServices freshServices{fresh.system, fresh.devices, fresh.windows, freshChannel};
        ctx.osKind = kind;
        ctx.infOnlyMode = kind == OsKind::kWinMe || kind == OsKind::kWinXP;
        EXPECT_TRUE(RunSilentInstall(freshServices, ctx)) << int(kind);
        bool family98 = kind <= OsKind::kWinMe;
        EXPECT_TRUE(fresh.files.Exists(family98 ? "C:\\WINDOWS\\inf\\other\\DISK.INF"
                                                : "C:\\WINDOWS\\inf\\oemDISK.INF"))
            << int(kind);
        EXPECT_FALSE(fresh.files.Exists("C:\\WINDOWS\\inf\\other\\FLOPPY.INF")) << int(kind);
        EXPECT_EQ(fresh.devices.LocateCalls(), 1u) << int(kind);
        EXPECT_TRUE(fresh.windows.Boxes().empty()) << int(kind);
    }
}

TEST_F(SequenceTest, FailuresThatDecideTheOutcome) {
    struct Case {
        const char* name;
        void (*breakIt)(fake::Machine&);
        bool installOk;
        bool uninstallOk;
    } cases[] = {
        {"nothing broken", [](fake::Machine&) {}, true, true},
        {"driver image missing from the package",
         [](fake::Machine& m) { m.files.Remove("C:\\PKG\\DISK.SY_"); }, false, true},
        {"installed image held open",
         [](fake::Machine& m) {
             m.givenFile(kImage, "old");
             m.files.Find(kImage)->openElsewhere = true;
         },
         false, false},
        {"device entry that cannot be removed",
         [](fake::Machine& m) {
             m.devices.Add(fake::FakeDevice{kUsbClassGuid, kDiskId, true, true});
         },
         true, false},
        {"copies refused", [](fake::Machine& m) { m.faults.FailAlways(fake::Op::CopyFile); }, false,
         true},
    };
    for (const Case& c : cases) {
        for (bool install : {true, false}) {
            fake::Machine fresh;
            fresh.files = m.files;
            c.breakIt(fresh);
            DialogChannel freshChannel(fresh.windows, kDialog, brand);
            SetupServices freshServices{fresh.system, fresh.devices, fresh.windows, freshChannel};
            bool ok = install ? RunInstall(freshServices, ctx) : RunUninstall(freshServices, ctx);
            EXPECT_EQ(ok, install ? c.installOk : c.uninstallOk)
                << c.name << (install ? ", install" : ", uninstall");
            EXPECT_EQ(fresh.windows.ProgressHistory(kDialog, IDC_PROGRESS).back(), 100) << c.name;
        }
    }
}

TEST_F(SequenceTest, AnEntryThatStaysIsReportedEvenWhenOneLookAtTheTreeFails) {
    auto stuckEntry = [](fake::Machine& m) {
        m.devices.Add(fake::FakeDevice{kUsbClassGuid, kDiskId, true, true});
    };
    fake::Machine clean;
    stuckEntry(clean);
    DialogChannel cleanChannel(clean.windows, kDialog, brand);
    ASSERT_FALSE(RunUninstall({clean.system, clean.devices, clean.windows, cleanChannel}, ctx));
    const std::vector<fake::Op> calls = clean.faults.Log();
    for (std::size_t call = 0; call < calls.size(); ++call) {
        fake::Op op = calls[call];
        if (op != fake::Op::OpenDeviceSet && op != fake::Op::GetDeviceEntry &&
            op != fake::Op::GetInstanceId) {
            continue;
        }
        fake::Machine fresh;
        stuckEntry(fresh);
        fresh.faults.FailCall(call);
        DialogChannel freshChannel(fresh.windows, kDialog, brand);
        EXPECT_FALSE(RunUninstall({fresh.system, fresh.devices, fresh.windows, freshChannel}, ctx))
            << "call " << call << " (" << fake::OpName(op) << ") failing";
    }
}

TEST_F(SequenceTest, SweepsStopEvenWhenEntriesKeepComingBack) {
    m.givenDevice(kUsbClassGuid, kDiskId);
    int removals = 0;
    m.devices.onRemove = [&](const fake::FakeDevice& removed) {
        ++removals;
        m.devices.Add(removed);  // the plugged-in disk is found again at once
    };
    EXPECT_FALSE(RunUninstall(services, ctx));
    EXPECT_EQ(removals, kMaxRemovalSweeps);
    EXPECT_EQ(Bar().back(), 100);
}

TEST_F(SequenceTest, SweepsRepeatUntilOneRemovesNothing) {
    m.givenDevice(kUsbClassGuid, kDiskId, false);
    m.givenDevice(kHdcClassGuid, "USB\\Vid_abcd&Pid_1234\\0002");
    m.givenDevice(kHdcClassGuid, "D3IVURU\\VID_ABCD&PID_1234&X\\1");
    m.givenDevice(kUsbClassGuid, "USB\\VID_FFFF&PID_0001\\1");
    EXPECT_TRUE(RunUninstall(services, ctx));
    EXPECT_EQ(m.devices.InstanceIds(), (std::vector<std::string>{"USB\\VID_FFFF&PID_0001\\1"}));
}

}  // namespace
