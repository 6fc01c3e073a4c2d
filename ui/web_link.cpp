#include "ui/web_link.h"

bool BuildLaunchCommand(const std::string& linkText, LaunchCommand* command) {
    return linkText.find("http://www") != std::string::npos &&
           Concat(command, {"Explorer ", linkText.c_str()});
}

bool BuildLauncherPath(const char* windowsDir, LauncherPath* path) {
    return windowsDir[0] != '\0' && JoinPath(windowsDir, "EXPLORER.EXE", path);
}
