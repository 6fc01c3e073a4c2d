// The driver package as the program reads it: every defect ends the program
// before anything runs, with the box that names it or none.
#include "engine/package_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/setup_app.h"
#include "package_builder.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

namespace {

using testpkg::At;
using S = testpkg::ScriptParts;

// The exit code and the boxes of the program on a Windows 98 SE machine (Me
// with "Me" among `files`) with the package beside it; `files` also names
// package files to remove ("-NAME") or to add ("+NAME").
std::string RunProgram(S script, const std::string& files) {
    fake::Machine m;
    m.windows.strings = StringTableForSystem(1033);
    m.system.modulePath = At("SETUP.EXE");
    if (files.find("Me") != std::string::npos) {
        m.system.version = {4, 90, 3000};
        script.setup += "Win98Only=0\r\n";
    }
    testpkg::GivenPackage(m, script);
    std::istringstream edits(files);
    for (std::string edit; edits >> edit;) {
        if (edit[0] == '-') {
            m.files.Remove(At(edit.substr(1)));
        } else if (edit[0] == '+') {
            m.givenFile(At(edit.substr(1)), "");
        }
    }
    m.windows.onDialogOpen = [&m](WindowHandle dialog, unsigned templateId) {
        int press = templateId == IDD_AGREEMENT ? kIdOk : kIdCancel;
        m.windows.Post([&m, dialog, press] { m.windows.Click(dialog, press); });
    };
    std::string out = std::to_string(RunSetupProgram(PlatformOf(m.system, m.devices, m.windows)));
    for (const fake::ShownBox& box : m.windows.Boxes()) {
        out += " [" + box.text + (box.flags == kIconStop ? "]" : "] without the stop icon");
    }
    for (const fake::Change& change : m.system.Changes()) {
        EXPECT_EQ(change.path, "C:\\WINDOWS\\USBSETUP.LOG");  // the run's log alone
    }
    EXPECT_EQ(m.system.OpenInfCount(), 0u);
    return out;
}

TEST(PackageReader, EveryDefectEndsTheProgramWithItsMessageOrNone) {
    const std::string p20(20, 'p'), noScript = std::string(" [") + kNoSetupScriptText + "]";
    std::string sixtyModels;  // the id table holds 50
    for (int i = 10; i < 70; ++i) {
        sixtyModels += "D=DiskInstall,USB\\VID_ABCD&PID_12" + std::to_string(i) + "\r\n";
    }
    struct Case {
        const char* name;
        std::string S::*part;  // replaced by `text`; null: `text` edits the files
        std::string text;
        std::string outcome;
    } cases[] = {
        {"a usable package", nullptr, "", "1602"},
        {"no INF", nullptr, "-DISK.IN_ -FLOPPY.INF", "1619 [INF file not found !]"},
        {"no INF with a [Setup] line", &S::setup, "", "1619" + noScript},
        {"the script is no INF", &S::version, "Signature=\"$Windows 98$\"\r\n", "1619" + noScript},
        {"MPDInf too long", &S::setup, "MPDInf=" + p20 + "\r\nFDDInf=F.INF\r\n", "1619"},
        {"MPDInf names a folder", &S::setup, "MPDInf=..\\X.INF\r\nFDDInf=F.INF\r\n", "1619"},
        {"no FDDInf", &S::setup, "MPDInf=X.INF\r\n", "1619"},
        {"FDDInf too long", &S::setup, "FDDInf=" + p20 + "\r\n", "1619"},
        {"FDDInf names a drive", &S::setup, "FDDInf=C:X.INF\r\n", "1619"},
        {"no floppy INF where it describes the disk", nullptr, "Me -FLOPPY.INF", "1619"},
        {"no Provider", &S::version, "Signature=\"$Chicago$\"\r\n", "1619"},
        {"Provider too long", &S::strings, "Maker=" + p20 + "\r\n", "1619"},
        {"no Manufacturer line", &S::manufacturer, "", "1619"},
        {"models section name too long", &S::manufacturer, "V=" + p20 + "\r\n", "1619"},
        {"no model line", &S::models, "", "1619"},
        {"a model line without hardware id", &S::models, S().models + "B=I\r\n", "1619"},
        {"more model lines than the id table holds", &S::models, sixtyModels, "1602"},
        {"the disk's line without install section", &S::models, "D=,USB\\VID_ABCD&PID_1234\r\n",
         "1619"},
        {"no driver image", nullptr, "-DISK.SY_", "1619 [SYS(SY_) file not found !]"},
        {"a driver image name too long", nullptr, "-DISK.SY_ +" + p20 + ".SY_",
         "1619 [SYS(SY_) file not found !]"},
        {"no port driver", nullptr, "-DISK.PDR", "1619 [MPD file not found !]"},
    };
    for (const Case& c : cases) {
        S script;
        if (c.part != nullptr) {
            script.*c.part = c.text;
        }
        EXPECT_EQ(RunProgram(script, c.part ? "" : c.text), c.outcome) << c.name;
    }
}

}  // namespace
