// The INF syntax: sections, lines, fields, quoting, line continuation and comments, read from
// the decoded text into the parsed form.
#pragma once

#include <cstdint>

#include "inf_reader/document.h"
#include "inf_reader/wide_text.h"

namespace inf_reader {

// Returns the error code, 0 on success, and the 1-based line it concerns.
std::uint32_t Parse(const Wide& text, Document* doc, std::uint32_t* errorLine);

}  // namespace inf_reader
