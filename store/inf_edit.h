// Turns off the file copying of the installed INF's install section, so that
// the driver files stay the ones we put in place.
#pragma once

#include <cstddef>

#include "platform/file_services.h"

// Offset of the first "COPYFILES" (any case) behind the header "[sectionName]"
// (any case); false when either is missing. The search is not bounded by the
// section: a later section's entry is found when this one has none. The
// content is text: nothing behind its first NUL byte is searched.
bool FindCopyFilesEntry(const char* content, std::size_t size, const char* sectionName,
                        std::size_t* offset);

// Puts ";" before that entry in the file. True when the file was changed; on
// any failure the file is left byte for byte as it was.
bool DisableInfCopyFiles(FileServices& files, const char* infPath, const char* sectionName);
