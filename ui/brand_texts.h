// The four brand texts, loaded once from the build's brand group.
#pragma once

#include <string>

#include "platform/window_services.h"

struct BrandTexts {
    std::string programName;
    std::string deviceName;
    std::string aboutText;
    std::string linkText;
};

// Loads the group's four consecutive ids in the order program name, device
// name, About text, link.
BrandTexts LoadBrandTexts(WindowServices& windows, unsigned firstId);
