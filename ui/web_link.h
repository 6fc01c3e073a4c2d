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
