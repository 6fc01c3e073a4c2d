#include "tests/reliability/hostile_packages.h"

#include <cstdio>
#include <optional>
#include <utility>

namespace reliability {

const char kNoInfText[] = "INF file not found !";
const char kNoScriptText[] = "Main .in_ file with [Setup] section is not found !";
const char kNoImageText[] = "SYS(SY_) file not found !";
const char kNoPortDriverText[] = "MPD file not found !";

namespace {

constexpr char kCrLf[] = "\r\n";

// A package described by its parts, so that each row states what it breaks.
struct PackageParts {
    std::string scriptName = "NIMBLE.IN_";
    std::string version = "Signature=\"$Chicago$\"\r\nClass=hdc\r\nProvider=%Maker%\r\n";
    bool hasSetup = true;
    std::string setup = "MPDInf=NIMBLEMP.INF\r\nFDDInf=NIMBLEFD.INF\r\nWin98Only=0\r\n";
    std::string manufacturer = "%Maker%=NimbleModels\r\n";
    std::string modelsName = "NimbleModels";
    std::string models =
        "%Disk.Desc%=NimbleDisk,USB\\VID_F1A5&PID_D15C\r\n"
        "%Disk2.Desc%=NimbleDisk,USB\\VID_F1A5&PID_D15D\r\n";
    std::string install = "CopyFiles=NimbleDisk.Sys,NimbleDisk.Pdr\r\nAddReg=NimbleDisk.AddReg\r\n";
    std::string strings =
        "Maker=\"Vostrel\"\r\nDisk.Desc=\"Vostrel NIMBLEKEY USB Flash Disk\"\r\n"
        "Disk2.Desc=\"Vostrel NIMBLEKEY USB Flash Disk 2\"\r\n";
    std::string tail;                  // raw text at the end of the script
    std::optional<std::string> bytes;  // the script's bytes as they stand
    std::string floppyName = "NIMBLEFD.INF";
    std::string floppy =
        "[Version]\r\nSignature=\"$Chicago$\"\r\nClass=hdc\r\nProvider=%Maker%\r\n"
        "[Manufacturer]\r\n%Maker%=NimbleFloppy\r\n[NimbleFloppy]\r\n"
        "%Floppy.Desc%=NimbleFloppyInstall,USB\\VID_F1A5&PID_D15F\r\n"
        "[NimbleFloppyInstall]\r\nAddReg=NimbleFloppy.AddReg\r\n"
        "[Strings]\r\nMaker=\"Vostrel\"\r\nFloppy.Desc=\"Vostrel NIMBLEKEY USB Floppy\"\r\n";
    std::string sysName = "NIMBLE.SY_";
    std::string pdrName = "NIMBLE.PDR";
    PackageFiles listedFirst;

    std::string Script() const {
        if (bytes) {
            return *bytes;
        }
        std::string text = "[Version]\r\n" + version;
        if (hasSetup) {
            text += "[Setup]\r\n" + setup;
        }
        text += "[Manufacturer]\r\n" + manufacturer;
        text += "[" + modelsName + "]\r\n" + models;
        text += "[NimbleDisk]\r\n" + install;
        text += "[Strings]\r\n" + strings;
        return text + tail;
    }

