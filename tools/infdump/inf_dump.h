// The INFDUMP 1 text of an INF (format in tests/inf/vectors/README.md), as our reader sees
// it: the same calls in the same order as those whose answers from the real SETUPAPI the
// vectors' .expected files record, so that the two dumps compare line for line.
#pragma once

#include <string>

#include "inf_reader/inf_reader.h"

namespace infdump {

struct DumpOptions {
    // Vector dumps add the upper-case section look-up, the small-buffer and past-the-end
    // calls, and the queries; infdump's dumps of any other INF leave them out.
    bool vectorMode = false;
    inf_reader::DirIdTable dirIds = inf_reader::DirIdTable::Windows98();
    // Windows path of the folder holding the INF, for %1%.
    std::string infFolder;
    // Bytes of a NAME.queries file (vector mode only): "section|key" or "section" a line.
    std::string queries;
};

std::string Dump(const std::string& infBytes, const DumpOptions& options);

// A byte string as the dump writes it: in double quotes, with \" \\ and \xNN escapes.
std::string Quote(const std::string& bytes);

}  // namespace infdump
