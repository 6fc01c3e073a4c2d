// LoadPackage over a fuzzed setup script and floppy INF. The input is a flag
// byte (bit 0: the short install's description INF), the script, the
// separator "\n#FLOPPY#\n" and the floppy INF. Whatever the bytes, the load
// ends, changes nothing, closes what it opened and fills only names and lists
// that the later steps can use.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/package_reader.h"
#include "fuzz/fuzz_channel.h"
#include "platform/fake/machine.h"

namespace {

constexpr char kSeparator[] = "\n#FLOPPY#\n";

bool BareName(const char* name) {
    return std::strpbrk(name, "\\/:") == nullptr && std::strcmp(name, ".") != 0 &&
           std::strcmp(name, "..") != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    int infOnlyMode = data[0] & 1;
    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t cut = rest.find(kSeparator);
    std::string script = rest.substr(0, cut);
    std::string floppy =
        cut == std::string::npos ? std::string() : rest.substr(cut + sizeof kSeparator - 1);

    fake::Machine m;
    m.givenFile("C:\\PKG\\NIMBLE.IN_", script);
    m.givenFile("C:\\PKG\\NIMBLEFD.INF", floppy);
    m.givenFile("C:\\PKG\\NIMBLE.SY_", "image");
    m.givenFile("C:\\PKG\\NIMBLE.PDR", "port driver");
    CountingChannel channel;
    SetupContext ctx;
    ctx.sourceDir.Assign("C:\\PKG");
    ctx.windowsDir.Assign("C:\\WINDOWS");
    ctx.infOnlyMode = infOnlyMode;

    bool loaded = LoadPackage(m.system, channel, ctx);

    FUZZ_REQUIRE(m.system.Changes().empty());
    FUZZ_REQUIRE(m.system.OpenInfCount() == 0);
    FUZZ_REQUIRE(channel.boxes <= 1);
    if (loaded) {
        FUZZ_REQUIRE(channel.boxes == 0);
        FUZZ_REQUIRE(ctx.mainInfName == "NIMBLE.IN_" || ctx.mainInfName == "NIMBLEFD.INF");
        FUZZ_REQUIRE(BareName(ctx.floppyInfName.c_str()));
        FUZZ_REQUIRE(ctx.mpdInfName.empty() || BareName(ctx.mpdInfName.c_str()));
        FUZZ_REQUIRE(ctx.sysFileName == "NIMBLE.SY_" && ctx.pdrFileName == "NIMBLE.PDR");
        FUZZ_REQUIRE(ctx.targetIds[kMaxTargetIds].vid.empty());
        for (const TargetId& id : ctx.targetIds) {
            if (id.vid.empty()) {
                break;
            }
            // An entry with an empty product id would end the list early.
            FUZZ_REQUIRE(!id.pid.empty());
        }
        // The description comes from the line that also names the install section.
        FUZZ_REQUIRE(ctx.deviceDescription.empty() || !ctx.installSection.empty());
    }
    return 0;
}
