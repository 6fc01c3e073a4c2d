// Deletes the OEM INF files of the system's INF store that describe the disk,
// with their precompiled .PNF companions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file_services.h"
#include "platform/inf_services.h"
#include "platform/target_id.h"
#include "store/store_paths.h"

// Scans the store once for a whole target id list: an INF is stale when the
// first hardware id of one of its models (in the section the first
// "Manufacturer" line names) holds both id texts of an entry before the first
// one with an empty text, or holds `extraMatchText` when that is not empty.
// Case does not matter. A list that begins with an empty entry touches
// nothing, whatever `extraMatchText` holds. Returns the number of stale INFs
// found (and deleted).
int RemoveStaleOemInfs(FileServices& files, InfServices& infs, std::uint8_t osKind,
                       const char* windowsDir, const TargetId* ids, std::size_t count,
                       const char* extraMatchText);

// The companion of an INF path: the path in capitals with ".INF" made ".PNF";
// false when the name does not end in ".INF".
bool CompanionPnfPath(const char* infPath, StorePath* out);
