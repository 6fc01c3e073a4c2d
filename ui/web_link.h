// The logo as a link to the brand's web site.
#pragma once

#include <string>

#include "platform/text.h"

// The launch command is built in 128 bytes: "Explorer " and the link text.
using LaunchCommand = FixedText<128>;

// A link text is a web address when it holds "http://www" anywhere (exact
// case).
bool IsWebLink(const std::string& linkText);

// "Explorer " followed by the whole link text. False when the text is no web
// address or too long for the command (more than 118 bytes): a cut address
// would open some other page.
bool BuildLaunchCommand(const std::string& linkText, LaunchCommand* command);
