#include "app/command_line.h"

#include "platform/text.h"

bool HasSilentSwitch(const std::string& commandLine) {
    std::string upper = commandLine;
    for (char& c : upper) {
        c = AsciiUpper(c);
    }
    return upper.find("/S") != std::string::npos;
}
