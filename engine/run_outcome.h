// How a run ended, reported as the program's exit code with the conventions
// of Windows installers.
#pragma once

enum class RunOutcome {
    Completed,        // the sequence ran and nothing it depends on failed
    Failed,           // a copy of the install failed, or the uninstall left the driver
    Cancelled,        // agreement refused, or the dialog closed without a run
    PackageUnusable,  // the package could not be read
    SystemRefused,    // the running Windows is not served
    AlreadyRunning,   // another run of the program was working on the system
};

constexpr int ExitCodeOf(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
            return 0;
        case RunOutcome::Failed:
            return 1603;  // ERROR_INSTALL_FAILURE
        case RunOutcome::Cancelled:
            return 1602;  // ERROR_INSTALL_USEREXIT
        case RunOutcome::PackageUnusable:
            return 1619;  // ERROR_INSTALL_PACKAGE_OPEN_FAILED
        case RunOutcome::SystemRefused:
            return 1633;  // ERROR_INSTALL_PLATFORM_UNSUPPORTED
        case RunOutcome::AlreadyRunning:
            return 1618;  // ERROR_INSTALL_ALREADY_RUNNING
    }
    return 1603;
}

// The outcome in the run's log.
constexpr const char* OutcomeText(RunOutcome outcome) {
    switch (outcome) {
        case RunOutcome::Completed:
            return "completed";
        case RunOutcome::Failed:
            return "failed";
        case RunOutcome::Cancelled:
            return "cancelled";
        case RunOutcome::PackageUnusable:
            return "package unusable";
        case RunOutcome::SystemRefused:
            return "Windows not served";
        case RunOutcome::AlreadyRunning:
            return "another run working";
    }
    return "failed";
}
