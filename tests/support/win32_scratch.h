// Scratch folders of the Win32 test programs under the temporary folder.
#pragma once

#include <string>

// A path under the temporary folder, unique to this process and call.
std::string UniqueTempPath(const char* name);

// Removes the folder with everything in it, read-only files included.
void RemoveTree(const std::string& folder);
