// Generated INF stores for the fake machine: many OEM INFs with chosen or
// random hardware ids, for the cleanup's tests and benchmarks. Deterministic
// for a seed on every standard library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/machine.h"
#include "platform/os_kind.h"
#include "platform/target_id.h"

namespace genstore {

// A small portable generator (splitmix64): std::*_distribution differ between
// standard libraries, and a failing seed must replay anywhere.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
    bool Percent(unsigned p) { return Below(100) < p; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

  private:
    std::uint64_t state_;
};

// One model line: `hardwareId` empty means no field 2 at all.
struct ModelLine {
    std::string description = "%Disk.Desc%";
    std::string install = "DiskInstall";
    std::string hardwareId;
    std::string compatibleId;  // field 3, never compared
};

struct Manufacturer {
    std::string modelsSection;
    std::vector<ModelLine> models;
    bool sectionPresent = true;
};

// The text of a Windows 4 style INF. `padding` adds the install, registry,
// copy and string sections a real driver INF carries.
inline std::string InfText(const std::vector<Manufacturer>& makers, bool padding,
                           const std::string& tag = "0") {
    std::string text = "; Generated INF " + tag + "\r\n[Version]\r\nSignature=\"$Chicago$\"\r\n";
    text += "Class=hdc\r\nClassGUID={4D36E96A-E325-11CE-BFC1-08002BE10318}\r\n";
    text += "Provider=%Maker%\r\nDriverVer=11/20/2026,2.02." + tag + "\r\n\r\n[Manufacturer]\r\n";
    for (const Manufacturer& maker : makers) {
        text += "%Maker%=" + maker.modelsSection + "\r\n";
    }
    for (const Manufacturer& maker : makers) {
        if (!maker.sectionPresent) {
            continue;
        }
        text += "\r\n[" + maker.modelsSection + "]\r\n";
        for (const ModelLine& line : maker.models) {
            text += line.description + "=" + line.install;
            if (!line.hardwareId.empty()) {
                text += "," + line.hardwareId;
                if (!line.compatibleId.empty()) {
                    text += "," + line.compatibleId;
                }
            }
            text += "\r\n";
        }
    }
    if (padding) {
        text +=
            "\r\n[DiskInstall]\r\nCopyFiles=Disk.Sys,Disk.Pdr\r\nAddReg=Disk.AddReg\r\n"
            "\r\n[Disk.AddReg]\r\nHKR,,DevLoader,,*IOS\r\nHKR,,NTMPDriver,,DISK" +
            tag +
            ".SYS\r\nHKR,,EnumPropPages,,\"DISKUI.DLL,EnumPropPages\"\r\n"
            "\r\n[Disk.Sys]\r\nDISK" +
            tag + ".SYS\r\n\r\n[Disk.Pdr]\r\nDISK" + tag +
            ".PDR\r\n\r\n[DestinationDirs]\r\nDisk.Sys=12\r\nDisk.Pdr=12,IOSUBSYS\r\n"
            "\r\n[SourceDisksNames]\r\n1=%Disk.Name%,,,\r\n"
            "\r\n[SourceDisksFiles]\r\nDISK" +
            tag + ".SYS=1\r\nDISK" + tag +
            ".PDR=1\r\n\r\n; Texts shown by the system's device manager\r\n";
    }
    text += "\r\n[Strings]\r\nMaker=\"Maker " + tag + "\"\r\nDisk.Desc=\"USB Flash Disk " + tag +
            "\"\r\nDisk.Name=\"Driver disk " + tag + "\"\r\n";
    return text;
}

inline std::string HardwareId(const std::string& vid, const std::string& pid) {
    return "USB\\VID_" + vid + "&PID_" + pid;
}

// Where the cleanup looks for a Windows kind: folder and file name prefix.
inline std::string StoreFolder(const std::string& windowsDir, std::uint8_t osKind) {
    return windowsDir + (osKind < OsKind::kWin2000 ? "\\INF\\OTHER" : "\\INF");
}

inline std::string StoreName(std::uint8_t osKind, std::size_t index) {
    return (osKind < OsKind::kWin2000 ? "DRV" : "OEM") + std::to_string(index) + ".INF";
}

// A store in which every INF names one model line per hardware id given.
// Each INF gets its .PNF companion.
inline void GivenStore(fake::Machine& m, std::uint8_t osKind,
                       const std::vector<std::vector<std::string>>& hardwareIdsPerInf,
                       bool padding) {
    std::string folder = StoreFolder(m.system.windowsDirectory, osKind);
    for (std::size_t i = 0; i < hardwareIdsPerInf.size(); ++i) {
        Manufacturer maker{"Models", {}, true};
        for (const std::string& id : hardwareIdsPerInf[i]) {
            ModelLine line;
            line.hardwareId = id;
            maker.models.push_back(line);
        }
        std::string name = StoreName(osKind, i);
        m.files.Put(folder + "\\" + name, InfText({maker}, padding, std::to_string(i)));
        m.files.Put(folder + "\\" + name.substr(0, name.size() - 3) + "PNF", "PNF");
    }
}

// Random stores with every shape the cleanup must survive.
struct RandomShape {
    std::size_t maxInfs = 24;
    std::uint8_t osKind = OsKind::kWin98;
};

// Id texts that overlap on purpose: "1234" is a vendor and a product, and
// "ABC" lies inside "ABCD".
inline const std::vector<std::string>& IdPool() {
    static const std::vector<std::string> pool = {"ABCD", "F1A5", "1234", "D15C",
                                                  "0781", "5567", "abcd", "ABC"};
    return pool;
}

inline std::string RandomHardwareId(Rng& rng) {
    switch (rng.Below(10)) {
        case 0:
            return "USB\\DISK&SPECIAL_" + rng.Pick(IdPool());
        case 1:
            return "usb\\vid_" + rng.Pick(IdPool()) + "&pid_" + rng.Pick(IdPool());
        case 2:
            return "USB\\VID_" + rng.Pick(IdPool());
        case 3:
            return "%HwId%";  // substituted from [Strings]
        default:
            return HardwareId(rng.Pick(IdPool()), rng.Pick(IdPool()));
    }
}

inline std::string RandomInf(Rng& rng, std::size_t index) {
    switch (rng.Below(20)) {
        case 0:
            return "";  // a 0-byte file: no INF
        case 1:
            return "this is no INF\r\n[Broken\r\n";
        case 2:
            return "[Version]\r\nSignature=\"$Chicago$\"\r\n";  // no [Manufacturer]
        case 3:
            return "[Version]\r\nSignature=\"$Chicago$\"\r\n[Manufacturer]\r\nNoModelsName\r\n";
        default:
            break;
    }
    std::vector<Manufacturer> makers;
    std::size_t makerCount = 1 + rng.Below(3);
    for (std::size_t k = 0; k < makerCount; ++k) {
        Manufacturer maker;
        maker.modelsSection = "Models" + std::to_string(k);
        if (rng.Percent(5)) {
            maker.modelsSection = "ModelsWithALongName" + std::to_string(k);  // 20 characters
        }
        maker.sectionPresent = !rng.Percent(5);
        std::size_t lines = rng.Below(6);
        for (std::size_t l = 0; l < lines; ++l) {
            ModelLine line;
            if (!rng.Percent(10)) {
                line.hardwareId = RandomHardwareId(rng);
            }
            if (rng.Percent(20)) {
                line.compatibleId = HardwareId(rng.Pick(IdPool()), rng.Pick(IdPool()));
            }
            maker.models.push_back(line);
        }
        makers.push_back(maker);
    }
    std::string text = InfText(makers, rng.Percent(30), std::to_string(index));
    text += "HwId=\"" + HardwareId(rng.Pick(IdPool()), rng.Pick(IdPool())) + "\"\r\n";
    return text;
}

// INFs (some read-only, some in small letters, most with a companion, some
// companions held open by another program), plus files the cleanup must never
// look at: the system's own INFs and INFs of the other store folder.
inline void GivenRandomStore(fake::Machine& m, Rng& rng, const RandomShape& shape) {
    std::string windows = m.system.windowsDirectory;
    std::string folder = StoreFolder(windows, shape.osKind);
    std::size_t count = rng.Below(shape.maxInfs + 1);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = StoreName(shape.osKind, i);
        if (rng.Percent(20)) {
            for (char& c : name) {
                c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            }
        }
        std::uint32_t attributes = rng.Percent(20) ? fake::kAttrReadOnly : fake::kAttrNormal;
        m.files.Put(folder + "\\" + name, RandomInf(rng, i), attributes);
        if (rng.Percent(80)) {
            std::string pnf = folder + "\\" + StoreName(shape.osKind, i);
            pnf.replace(pnf.size() - 3, 3, "PNF");
            m.files.Put(pnf, "PNF", rng.Percent(20) ? fake::kAttrReadOnly : fake::kAttrNormal);
            if (rng.Percent(5)) {
                m.files.Find(pnf)->openElsewhere = true;
            }
        }
    }
    std::string stale = HardwareId("ABCD", "1234");
    Manufacturer maker{"Models", {ModelLine{"D", "I", stale, ""}}, true};
    m.files.Put(windows + "\\INF\\USBSTOR.INF", InfText({maker}, false));
    std::string other =
        StoreFolder(windows, shape.osKind < OsKind::kWin2000 ? OsKind::kWinXP : OsKind::kWin98);
    m.files.Put(other + "\\" + StoreName(OsKind::kWinXP, 99), InfText({maker}, false));
    m.files.Put(other + "\\" + StoreName(OsKind::kWin98, 99), InfText({maker}, false));
}

// A target id list of up to 50 entries from the pool; sometimes an entry with
// an empty text stops it early, with filled entries behind it.
inline std::vector<TargetId> RandomTargets(Rng& rng) {
    std::vector<TargetId> ids(kMaxTargetIds + 1);
    std::size_t filled = rng.Below(kMaxTargetIds + 1);
    for (std::size_t i = 0; i < filled; ++i) {
        ids[i].vid.Assign(rng.Pick(IdPool()).c_str());
        ids[i].pid.Assign(rng.Pick(IdPool()).c_str());
    }
    if (filled > 0 && rng.Percent(20)) {
        TargetId& hole = ids[rng.Below(filled)];
        (rng.Percent(50) ? hole.vid : hole.pid).Clear();
    }
    return ids;
}

inline std::string RandomExtraText(Rng& rng) {
    static const std::vector<std::string> extras = {"",    "", "", "special_abcd", "DISK&SPECIAL",
                                                    "VID_"};
    return rng.Pick(extras);
}

}  // namespace genstore
