#include "engine/package_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "package_builder.h"
#include "platform/fake/machine.h"
#include "ui/dialog_channel.h"

namespace {

using testpkg::At;
using testpkg::FloppyParts;
using testpkg::GivenPackage;
using testpkg::ScriptParts;

struct PackageTest : ::testing::Test {
    fake::Machine m;
    BrandTexts brand{"Setup", "Disk", "", "no link"};
    DialogChannel channel{m.windows, 1, brand};
    SetupContext ctx;

    PackageTest() {
        m.givenString(116, "INF file not found !");
        m.givenString(118, "SYS(SY_) file not found !");
        m.givenString(119, "MPD file not found !");
        ctx.sourceDir.Assign(testpkg::kFolder);
    }

    bool Load() { return LoadPackage(m.system, channel, ctx); }

    std::vector<std::string> TargetList() const {
        std::vector<std::string> ids;
        for (const TargetId& id : ctx.targetIds) {
            if (id.vid.empty()) {
                break;
            }
            ids.push_back(std::string(id.vid.c_str()) + ":" + id.pid.c_str());
        }
        return ids;
    }
};

TEST_F(PackageTest, ReadsAWholePackage) {
    GivenPackage(m);
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::string(ctx.mainInfName.c_str()), "DISK.IN_");
    EXPECT_EQ(std::string(ctx.mpdInfName.c_str()), "DISKMPD.INF");
    EXPECT_EQ(std::string(ctx.floppyInfName.c_str()), "FLOPPY.INF");
    EXPECT_EQ(std::string(ctx.provider.c_str()), "Vostrel");
    EXPECT_EQ(std::string(ctx.modelsSection.c_str()), "Models");
    EXPECT_EQ(std::string(ctx.deviceDescription.c_str()), "Vostrel NIMBLEKEY USB Disk");
    EXPECT_EQ(std::string(ctx.setupDeviceDesc.c_str()), "Vostrel NIMBLEKEY USB Disk");
    EXPECT_EQ(std::string(ctx.installSection.c_str()), "DiskInstall");
    EXPECT_EQ(std::string(ctx.primaryVid.c_str()), "ABCD");
    EXPECT_EQ(std::string(ctx.primaryPid.c_str()), "1234");
    EXPECT_EQ(TargetList(), (std::vector<std::string>{"ABCD:1234"}));
    EXPECT_EQ(std::string(ctx.sysFileName.c_str()), "DISK.SY_");
    EXPECT_EQ(std::string(ctx.pdrFileName.c_str()), "DISK.PDR");
    EXPECT_EQ(ctx.win98Only, 1);
    EXPECT_TRUE(ctx.extraMatchText.empty());
    EXPECT_TRUE(m.windows.Boxes().empty());
    EXPECT_EQ(m.system.OpenInfCount(), 0u) << "every INF is closed again";
}

using ScriptEdit = std::function<void(ScriptParts&)>;
using MachineEdit = std::function<void(fake::Machine&)>;

const ScriptEdit kSameScript = [](ScriptParts&) {};
const MachineEdit kSameFiles = [](fake::Machine&) {};

void Remove(fake::Machine& m, const char* name) {
    m.files.Remove(At(name));
}

