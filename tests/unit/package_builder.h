// A driver package on the fake machine, built from readable pieces, so that a
// test states only what it changes.
#pragma once

#include <string>

#include "platform/fake/machine.h"

namespace testpkg {

constexpr char kFolder[] = "C:\\PKG";

struct ScriptParts {
    std::string version = "Signature=\"$Chicago$\"\r\nClass=DiskDrive\r\nProvider=%Maker%\r\n";
    std::string setup = "MPDInf=DISKMPD.INF\r\nFDDInf=FLOPPY.INF\r\n";
    std::string manufacturer = "%Maker%=Models\r\n";
    std::string modelsName = "Models";
    std::string models = "%Desc%=DiskInstall,USB\\VID_ABCD&PID_1234\r\n";
    std::string strings = "Maker=\"Vostrel\"\r\nDesc=\"Vostrel NIMBLEKEY USB Disk\"\r\n";

    std::string Text() const {
        return "[Version]\r\n" + version + "\r\n[Setup]\r\n" + setup + "\r\n[Manufacturer]\r\n" +
               manufacturer + "\r\n[" + modelsName + "]\r\n" + models +
               "\r\n[DiskInstall]\r\nCopyFiles=DiskCopy\r\n\r\n[Strings]\r\n" + strings + "\r\n";
    }
};

inline ScriptParts FloppyParts() {
    ScriptParts floppy;
    floppy.setup = "";
    floppy.models = "%Desc%=FloppyInstall,USB\\VID_ABCD&PID_5678\r\n";
    floppy.strings = "Maker=\"Vostrel\"\r\nDesc=\"Vostrel NIMBLEKEY Floppy\"\r\n";
    return floppy;
}

inline std::string At(const std::string& name) {
    return std::string(kFolder) + "\\" + name;
}

// Script, floppy INF, driver image and port driver, in that listing order.
inline void GivenPackage(fake::Machine& m, const ScriptParts& script = ScriptParts(),
                         const ScriptParts& floppy = FloppyParts()) {
    m.givenFile(At("DISK.IN_"), script.Text());
    m.givenFile(At("FLOPPY.INF"), floppy.Text());
    m.givenFile(At("DISK.SY_"), "driver image");
    m.givenFile(At("DISK.PDR"), "port driver");
}

}  // namespace testpkg
