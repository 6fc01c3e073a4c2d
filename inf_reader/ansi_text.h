// Code page 1252, the ANSI code page the reader answers in: the file's ANSI bytes and the
// callers' names come in through it, and every answer goes out through it.
#pragma once

#include <string>

#include "inf_reader/wide_text.h"

namespace inf_reader {

Wide FromAnsi(const std::string& text);
// A character with no code page 1252 form, best fit included, becomes '?'.
std::string ToAnsi(const Wide& text);

}  // namespace inf_reader
