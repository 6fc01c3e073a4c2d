// Generated INF stores for the fake machine: many OEM INFs with chosen or
// random hardware ids, for the benchmarks. Deterministic for a seed on every
// standard library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/machine.h"
#include "platform/os_kind.h"

namespace genstore {

// splitmix64: std::*_distribution differ between standard libraries.
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
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

  private:
    std::uint64_t state_;
};

// One model line: `hardwareId` empty means no field 2 at all.
struct ModelLine {
    std::string description = "%Disk.Desc%", install = "DiskInstall", hardwareId, compatibleId;
};

struct Manufacturer {
    std::string modelsSection;
    std::vector<ModelLine> models;
    bool sectionPresent = true;
};

// A Windows 4 style INF; `padding` adds the sections a real driver INF carries.
inline std::string InfText(const std::vector<Manufacturer>& makers, bool padding,
                           const std::string& tag = "0") {
    std::string text = "; Generated INF " + tag + "\r\n[Version]\r\nSignature=\"$Chicago$\"\r\n" +
                       "Class=hdc\r\nClassGUID={4D36E96A-E325-11CE-BFC1-08002BE10318}\r\n" +
                       "Provider=%Maker%\r\nDriverVer=11/20/2026,2.02." + tag +
                       "\r\n\r\n[Manufacturer]\r\n";
    for (const Manufacturer& maker : makers) {
        text += "%Maker%=" + maker.modelsSection + "\r\n";
    }
    for (const Manufacturer& maker : makers) {
        text += maker.sectionPresent ? "\r\n[" + maker.modelsSection + "]\r\n" : "";
        for (std::size_t i = 0; maker.sectionPresent && i < maker.models.size(); ++i) {
            const ModelLine& line = maker.models[i];
            text +=
                line.description + "=" + line.install +
                (line.hardwareId.empty() ? "" : "," + line.hardwareId) +
                (line.hardwareId.empty() || line.compatibleId.empty() ? ""
                                                                      : "," + line.compatibleId) +
                "\r\n";
        }
    }
    std::string pad =  // "@" stands for the tag
        "\r\n[DiskInstall]\r\nCopyFiles=Disk.Sys,Disk.Pdr\r\nAddReg=Disk.AddReg\r\n\r\n"
        "[Disk.AddReg]\r\nHKR,,DevLoader,,*IOS\r\nHKR,,NTMPDriver,,DISK@.SYS\r\n"
        "HKR,,EnumPropPages,,\"DISKUI.DLL,EnumPropPages\"\r\n\r\n[Disk.Sys]\r\nDISK@.SYS\r\n\r\n"
        "[Disk.Pdr]\r\nDISK@.PDR\r\n\r\n[DestinationDirs]\r\nDisk.Sys=12\r\nDisk.Pdr=12,"
        "IOSUBSYS\r\n"
        "\r\n[SourceDisksNames]\r\n1=%Disk.Name%,,,\r\n\r\n[SourceDisksFiles]\r\nDISK@.SYS=1\r\n"
        "DISK@.PDR=1\r\n\r\n; Texts shown by the system's device manager\r\n";
    for (std::size_t i = 0; padding && i < pad.size(); ++i) {
        text += pad[i] == '@' ? tag : pad.substr(i, 1);
    }
    return text + "\r\n[Strings]\r\nMaker=\"Maker " + tag + "\"\r\nDisk.Desc=\"USB Flash Disk " +
           tag + "\"\r\nDisk.Name=\"Driver disk " + tag + "\"\r\n";
}

inline std::string HardwareId(const std::string& vid, const std::string& pid) {
    return "USB\\VID_" + vid + "&PID_" + pid;
}

// A store (INF\OTHER as DRVn.INF, or INF as OEMn.INF from Windows 2000 on) in
// which every INF names one model line per hardware id given, with its .PNF.
inline void GivenStore(fake::Machine& m, std::uint8_t osKind,
                       const std::vector<std::vector<std::string>>& hardwareIdsPerInf,
                       bool padding) {
    bool family98 = osKind < OsKind::kWin2000;
    for (std::size_t i = 0; i < hardwareIdsPerInf.size(); ++i) {
        Manufacturer maker{"Models", {}, true};
        for (const std::string& id : hardwareIdsPerInf[i]) {
            maker.models.push_back(ModelLine{"%Disk.Desc%", "DiskInstall", id, ""});
        }
        std::string path = m.system.windowsDirectory +
                           (family98 ? "\\INF\\OTHER\\DRV" : "\\INF\\OEM") + std::to_string(i);
        m.files.Put(path + ".INF", InfText({maker}, padding, std::to_string(i)));
        m.files.Put(path + ".PNF", "PNF");
    }
}

}  // namespace genstore