// Each row breaks one thing; the load fails with the box named, or silently.
TEST_F(PackageTest, EveryFailurePointShowsItsMessageOrNone) {
    const std::string none;
    struct Case {
        const char* name;
        ScriptEdit script;
        MachineEdit files;
        std::string box;
    } cases[] = {
        {"no INF at all", kSameScript,
         [](fake::Machine& m) {
             Remove(m, "DISK.IN_");
             Remove(m, "FLOPPY.INF");
         },
         "INF file not found !"},
        {"no INF with a Setup section", [](ScriptParts& s) { s.setup = ""; }, kSameFiles,
         kNoSetupScriptText},
        {"setup script is no INF",
         [](ScriptParts& s) { s.version = "Signature=\"$Windows 98$\"\r\n"; }, kSameFiles,
         kNoSetupScriptText},
        {"MPDInf unreadable",
         [](ScriptParts& s) {
             s.setup = "MPDInf=" + std::string(20, 'M') + "\r\nFDDInf=F.INF\r\n";
         },
         kSameFiles, none},
        {"FDDInf missing", [](ScriptParts& s) { s.setup = "MPDInf=X.INF\r\n"; }, kSameFiles, none},
        {"FDDInf unreadable",
         [](ScriptParts& s) { s.setup = "FDDInf=" + std::string(20, 'F') + "\r\n"; }, kSameFiles,
         none},
        {"no Provider", [](ScriptParts& s) { s.version = "Signature=\"$Chicago$\"\r\n"; },
         kSameFiles, none},
        {"Provider too long",
         [](ScriptParts& s) { s.strings = "Maker=" + std::string(20, 'p') + "\r\n"; }, kSameFiles,
         none},
        {"no Manufacturer line", [](ScriptParts& s) { s.manufacturer = ""; }, kSameFiles, none},
        {"models section name of 20 characters",
         [](ScriptParts& s) {
             s.modelsName = std::string(20, 'm');
             s.manufacturer = "V=" + s.modelsName + "\r\n";
         },
         kSameFiles, none},
        {"models section without lines", [](ScriptParts& s) { s.models = ""; }, kSameFiles, none},
        {"model line without hardware id",
         [](ScriptParts& s) { s.models = "%Desc%=DiskInstall\r\n"; }, kSameFiles, none},
        {"later model line without hardware id",
         [](ScriptParts& s) { s.models += "Other=OtherInstall\r\n"; }, kSameFiles, none},
        {"primary line with empty install section",
         [](ScriptParts& s) { s.models = "%Desc%=,USB\\VID_ABCD&PID_1234\r\n"; }, kSameFiles, none},
        {"no driver image", kSameScript, [](fake::Machine& m) { Remove(m, "DISK.SY_"); },
         "SYS(SY_) file not found !"},
        {"no port driver", kSameScript, [](fake::Machine& m) { Remove(m, "DISK.PDR"); },
         "MPD file not found !"},
        {"only driver image has a 20-character name", kSameScript,
         [](fake::Machine& m) {
             Remove(m, "DISK.SY_");
             m.givenFile(At("ABCDEFGHIJKLMNOP.SY_"), "x");
         },
         "SYS(SY_) file not found !"},
        {"only driver image has a 25-character name", kSameScript,
         [](fake::Machine& m) {
             Remove(m, "DISK.SY_");
             m.givenFile(At("ABCDEFGHIJKLMNOPQRSTU.SY_"), "x");
         },
         "SYS(SY_) file not found !"},
    };
    for (const Case& c : cases) {
        fake::Machine fresh;
        fresh.windows.strings = m.windows.strings;
        DialogChannel freshChannel(fresh.windows, 1, brand);
        ScriptParts script;
        c.script(script);
        GivenPackage(fresh, script);
        c.files(fresh);
        SetupContext freshCtx;
        freshCtx.sourceDir.Assign(testpkg::kFolder);
        EXPECT_FALSE(LoadPackage(fresh.system, freshChannel, freshCtx)) << c.name;
        if (c.box.empty()) {
            EXPECT_TRUE(fresh.windows.Boxes().empty()) << c.name;
        } else if (fresh.windows.Boxes().size() != 1u) {
            ADD_FAILURE() << c.name << ": " << fresh.windows.Boxes().size() << " boxes";
        } else {
            EXPECT_EQ(fresh.windows.Boxes()[0].text, c.box) << c.name;
            EXPECT_EQ(fresh.windows.Boxes()[0].flags, kIconStop) << c.name;
            EXPECT_EQ(fresh.windows.Boxes()[0].caption, "Setup") << c.name;
        }
        EXPECT_EQ(fresh.system.OpenInfCount(), 0u) << c.name << ": INFs left open";
    }
}

std::string ModelLine(int i, const std::string& vid, const std::string& pid) {
    return "Model " + std::to_string(i) + "=Install" + std::to_string(i) + ",USB\\VID_" + vid +
           "&PID_" + pid + "\r\n";
}

TEST_F(PackageTest, TargetIdNamesThePrimaryDevice) {
    ScriptParts script;
    script.setup += "TargetID=ABCD1234\r\n";
    script.models = ModelLine(1, "1111", "2222") + ModelLine(2, "ABCD", "1234");
    GivenPackage(m, script);
    ASSERT_TRUE(Load());
    EXPECT_EQ(TargetList(), (std::vector<std::string>{"1111:2222", "ABCD:1234"}));
    EXPECT_EQ(std::string(ctx.deviceDescription.c_str()), "Model 2");
    EXPECT_EQ(std::string(ctx.installSection.c_str()), "Install2");
}

TEST_F(PackageTest, AShortTargetIdGivesShortTexts) {
    ScriptParts script;
    script.setup += "TargetID=ABCD12\r\n";
    GivenPackage(m, script);
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::string(ctx.primaryVid.c_str()), "ABCD");
    EXPECT_EQ(std::string(ctx.primaryPid.c_str()), "12");
    EXPECT_EQ(std::string(ctx.installSection.c_str()), "DiskInstall");
}

