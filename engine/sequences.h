// What the Start button and the silent switch run: the removal steps that begin
// every install and make up the uninstall, the full and the short install, and
// the silent install with its hardware rescan.
#pragma once

#include "engine/setup_context.h"
#include "platform/platform.h"
#include "platform/setup_channel.h"
#include "platform/window_services.h"

// A tree that goes on reporting removals sweep after sweep (entries that come
// back as fast as they go) must not hold the setup forever.
constexpr int kMaxRemovalSweeps = 32;

// Removes the disk's device entries, the stale OEM INFs of every target id and
// the installed driver image, moving the bar from `from` to `to`. True when
// the image is gone and no device entry of the disk is left.
bool RemoveDriver(const SetupServices& services, const SetupContext& ctx, int from, int to);

// Install or update: the short install (the floppy INF alone) when
// infOnlyMode is 1, the full install otherwise. True when every file is in
// place; otherwise the files it would have replaced are as they were.
bool RunInstall(const SetupServices& services, const SetupContext& ctx);

// True when the image is gone and no device entry of the disk is left.
bool RunUninstall(const SetupServices& services, const SetupContext& ctx);

// The install without questions, ending with a rescan of the hardware; on
// every Windows kind, always the full install. True when every file is in
// place; the rescan's own result does not count.
bool RunSilentInstall(const SetupServices& services, const SetupContext& ctx);
