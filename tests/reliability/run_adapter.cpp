#include "tests/reliability/run_adapter.h"

#include "engine/package_reader.h"
#include "platform/os_kind.h"

RunOutcome RunRoad(const SetupServices& services, const RunRequest& request, SetupContext* ctx) {
    *ctx = SetupContext{};
    ctx->osKind = request.osKind;
    ctx->infOnlyMode = request.osKind == OsKind::kWinMe || request.osKind == OsKind::kWinXP;
    ctx->installSelected = request.road != Road::Uninstall;
    if (!ctx->windowsDir.Assign(request.windowsDir) || !ctx->sourceDir.Assign(request.sourceDir) ||
        !LoadPackage(services.system, services.channel, *ctx)) {
        return RunOutcome::PackageUnusable;
    }
    bool ok = request.road == Road::Install     ? RunInstall(services, *ctx)
              : request.road == Road::Uninstall ? RunUninstall(services, *ctx)
                                                : RunSilentInstall(services, *ctx);
    return ok ? RunOutcome::Completed : RunOutcome::Failed;
}
