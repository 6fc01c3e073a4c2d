// The hardware ids the package names: the vendor and product id texts that a
// device entry's instance id must hold to belong to the flash disk.
#pragma once

#include <cstddef>

#include "platform/text.h"

// Vendor and product id texts of one hardware id: "ABCD" and "1234" of
// USB\VID_ABCD&PID_1234.
struct TargetId {
    FixedText<5> vid;
    FixedText<5> pid;
};

constexpr std::size_t kMaxTargetIds = 50;
