// DisableInfCopyFiles over a fuzzed INF and section name, with one failure:
// a platform call that fails (alone or with every call after it) or a disk
// that is full. The input is a fault byte (bit 7: and later; bits 0-6: the
// call, 0 for none), a free-space byte (255: no limit; used when no call
// fails), the section name up to the first newline, then the INF's bytes.
// The INF ends as it was or with exactly the edit, never in between.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_channel.h"
#include "platform/fake/machine.h"
#include "store/inf_edit.h"

namespace {

constexpr char kPath[] = "C:\\WINDOWS\\INF\\OTHER\\NIMBLE.INF";

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The edit, found independently of the code under test; empty when none.
std::string Edited(const std::string& bytes, const std::string& section) {
    std::string upper = bytes.substr(0, bytes.find('\0'));  // text ends at a NUL
    std::string header = "[" + section + "]";
    for (char& c : upper) {
        c = Upper(c);
    }
    for (char& c : header) {
        c = Upper(c);
    }
    std::size_t at = upper.find(header);
    std::size_t entry =
        at == std::string::npos ? std::string::npos : upper.find("COPYFILES", at + header.size());
    if (entry == std::string::npos) {
        return std::string();
    }
    return bytes.substr(0, entry) + ";" + bytes.substr(entry);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    unsigned failingCall = data[0] & 0x7F;
    bool andLater = (data[0] & 0x80) != 0;
    unsigned freeBytes = data[1];
    std::string rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    std::size_t newline = rest.find('\n');
    if (newline == std::string::npos || newline > 64) {
        return 0;
    }
    std::string section = rest.substr(0, newline);
    if (section.find('\0') != std::string::npos) {
        return 0;  // the name is a C string
    }
    std::string original = rest.substr(newline + 1);

    fake::Machine m;
    m.givenFile(kPath, original);
    bool failing = failingCall != 0 || freeBytes != 255;
    if (failingCall != 0) {
        m.faults.FailCall(failingCall - 1, andLater);
    } else if (freeBytes != 255) {
        m.system.diskFreeBytes = freeBytes;
    }

    bool edited = DisableInfCopyFiles(m.system, kPath, section.c_str());

    std::string now = m.files.Read(kPath);
    std::string expected = Edited(original, section);
    FUZZ_REQUIRE(m.system.OpenFileCount() == 0);
    FUZZ_REQUIRE(m.files.Exists(kPath));
    if (edited) {
        FUZZ_REQUIRE(!expected.empty() && now == expected);
    } else {
        FUZZ_REQUIRE(now == original);
    }
    if (!failing) {
        FUZZ_REQUIRE(edited == !expected.empty());
    }
    return 0;
}
