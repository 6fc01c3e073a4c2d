// When a refused device set still means there is nothing to look at.
// SETUPAPI refuses the set of an enumerator that never created an entry with
// ERROR_INVALID_DATA, but it also answers so for failures of the
// configuration manager it has no better code for. Only the enumerator's key
// under Enum, looked for and proven absent, tells the two apart.
#pragma once

#include <cstdint>

#include "platform/text.h"

constexpr std::uint32_t kErrorInvalidData = 13;  // ERROR_INVALID_DATA

// What looking for a registry key found.
enum class KeyLook { Absent, Present, Failed };

// True when a set refused with `error` is the empty set of an enumerator
// that has no key; anything else is a failed look.
inline bool RefusalMeansNoEntries(std::uint32_t error, KeyLook enumeratorKey) {
    return error == kErrorInvalidData && enumeratorKey == KeyLook::Absent;
}

// The enumerator's key under HKEY_LOCAL_MACHINE: the current control set's
// Enum on 2000 and XP, Enum itself on the 98 family. False when it does not
// fit `out`.
template <std::size_t N>
bool EnumeratorKeyPath(bool ntFamily, const char* enumerator, FixedText<N>* out) {
    return out->Assign(ntFamily ? "System\\CurrentControlSet\\Enum\\" : "Enum\\") &&
           out->Append(enumerator);
}
