// How many OEM INFs the cleanup benchmarks' generated store holds: 500 when
// measuring; the smoke run, which only checks that they still run, takes a few.
#pragma once

#include <cstddef>

namespace bench {

constexpr std::size_t kMeasuredStoreInfs = 500;
constexpr std::size_t kSmokeStoreInfs = 20;

// Set by main before any benchmark runs.
extern std::size_t storeInfs;

}  // namespace bench
