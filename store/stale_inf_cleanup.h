// Deletes the OEM INF files of the system's INF store that describe the disk,
// with their precompiled .PNF companions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/system_services.h"
#include "platform/target_id.h"
#include "store/store_paths.h"

// Scans the store once: an INF is stale when the first hardware id of one of
// its models (in the section the first "Manufacturer" line names) holds both id
// texts, or holds `extraMatchText` when that is not empty. Case does not
// matter. Returns the number of stale INFs found (and deleted).
int RemoveStaleOemInfs(SystemServices& sys, std::uint8_t osKind, const char* windowsDir,
                       const char* vidText, const char* pidText, const char* extraMatchText);

// The same cleanup for a whole target id list in one scan of the store: an INF
// goes when the one-entry form would delete it for any entry up to the first
// one with an empty text. A list that begins with such an entry touches
// nothing, whatever `extraMatchText` holds.
int RemoveStaleOemInfsForTargets(SystemServices& sys, std::uint8_t osKind, const char* windowsDir,
                                 const TargetId* ids, std::size_t count,
                                 const char* extraMatchText);

// The companion of an INF path: the path in capitals with ".INF" made ".PNF";
// false when the name does not end in ".INF".
bool CompanionPnfPath(const char* infPath, StorePath* out);