    PackageFiles Files() const {
        PackageFiles files = listedFirst;
        if (!scriptName.empty()) {
            files.push_back({scriptName, Script()});
        }
        if (!floppyName.empty()) {
            files.push_back({floppyName, floppy});
        }
        if (!sysName.empty()) {
            files.push_back({sysName, "driver image 2.02"});
        }
        if (!pdrName.empty()) {
            files.push_back({pdrName, "port driver 2.02"});
        }
        return files;
    }
};

std::string Utf16Le(const std::string& ascii) {
    std::string wide = "\xFF\xFE";
    for (char c : ascii) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// A name of `length` characters ending in `extension`.
std::string NameOf(std::size_t length, const std::string& extension) {
    return std::string(length - extension.size(), 'N') + extension;
}

std::string ModelLines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) {
        char line[80];
        std::snprintf(line, sizeof line, "%%Disk.Desc%%=NimbleDisk,USB\\VID_F1A5&PID_%04d\r\n", i);
        lines += line;
    }
    return lines;
}

// A section of ordinary lines that makes the script about 10 MB long.
std::string TenMegabytes() {
    std::string text = "[Padding]\r\n";
    text.reserve(10u * 1024u * 1024u + 100u);
    char line[96];
    for (int i = 0; text.size() < 10u * 1024u * 1024u; ++i) {
        std::snprintf(line, sizeof line, "Entry%07d=\"a value that takes some room\",%d\r\n", i, i);
        text += line;
    }
    return text;
}

using Check = std::function<std::string(const SetupContext&)>;

// A check that one text field holds `want`.
template <std::size_t N>
Check FieldIs(const char* label, FixedText<N> SetupContext::*field, std::string want) {
    return [=](const SetupContext& ctx) {
        std::string have = (ctx.*field).c_str();
        return have == want ? std::string() : std::string(label) + " is \"" + have + "\"";
    };
}

Check TargetsAre(std::vector<std::string> ids) {
    return [=](const SetupContext& ctx) {
        std::size_t n = 0;
        while (n < ctx.targetIds.size() && !ctx.targetIds[n].vid.empty()) {
            ++n;
        }
        std::vector<std::string> have;
        for (std::size_t i = 0; i < n; ++i) {
            have.push_back(std::string(ctx.targetIds[i].vid.c_str()) + "/" +
                           ctx.targetIds[i].pid.c_str());
        }
        if (have == ids) {
            return std::string();
        }
        std::string text = "targetIds are";
        for (const std::string& id : have) {
            text += " " + id;
        }
        return text;
    };
}

Check All(std::vector<Check> checks) {
    return [=](const SetupContext& ctx) {
        for (const Check& check : checks) {
            std::string failed = check(ctx);
            if (!failed.empty()) {
                return failed;
            }
        }
        return std::string();
    };
}

Check Win98OnlyIs(int want) {
    return [=](const SetupContext& ctx) {
        return ctx.win98Only == want ? std::string()
                                     : "win98Only is " + std::to_string(ctx.win98Only);
    };
}

const Check kDescriptionEmpty = FieldIs("deviceDescription", &SetupContext::deviceDescription, "");
const Check kTwoTargets = TargetsAre({"F1A5/D15C", "F1A5/D15D"});

struct Row {
    const char* name;
    std::function<void(PackageParts&)> change;
    int infOnlyMode;
    bool loads;
    const char* message;
    Check check;
};

}  // namespace

