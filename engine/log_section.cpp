#include "engine/log_section.h"

#include "platform/os_kind.h"
#include "resources/resource_ids.h"
#include "store/store_paths.h"

void AppendRunLog(FileServices& files, SystemFacts& system, const char* windowsDir,
                  const RunLog& log, const RunFacts& facts) {
    static const char* const kKinds[] = {"Windows (unknown)", "Windows 98",   "Windows 98 SE",
                                         "Windows Me",        "Windows 2000", "Windows XP"};
    StorePath path;
    if (!JoinPath(windowsDir, kRunLogName, &path)) {
        return;
    }
    RunLog section(system);
    LocalTime now = system.GetLocalTime();
    WindowsVersion version;
    if (!system.GetVersion(&version)) {
        version = WindowsVersion{};
    }
    // The 98 family keeps the version in the build's high word.
    const std::uint32_t numbers[] = {now.year,      now.month,     now.day,
                                     now.hour,      now.minute,    now.second,
                                     version.major, version.minor, version.build & 0xFFFFu};
    // The date and time, then the program, the kind and the version; each
    // number after the first comes behind its separator.
    for (int i = 0; i < 9; ++i) {
        if (i == 6) {
            section.Put({" Setup.exe " SETUP_FILE_VERSION " on ",
                         kKinds[facts.osKind <= OsKind::kWinXP ? facts.osKind : 0]});
        }
        if (i != 0) {
            section.PutChar("--- :: .."[i]);
        }
        section.PutNumber(numbers[i], 10, i == 0 ? 4 : i < 6 ? 2 : 1);
    }
    section.Put(", language 0x");
    section.PutNumber(system.GetSystemLanguage(), 16, 4);
    std::string commandLine = system.GetCommandLine();
    section.Put({", command line ", commandLine.c_str(), ", ", facts.road, "\r\n",
                 log.Text().c_str(), "Outcome: ", facts.outcome, ", exit code "});
    section.PutNumber(static_cast<std::uint32_t>(facts.exitCode), 10, 1);
    section.Put("\r\n");
    const std::string& text = section.Text();

    FileHandle file = files.OpenFileExclusive(path.c_str());
    std::uint32_t size = 0;
    if (file != kNoFile) {
        bool full = files.GetFileSize(file, &size) && size + text.size() > kRunLogLimit;
        files.CloseFile(file);
        if (full) {
            // Renamed, never deleted: the older sections stay readable once.
            StorePath old = path;  // the same name, .OLD
            old.Truncate(path.size() - 3);
            old.Append("OLD");
            files.DeleteFile(old.c_str());
            files.MoveFile(path.c_str(), old.c_str());
        }
    }
    files.AppendToFile(path.c_str(), text.data(), static_cast<std::uint32_t>(text.size()));
}
