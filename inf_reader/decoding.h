// The file's bytes as the reader's UTF-16 text. Byte-order marks decide first; then
// BOM-less UTF-16 LE; everything else is ANSI.
#pragma once

#include <string>

#include "inf_reader/wide_text.h"

namespace inf_reader {

Wide Decode(const std::string& bytes);

}  // namespace inf_reader
