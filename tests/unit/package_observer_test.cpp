// What LoadPackage tells an observer: the point at which it gives up and the
// files it passes over; with or without one, the load ends alike.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/package_reader.h"
#include "package_builder.h"
#include "platform/fake/machine.h"
#include "ui/dialog_channel.h"

namespace {

using testpkg::At;
using testpkg::ScriptParts;

struct Heard : PackageObserver {
    void PassedOver(const char* mask, const char* name, PassedOverReason reason) override {
        passed.push_back(std::string(mask) + " " + name + " " +
                         std::to_string(static_cast<int>(reason)));
    }
    void Failed(const PackageFailure& f) override {
        ++failures;
        defect = f.defect;
        where = std::string(f.infName ? f.infName : "-") + " [" + (f.section ? f.section : "-") +
                "] " + (f.key ? f.key : "#" + std::to_string(f.lineIndex));
    }
    std::vector<std::string> passed;
    int failures = 0;
    PackageDefect defect{};
    std::string where;
};

struct LoadRun {
    bool loaded;
    std::vector<std::string> boxes;
};

LoadRun LoadOn(const std::function<void(fake::Machine&)>& given, int infOnlyMode,
               PackageObserver* observer) {
    fake::Machine m;
    m.givenString(116, "INF file not found !");
    m.givenString(118, "SYS(SY_) file not found !");
    m.givenString(119, "MPD file not found !");
    given(m);
    BrandTexts brand{"Setup", "Disk", "", "no link"};
    DialogChannel channel(m.windows, 1, brand);
    SetupContext ctx;
    ctx.sourceDir.Assign(testpkg::kFolder);
    ctx.infOnlyMode = infOnlyMode;
    LoadRun run{LoadPackage(m.system, channel, ctx, observer), {}};
    for (const fake::ShownBox& box : m.windows.Boxes()) {
        run.boxes.push_back(box.text);
    }
    return run;
}

std::function<void(fake::Machine&)> Script(const std::function<void(ScriptParts&)>& change) {
    return [change](fake::Machine& m) {
        ScriptParts script;
        change(script);
        testpkg::GivenPackage(m, script);
    };
}

TEST(PackageObserver, HearsEachPointAtWhichTheLoadGivesUp) {
    using D = PackageDefect;
    struct Case {
        const char* name;
        std::function<void(fake::Machine&)> given;
        D defect;
        std::string where;
        int infOnlyMode = 0;
    } cases[] = {
        {"no *.in? file", [](fake::Machine&) {}, D::kNoInfListed, "- [-] #0"},
        {"no [Setup] anywhere", Script([](ScriptParts& s) { s.setup = ""; }), D::kNoSetupScript,
         "- [-] #0"},
        {"MPDInf too long",
         Script([](ScriptParts& s) { s.setup = "MPDInf=A_NAME_OF_TWENTY_1.INF\r\nFDDInf=F.INF"; }),
         D::kMpdInfUnreadable, "DISK.IN_ [Setup] MPDInf"},
        {"MPDInf with a folder",
         Script([](ScriptParts& s) { s.setup = "MPDInf=..\\M.INF\r\nFDDInf=F.INF"; }),
         D::kMpdInfNotBareName, "DISK.IN_ [Setup] MPDInf"},
        {"no FDDInf", Script([](ScriptParts& s) { s.setup = "MPDInf=M.INF"; }), D::kFddInfMissing,
         "DISK.IN_ [Setup] FDDInf"},
        {"FDDInf too long",
         Script([](ScriptParts& s) { s.setup = "FDDInf=FLOPPY_DISK_OF_THE_KEY.INF"; }),
         D::kFddInfUnreadable, "DISK.IN_ [Setup] FDDInf"},
        {"FDDInf with a folder", Script([](ScriptParts& s) { s.setup = "FDDInf=SUB\\FLOPPY.INF"; }),
         D::kFddInfNotBareName, "DISK.IN_ [Setup] FDDInf"},
        {"short install without the floppy INF",
         [](fake::Machine& m) {
             testpkg::GivenPackage(m);
             m.files.Remove(At("FLOPPY.INF"));
         },
         D::kDescriptionInfNotOpen, "FLOPPY.INF [Version] Provider", 1},
        {"no Provider", Script([](ScriptParts& s) { s.version = "Signature=\"$Chicago$\"\r\n"; }),
         D::kProviderMissing, "DISK.IN_ [Version] Provider"},
        {"Provider too long",
         Script([](ScriptParts& s) { s.strings = "Maker=\"Vostrel Storage Devices\"\r\n"; }),
         D::kProviderUnreadable, "DISK.IN_ [Version] Provider"},
        {"no [Manufacturer] line", Script([](ScriptParts& s) { s.manufacturer = ""; }),
         D::kManufacturerMissing, "DISK.IN_ [Manufacturer] #0"},
        {"models section name too long",
         Script([](ScriptParts& s) { s.manufacturer = "%Maker%=ModelsOfTheNimbleKey\r\n"; }),
         D::kManufacturerUnreadable, "DISK.IN_ [Manufacturer] #0"},
        {"models section missing", Script([](ScriptParts& s) { s.modelsName = "Others"; }),
         D::kModelsSectionEmpty, "DISK.IN_ [Models] #0"},
        {"second model line without hardware id",
         Script([](ScriptParts& s) { s.models += "Plain=DiskInstall\r\n"; }),
         D::kModelWithoutHardwareId, "DISK.IN_ [Models] #1"},
        {"primary line without install section",
         Script([](ScriptParts& s) { s.models = "%Desc%=,USB\\VID_ABCD&PID_1234\r\n"; }),
         D::kInstallSectionUnreadable, "DISK.IN_ [Models] #0"},
        {"short install reads the floppy INF",
         [](fake::Machine& m) {
             ScriptParts floppy = testpkg::FloppyParts();
             floppy.models = "Plain=FloppyInstall\r\n";
             testpkg::GivenPackage(m, ScriptParts(), floppy);
         },
         D::kModelWithoutHardwareId, "FLOPPY.INF [Models] #0", 1},
        {"no driver image",
         [](fake::Machine& m) {
             testpkg::GivenPackage(m);
             m.files.Remove(At("DISK.SY_"));
         },
         D::kNoDriverImage, "- [-] #0"},
        {"no port driver",
         [](fake::Machine& m) {
             testpkg::GivenPackage(m);
             m.files.Remove(At("DISK.PDR"));
         },
         D::kNoPortDriver, "- [-] #0"},
    };
    for (const Case& c : cases) {
        Heard heard;
        LoadRun observed = LoadOn(c.given, c.infOnlyMode, &heard);
        LoadRun plain = LoadOn(c.given, c.infOnlyMode, nullptr);
        EXPECT_FALSE(observed.loaded) << c.name;
        EXPECT_FALSE(plain.loaded) << c.name;
        EXPECT_EQ(observed.boxes, plain.boxes) << c.name;
        EXPECT_EQ(heard.failures, 1) << c.name;
        EXPECT_EQ(heard.defect, c.defect) << c.name;
        EXPECT_EQ(heard.where, c.where) << c.name;
    }
}

TEST(PackageObserver, HearsThePassedOverFilesAndNoFailureOfAGoodPackage) {
    Heard heard;
    LoadRun run = LoadOn(
        [](fake::Machine& m) {
            m.givenFile(At("A_NAME_OF_TWENTY_1.INF"), ScriptParts().Text());
            m.givenFile(At("BROKEN.INF"), "[Version\r\n");
            m.givenFile(At("PLAIN.INF"), testpkg::FloppyParts().Text());
            testpkg::GivenPackage(m);
            m.givenFile(At("A_LONG_DRIVER_IMAGE.SY_"), "image");
        },
        0, &heard);
    EXPECT_TRUE(run.loaded);
    EXPECT_EQ(heard.failures, 0);
    using R = PassedOverReason;
    auto passed = [](const char* mask, const char* name, R reason) {
        return std::string(mask) + " " + name + " " + std::to_string(static_cast<int>(reason));
    };
    EXPECT_EQ(heard.passed, (std::vector<std::string>{
                                passed("*.in?", "A_NAME_OF_TWENTY_1.INF", R::kNameTooLong),
                                passed("*.in?", "BROKEN.INF", R::kNotAnInf),
                                passed("*.in?", "PLAIN.INF", R::kNoSetupSection),
                                passed("*.sy_", "A_LONG_DRIVER_IMAGE.SY_", R::kNameTooLong),
                            }));
}

}  // namespace