TEST_F(PackageTest, FiftyEntriesAtMostAndTheRestIsNotRead) {
    ScriptParts script;
    script.setup += "TargetID=FFFF0060\r\n";
    script.models.clear();
    for (int i = 1; i <= 60; ++i) {
        char pid[8];
        std::snprintf(pid, sizeof pid, "%04d", i);
        // Line 55 has no hardware id: it is never reached.
        script.models += i == 55 ? "Broken=Install\r\n" : ModelLine(i, "FFFF", pid);
    }
    GivenPackage(m, script);
    ASSERT_TRUE(Load());
    std::vector<std::string> ids = TargetList();
    ASSERT_EQ(ids.size(), 50u);
    EXPECT_EQ(ids.front(), "FFFF:0001");
    EXPECT_EQ(ids.back(), "FFFF:0050");
    EXPECT_TRUE(ctx.targetIds[50].vid.empty());
    EXPECT_TRUE(ctx.deviceDescription.empty()) << "the primary device is listed after line 50";
    EXPECT_TRUE(ctx.installSection.empty());
}

TEST_F(PackageTest, IdsThatNameNoVendorOrNoProductArePassedOver) {
    ScriptParts script;
    script.models = "Hub=HubInstall,USB\\ROOT_HUB\r\n" + ModelLine(1, "ABCD", "1234") +
                    "Odd=OddInstall,USB\\VID_9999\r\n" + "NoVid=I,USB\\PID_7777&VID_\r\n" +
                    "NoPid=I,USB\\VID_8888&PID_\r\n" + ModelLine(2, "5555", "6666");
    GivenPackage(m, script);
    ASSERT_TRUE(Load());
    EXPECT_EQ(TargetList(), (std::vector<std::string>{"ABCD:1234", "5555:6666"}));
    EXPECT_EQ(std::string(ctx.installSection.c_str()), "Install1");
}

TEST_F(PackageTest, ADescriptionThatDoesNotFitIsTakenFromALaterPrimaryLine) {
    ScriptParts script;
    script.models = "\"" + std::string(64, 'L') + "\"=First,USB\\VID_ABCD&PID_1234\r\n" + "\"" +
                    std::string(63, 'S') + "\"=Second,USB\\VID_ABCD&PID_1234&REV_2\r\n";
    GivenPackage(m, script);
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::string(ctx.deviceDescription.c_str()), std::string(63, 'S'));
    EXPECT_EQ(std::string(ctx.installSection.c_str()), "First");
}

TEST_F(PackageTest, SetupDeviceDescReplacesTheCopyOfTheDescription) {
    ScriptParts script;
    script.setup += "SetupDeviceDesc=\"Flash disk\"\r\n";
    GivenPackage(m, script);
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::string(ctx.deviceDescription.c_str()), "Vostrel NIMBLEKEY USB Disk");
    EXPECT_EQ(std::string(ctx.setupDeviceDesc.c_str()), "Flash disk");
}

TEST_F(PackageTest, Win98OnlyIsOneUnlessTheScriptSaysZero) {
    struct Case {
        const char* line;
        int win98Only;
    } cases[] = {{"", 1}, {"Win98Only=1\r\n", 1}, {"Win98Only=0\r\n", 0}, {"Win98Only=no\r\n", 1}};
    for (const Case& c : cases) {
        fake::Machine fresh;
        ScriptParts script;
        script.setup += c.line;
        GivenPackage(fresh, script);
        SetupContext freshCtx;
        freshCtx.sourceDir.Assign(testpkg::kFolder);
        DialogChannel freshChannel(fresh.windows, 1, brand);
        ASSERT_TRUE(LoadPackage(fresh.system, freshChannel, freshCtx)) << c.line;
        EXPECT_EQ(freshCtx.win98Only, c.win98Only) << c.line;
    }
}

TEST_F(PackageTest, TheShortInstallIsDescribedByTheFloppyInf) {
    ctx.infOnlyMode = 1;
    GivenPackage(m);
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::string(ctx.deviceDescription.c_str()), "Vostrel NIMBLEKEY Floppy");
    EXPECT_EQ(TargetList(), (std::vector<std::string>{"ABCD:5678"}));
    EXPECT_EQ(std::string(ctx.mainInfName.c_str()), "DISK.IN_");

    fake::Machine noFloppy;
    GivenPackage(noFloppy);
    noFloppy.files.Remove(At("FLOPPY.INF"));
    SetupContext shortCtx;
    shortCtx.sourceDir.Assign(testpkg::kFolder);
    shortCtx.infOnlyMode = 1;
    DialogChannel shortChannel(noFloppy.windows, 1, brand);
    EXPECT_FALSE(LoadPackage(noFloppy.system, shortChannel, shortCtx));
    EXPECT_TRUE(noFloppy.windows.Boxes().empty());
}

