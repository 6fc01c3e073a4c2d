// The state of one setup run: what the package says and what the machine is.
// Empty and zero when the main dialog is constructed.
#pragma once

#include <array>
#include <cstdint>

#include "platform/os_kind.h"
#include "platform/target_id.h"
#include "platform/text.h"

using FileNameText = FixedText<20>;
using FolderText = FixedText<260>;
using DescriptionText = FixedText<64>;

struct SetupContext {
    int installSelected = 0;  // 1 install or update, 0 uninstall
    std::uint8_t osKind = 0;
    FixedText<10> primaryVid;
    FixedText<10> primaryPid;
    FileNameText modelsSection;
    FileNameText extraMatchText;  // never filled: an empty text matches every INF
    FileNameText mainInfName;     // the setup script, which is also the main INF
    FileNameText mpdInfName;
    FileNameText floppyInfName;
    FileNameText sysFileName;
    FileNameText pdrFileName;
    FolderText sourceDir;  // the program's folder, no trailing backslash
    FolderText windowsDir;
    DescriptionText deviceDescription;
    DescriptionText setupDeviceDesc;
    FileNameText provider;
    FileNameText installSection;
    // Filled entries first; the list ends at the first entry with an empty
    // vendor id text, and there is always one.
    std::array<TargetId, kMaxTargetIds + 1> targetIds;
    int win98Only = 0;
    int infOnlyMode = 0;  // 1: the install copies only the floppy INF
};

// Windows Me and XP copy only the floppy INF, which then describes the device.
inline int InfOnlyModeOf(std::uint8_t osKind) {
    return osKind == OsKind::kWinMe || osKind == OsKind::kWinXP ? 1 : 0;
}

// The interactive start serves Windows 98 and 98 SE, and the later kinds only
// when the setup script allows them; an unrecognised Windows never.
inline bool RefusesSystem(const SetupContext& ctx) {
    return ctx.osKind == OsKind::kUnknown || (ctx.win98Only != 0 && ctx.osKind > OsKind::kWin98SE);
}
