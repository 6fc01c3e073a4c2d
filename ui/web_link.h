// The logo as a link to the brand's web site.
#pragma once

#include <string>

#include "platform/text.h"

// The launch command is built in 128 bytes: "Explorer " and the link text.
using LaunchCommand = FixedText<128>;

// "Explorer " followed by the whole link text. False when the text is no web
// address (it holds no "http://www" anywhere, in exact case) or too long for
// the command (more than 118 bytes): a cut address would open some other
// page. Only a link this builds is live.
bool BuildLaunchCommand(const std::string& linkText, LaunchCommand* command);

// The program the command runs: the Windows folder's Explorer by its full
// path. A search for "Explorer" would look in the program's own folder first,
// where anyone may have put one. False when the folder is unknown.
using LauncherPath = FixedText<272>;
bool BuildLauncherPath(const char* windowsDir, LauncherPath* path);