TEST_F(PackageTest, InfNamesMustBeBareFileNames) {
    const char* values[] = {"..\\EVIL.INF", "C:\\X.INF", "a/b.inf", ".", "..", "C:X.INF"};
    for (const char* key : {"FDDInf", "MPDInf"}) {
        for (const char* value : values) {
            fake::Machine fresh;
            ScriptParts script;
            script.setup = std::string(key) + "=" + value + "\r\n";
            if (std::string(key) == "MPDInf") {
                script.setup += "FDDInf=FLOPPY.INF\r\n";
            }
            GivenPackage(fresh, script);
            SetupContext freshCtx;
            freshCtx.sourceDir.Assign(testpkg::kFolder);
            DialogChannel freshChannel(fresh.windows, 1, brand);
            EXPECT_FALSE(LoadPackage(fresh.system, freshChannel, freshCtx)) << key << "=" << value;
            EXPECT_TRUE(fresh.windows.Boxes().empty());
        }
    }
}

TEST_F(PackageTest, NamesAndValuesOfNineteenCharactersFit) {
    const std::string name19 = "ABCDEFGHIJKLMNO.IN_";
    ScriptParts script;
    script.setup = "MPDInf=ABCDEFGHIJKLMNO.INF\r\nFDDInf=ABCDEFGHIJKLMN1.INF\r\n";
    script.modelsName = "ModelsSection123456";
    script.manufacturer = "%Maker%=ModelsSection123456\r\n";
    script.strings = "Maker=\"Provider nineteen12\"\r\n";
    script.models =
        "\"" + std::string(63, 'd') + "\"=InstallSection12345,USB\\VID_ABCD&PID_1234\r\n";
    m.givenFile(At(name19), script.Text());
    m.givenFile(At("ABCDEFGHIJKLMNOP.SY_"), "");  // 20 characters: passed over
    m.givenFile(At("ABCDEFGHIJKLMNO.SY_"), "");
    m.givenFile(At("ABCDEFGHIJKLMNO.PDR"), "");
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::string(ctx.mainInfName.c_str()), name19);
    EXPECT_EQ(std::string(ctx.provider.c_str()), "Provider nineteen12");
    EXPECT_EQ(std::string(ctx.installSection.c_str()), "InstallSection12345");
    EXPECT_EQ(ctx.deviceDescription.size(), 63u);
    EXPECT_EQ(std::string(ctx.sysFileName.c_str()), "ABCDEFGHIJKLMNO.SY_");
    EXPECT_EQ(std::string(ctx.pdrFileName.c_str()), "ABCDEFGHIJKLMNO.PDR");
}

TEST_F(PackageTest, TheFirstListedUsableScriptIsTaken) {
    ScriptParts other;
    other.setup = "FDDInf=FLOPPY.INF\r\n";
    other.strings = "Maker=\"Other\"\r\nDesc=\"Other disk\"\r\n";
    m.givenFile(At("README.INI"), "[Options]\r\nx=1\r\n");  // no INF: passed over
    m.givenFile(At("EMPTY.INF"),
                testpkg::Inf({{"Version", "Signature=$Chicago$\r\n"}, {"Setup", "; nothing\r\n"}}));
    m.givenFile(At("OTHER.INF"), other.Text());
    GivenPackage(m);
    ASSERT_TRUE(Load());
    EXPECT_EQ(std::string(ctx.mainInfName.c_str()), "OTHER.INF");
    EXPECT_EQ(std::string(ctx.provider.c_str()), "Other");
}

TEST_F(PackageTest, FolderTextsAreJoinedWithOneBackslash) {
    struct Case {
        const char* sourceDir;
        const char* fileFolder;
    } cases[] = {{"A:", "A:"}, {"C:\\PKG\\", "C:\\PKG"}};
    for (const Case& c : cases) {
        fake::Machine fresh;
        ScriptParts script;
        fresh.givenFile(std::string(c.fileFolder) + "\\DISK.IN_", script.Text());
        fresh.givenFile(std::string(c.fileFolder) + "\\FLOPPY.INF", FloppyParts().Text());
        fresh.givenFile(std::string(c.fileFolder) + "\\DISK.SY_", "");
        fresh.givenFile(std::string(c.fileFolder) + "\\DISK.PDR", "");
        SetupContext freshCtx;
        freshCtx.sourceDir.Assign(c.sourceDir);
        DialogChannel freshChannel(fresh.windows, 1, brand);
        EXPECT_TRUE(LoadPackage(fresh.system, freshChannel, freshCtx)) << c.sourceDir;
    }
}

TEST_F(PackageTest, AFolderTooLongForItsPatternFindsNoScript) {
    std::string folder = "C:\\" + std::string(247, 'd');  // 250 + "\\*.in?" = 256 characters
    GivenPackage(m);
    ctx.sourceDir.Assign(folder.c_str());
    EXPECT_FALSE(Load());
    ASSERT_EQ(m.windows.Boxes().size(), 1u);
    EXPECT_EQ(m.windows.Boxes()[0].text, "INF file not found !");
}

}  // namespace