std::vector<HostilePackage> HostilePackages() {
    const std::string n19 = NameOf(19, ".INF");
    const std::string n20 = NameOf(20, ".INF");
    const Row rows[] = {
        // The failure points with a box.
        {"EmptyFolder",
         [](PackageParts& p) { p.scriptName = p.floppyName = p.sysName = p.pdrName = ""; }, 0,
         false, kNoInfText, nullptr},
        {"OnlyTheDriverFiles", [](PackageParts& p) { p.scriptName = p.floppyName = ""; }, 0, false,
         kNoInfText, nullptr},
        {"NoSetupSection", [](PackageParts& p) { p.hasSetup = false; }, 0, false, kNoScriptText,
         nullptr},
        {"EmptySetupSection", [](PackageParts& p) { p.setup = ""; }, 0, false, kNoScriptText,
         nullptr},
        {"ScriptThatIsNoInf", [](PackageParts& p) { p.bytes = "MZ\x90\x00 this is no INF"; }, 0,
         false, kNoScriptText, nullptr},
        {"ScriptOfZeroBytes", [](PackageParts& p) { p.bytes = ""; }, 0, false, kNoScriptText,
         nullptr},
        {"CtrlZBeforeTheSetupSection",
         [](PackageParts& p) {
             p.version += "\x1A";
         },
         0, false, kNoScriptText, nullptr},
        {"CtrlZInASectionName", [](PackageParts& p) { p.modelsName = "Nimble\x1AModels"; }, 0, false,
         kNoScriptText, nullptr},
        {"ScriptName20Characters", [](PackageParts& p) { p.scriptName = NameOf(20, ".IN_"); }, 0,
         false, kNoScriptText, nullptr},
        {"ScriptName300Characters", [](PackageParts& p) { p.scriptName = NameOf(300, ".IN_"); }, 0,
         false, kNoScriptText, nullptr},
        {"NoDriverImage", [](PackageParts& p) { p.sysName = ""; }, 0, false, kNoImageText, nullptr},
        {"NeitherDriverFile", [](PackageParts& p) { p.sysName = p.pdrName = ""; }, 0, false,
         kNoImageText, nullptr},
        {"NoPortDriver", [](PackageParts& p) { p.pdrName = ""; }, 0, false, kNoPortDriverText,
         nullptr},
        {"DriverImageName20Characters", [](PackageParts& p) { p.sysName = NameOf(20, ".SY_"); }, 0,
         false, kNoImageText, nullptr},
        {"DriverImageName300Characters", [](PackageParts& p) { p.sysName = NameOf(300, ".SY_"); },
         0, false, kNoImageText, nullptr},
        {"PortDriverName20Characters", [](PackageParts& p) { p.pdrName = NameOf(20, ".PDR"); }, 0,
         false, kNoPortDriverText, nullptr},
        {"PortDriverName300Characters", [](PackageParts& p) { p.pdrName = NameOf(300, ".PDR"); }, 0,
         false, kNoPortDriverText, nullptr},

        // The silent failure points.
        {"MpdInfNotReadable",
         [](PackageParts& p) { p.setup = "MPDInf=" + NameOf(20, ".INF") + "\r\nFDDInf=NIMBLEFD.INF\r\n"; },
         0, false, "", nullptr},
        {"MpdInfLeavesTheFolder",
         [](PackageParts& p) { p.setup = "MPDInf=..\\NIMBLEMP.INF\r\nFDDInf=NIMBLEFD.INF\r\n"; }, 0,
         false, "", nullptr},
        {"NoFddInf", [](PackageParts& p) { p.setup = "MPDInf=NIMBLEMP.INF\r\n"; }, 0, false, "",
         nullptr},
        {"FddInf20Characters",
         [n20](PackageParts& p) {
             p.setup = "FDDInf=" + n20 + kCrLf;
             p.floppyName = n20;
         },
         0, false, "", nullptr},
        {"FddInfInTheParentFolder", [](PackageParts& p) { p.setup = "FDDInf=..\\NIMBLEFD.INF\r\n"; },
         0, false, "", nullptr},
        {"FddInfOnAnotherDrive", [](PackageParts& p) { p.setup = "FDDInf=C:\\NIMBLEFD.INF\r\n"; }, 0,
         false, "", nullptr},
        {"FddInfWithASlash", [](PackageParts& p) { p.setup = "FDDInf=/NIMBLEFD.INF\r\n"; }, 0, false,
         "", nullptr},
        {"FddInfIsTheFolderItself", [](PackageParts& p) { p.setup = "FDDInf=.\r\n"; }, 0, false, "",
         nullptr},
        {"EmptyFddInfInShortMode", [](PackageParts& p) { p.setup = "FDDInf=\r\n"; }, 1, false,
         "", nullptr},
        {"NoProvider", [](PackageParts& p) { p.version = "Signature=\"$Chicago$\"\r\n"; }, 0, false,
         "", nullptr},
        {"Provider20Characters",
         [](PackageParts& p) {
             p.version = "Signature=\"$Chicago$\"\r\nProvider=" + std::string(20, 'V') + kCrLf;
         },
         0, false, "", nullptr},
        {"NoManufacturer",
         [](PackageParts& p) {
             p.manufacturer = "";
         },
         0, false, "", nullptr},
        {"ModelsSectionMissing", [](PackageParts& p) { p.manufacturer = "%Maker%=Nowhere\r\n"; }, 0,
         false, "", nullptr},
        {"ModelsSectionEmpty", [](PackageParts& p) { p.models = ""; }, 0, false, "", nullptr},
        {"ModelsNamedBy20Characters",
         [](PackageParts& p) {
             p.modelsName = std::string(20, 'M');
             p.manufacturer = "%Maker%=" + p.modelsName + kCrLf;
         },
         0, false, "", nullptr},
        {"ModelLineWithoutHardwareId", [](PackageParts& p) { p.models = "%Disk.Desc%=NimbleDisk\r\n"; },
         0, false, "", nullptr},
        {"PrimaryLineWithoutInstallSection",
         [](PackageParts& p) { p.models = "%Disk.Desc%=,USB\\VID_F1A5&PID_D15C\r\n"; }, 0, false, "",
         nullptr},
        {"HardwareIdOf300Characters",
         [](PackageParts& p) {
             p.models = "%Disk.Desc%=NimbleDisk,USB\\VID_F1A5&PID_D15C&" + std::string(280, 'X') +
                        kCrLf;
         },
         0, false, "", nullptr},
        {"ShortModeWithoutFloppyInf", [](PackageParts& p) { p.floppyName = ""; }, 1, false, "",
         nullptr},
        {"ShortModeWithAFloppyThatIsNoInf", [](PackageParts& p) { p.floppy = "garbage\r\n"; }, 1,
         false, "", nullptr},

        // Packages that load, some at their limits.
        {"SampleLike", [](PackageParts&) {}, 0, true, "",
         All({kTwoTargets, FieldIs("provider", &SetupContext::provider, "Vostrel"),
              FieldIs("installSection", &SetupContext::installSection, "NimbleDisk")})},
        {"ShortModeReadsTheFloppy", [](PackageParts&) {}, 1, true, "",
         All({TargetsAre({"F1A5/D15F"}), FieldIs("deviceDescription",
                                                  &SetupContext::deviceDescription,
                                                  "Vostrel NIMBLEKEY USB Floppy")})},
        {"ScriptName19Characters", [](PackageParts& p) { p.scriptName = NameOf(19, ".IN_"); }, 0,
         true, "", FieldIs("mainInfName", &SetupContext::mainInfName, NameOf(19, ".IN_"))},
        {"FddInf19Characters",
         [n19](PackageParts& p) {
             p.setup = "FDDInf=" + n19 + kCrLf;
             p.floppyName = n19;
         },
         1, true, "", FieldIs("floppyInfName", &SetupContext::floppyInfName, n19)},
        {"DriverImageName19Characters", [](PackageParts& p) { p.sysName = NameOf(19, ".SY_"); }, 0,
         true, "", FieldIs("sysFileName", &SetupContext::sysFileName, NameOf(19, ".SY_"))},
        {"PortDriverName19Characters", [](PackageParts& p) { p.pdrName = NameOf(19, ".PDR"); }, 0,
         true, "", FieldIs("pdrFileName", &SetupContext::pdrFileName, NameOf(19, ".PDR"))},
        {"Provider19Characters",
         [](PackageParts& p) {
             p.version = "Signature=\"$Chicago$\"\r\nProvider=" + std::string(19, 'V') + kCrLf;
         },
         0, true, "", FieldIs("provider", &SetupContext::provider, std::string(19, 'V'))},
        {"NoMpdInf", [](PackageParts& p) { p.setup = "FDDInf=NIMBLEFD.INF\r\n"; }, 0, true, "",
         All({FieldIs("mpdInfName", &SetupContext::mpdInfName, ""), Win98OnlyIs(1)})},
        {"EmptyFddInf", [](PackageParts& p) { p.setup = "FDDInf=\r\n"; }, 0, true, "",
         FieldIs("floppyInfName", &SetupContext::floppyInfName, "")},
        {"Win98OnlyNotANumber",
         [](PackageParts& p) { p.setup = "FDDInf=NIMBLEFD.INF\r\nWin98Only=yes\r\n"; }, 0, true, "",
         Win98OnlyIs(1)},
        {"ModelsNamedBy19Characters",
         [](PackageParts& p) {
             p.modelsName = std::string(19, 'M');
             p.manufacturer = "%Maker%=" + p.modelsName + kCrLf;
         },
         0, true, "", kTwoTargets},
        {"HardwareIdWithVidAndNoPid",
         [](PackageParts& p) {
             p.models =
                 "%Disk.Desc%=NimbleDisk,USB\\VID_F1A5\r\n"
                 "%Disk2.Desc%=NimbleDisk,USB\\VID_F1A5&PID_D15D\r\n";
         },
         0, true, "",
         All({TargetsAre({"F1A5/D15D"}),
              FieldIs("deviceDescription", &SetupContext::deviceDescription,
                      "Vostrel NIMBLEKEY USB Flash Disk 2")})},
        {"OnlyAVidAndNoPid", [](PackageParts& p) { p.models = "%Disk.Desc%=NimbleDisk,USB\\VID_F1A5\r\n"; },
         0, true, "", All({TargetsAre({}), kDescriptionEmpty})},
        {"HardwareIdWithEmptyIds",
         [](PackageParts& p) { p.models = "%Disk.Desc%=NimbleDisk,USB\\VID_&PID_\r\n"; }, 0, true,
         "", TargetsAre({})},
        {"HardwareIdInSmallLetters",
         [](PackageParts& p) { p.models = "%Disk.Desc%=NimbleDisk,usb\\vid_f1a5&pid_d15c\r\n"; }, 0,
         true, "", TargetsAre({})},
        {"SixtyModelLines", [](PackageParts& p) { p.models = ModelLines(60); }, 0, true, "",
         [](const SetupContext& ctx) {
             bool ok = ctx.targetIds[49].pid == "0049" && ctx.targetIds[50].vid.empty();
             return ok ? std::string() : std::string("targetIds not cut after 50 entries");
         }},
        {"PrimaryListedAfterTheFiftiethLine",
         [](PackageParts& p) {
             p.setup += "TargetID=F1A50055\r\n";
             p.models = ModelLines(60);
         },
         0, true, "",
         All({kDescriptionEmpty, FieldIs("installSection", &SetupContext::installSection, "")})},
        {"DescriptionOf64Characters",
         [](PackageParts& p) {
             p.strings = "Maker=\"Vostrel\"\r\nDisk.Desc=\"" + std::string(64, 'D') + "\"\r\n";
         },
         0, true, "", kDescriptionEmpty},
        {"DuplicateSetupSections",
         [](PackageParts& p) { p.tail = "[SETUP]\r\nFDDInf=ELSEWHERE.INF\r\nWin98Only=1\r\n"; }, 0,
         true, "",
         All({FieldIs("floppyInfName", &SetupContext::floppyInfName, "NIMBLEFD.INF"),
              Win98OnlyIs(0)})},
        {"DuplicateModelsSections",
         [](PackageParts& p) {
             p.tail = "[NimbleModels]\r\n%Disk.Desc%=NimbleDisk,USB\\VID_F1A5&PID_D15E\r\n";
         },
         0, true, "", TargetsAre({"F1A5/D15C", "F1A5/D15D", "F1A5/D15E"})},
        {"DuplicateInstallSections",
         [](PackageParts& p) { p.tail = "[NimbleDisk]\r\nCopyFiles=Second.Copy\r\n"; }, 0, true, "",
         kTwoTargets},
        {"NulBytesInValues",
         [](PackageParts& p) {
             const char version[] = "Signature=\"$Chicago$\"\r\nProvider=Vost\0rel\r\n";
             p.version = std::string(version, sizeof version - 1);
         },
         0, true, "", FieldIs("provider", &SetupContext::provider, "Vost rel")},
        {"CtrlZEndsTheScript", [](PackageParts& p) { p.tail = "\x1A[Setup]\r\nFDDInf=..\\X.INF\r\n"; },
         0, true, "", FieldIs("floppyInfName", &SetupContext::floppyInfName, "NIMBLEFD.INF")},
        {"Utf16Script", [](PackageParts& p) { p.bytes = Utf16Le(PackageParts().Script()); }, 0, true,
         "", All({kTwoTargets, FieldIs("provider", &SetupContext::provider, "Vostrel")})},
        {"TenMegabyteScript", [](PackageParts& p) { p.tail = TenMegabytes(); }, 0, true, "",
         kTwoTargets},
        {"TwoSetupScripts",
         [](PackageParts& p) {
             PackageParts first;
             first.version = "Signature=\"$Chicago$\"\r\nProvider=First\r\n";
             p.listedFirst.push_back({"FIRST.IN_", first.Script()});
         },
         0, true, "", FieldIs("mainInfName", &SetupContext::mainInfName, "FIRST.IN_")},
        {"AnInfThatIsNoneListedFirst",
         [](PackageParts& p) { p.listedFirst.push_back({"README.INF", "not an INF at all"}); }, 0,
         true, "", FieldIs("mainInfName", &SetupContext::mainInfName, "NIMBLE.IN_")},
    };

    std::vector<HostilePackage> packages;
    for (const Row& row : rows) {
        PackageParts parts;
        row.change(parts);
        packages.push_back(HostilePackage{row.name, parts.Files(), row.infOnlyMode, row.loads,
                                          row.message, row.check});
    }
    return packages;
}

}  // namespace reliability
