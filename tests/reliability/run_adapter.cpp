#include "tests/reliability/run_adapter.h"

#include "engine/package_reader.h"
#include "platform/os_kind.h"

const char* RoadName(Road road) {
    switch (road) {
        case Road::Install:
            return "install";
        case Road::Uninstall:
            return "uninstall";
        case Road::SilentInstall:
            return "silent install";
    }
    return "?";
}

bool ShortInstallKind(std::uint8_t osKind) {
    return osKind == OsKind::kWinMe || osKind == OsKind::kWinXP;
}

RunOutcome RunRoad(const SetupServices& services, const RunRequest& request, SetupContext* ctx) {
    *ctx = SetupContext{};
    ctx->osKind = request.osKind;
    ctx->infOnlyMode = ShortInstallKind(request.osKind) ? 1 : 0;
    if (!ctx->windowsDir.Assign(request.windowsDir) || !ctx->sourceDir.Assign(request.sourceDir) ||
        !LoadPackage(services.system, services.channel, *ctx)) {
        return RunOutcome::PackageUnusable;
    }
    bool ok = false;
    switch (request.road) {
        case Road::Install:
            ctx->installSelected = 1;
            ok = RunInstall(services, *ctx);
            break;
        case Road::Uninstall:
            ok = RunUninstall(services, *ctx);
            break;
        case Road::SilentInstall:
            ctx->installSelected = 1;
            ok = RunSilentInstall(services, *ctx);
            break;
    }
    return ok ? RunOutcome::Completed : RunOutcome::Failed;
}
