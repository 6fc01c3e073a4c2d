#include "ui/web_link.h"

bool IsWebLink(const std::string& linkText) {
    return linkText.find("http://www") != std::string::npos;
}

bool BuildLaunchCommand(const std::string& linkText, LaunchCommand* command) {
    return IsWebLink(linkText) && Concat(command, {"Explorer ", linkText.c_str()});
}
