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

std::string Upper(std::string text) {
    for (char& c : text) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string rest(reinterpret_cast<const char*>(data), size);
    std::size_t newline = rest.find('\n', 2);
    if (size < 2 || newline == std::string::npos || newline > 66 ||
        rest.find('\0', 2) < newline) {  // the name is a C string
        return 0;
    }
    std::string section = rest.substr(2, newline - 2), original = rest.substr(newline + 1);
    // The edit, found without the code under test: ";" before the first
    // COPYFILES behind the header, in the text before the first NUL.
    std::string upper = Upper(original.substr(0, original.find('\0')));
    std::size_t header = upper.find(Upper("[" + section + "]"));
    std::size_t entry =
        header == std::string::npos ? header : upper.find("COPYFILES", header + section.size() + 2);
    std::string expected =
        entry == std::string::npos ? "" : std::string(original).insert(entry, ";");

    constexpr char kPath[] = "C:\\WINDOWS\\INF\\OTHER\\NIMBLE.INF";
    fake::Machine m;
    m.givenFile(kPath, original);
    unsigned failingCall = data[0] & 0x7F;
    if (failingCall != 0) {
        m.faults.FailCall(failingCall - 1, (data[0] & 0x80) != 0);
    } else if (data[1] != 255) {
        m.system.diskFreeBytes = data[1];
    }
    bool edited = DisableInfCopyFiles(m.system, kPath, section.c_str());

    FUZZ_REQUIRE(m.system.OpenFileCount() == 0 && m.files.Exists(kPath));
    FUZZ_REQUIRE(m.files.Read(kPath) == (edited ? expected : original));
    FUZZ_REQUIRE(!edited || !expected.empty());
    FUZZ_REQUIRE(failingCall != 0 || data[1] != 255 || edited == !expected.empty());
    return 0;
}
