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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string rest(reinterpret_cast<const char*>(data), size);
    std::size_t cut = rest.find("\n#FLOPPY#\n", 1);
    fake::Machine m;
    m.givenFile("C:\\PKG\\NIMBLE.IN_", rest.substr(std::min<std::size_t>(1, size), cut - 1));
    m.givenFile("C:\\PKG\\NIMBLEFD.INF", cut == std::string::npos ? "" : rest.substr(cut + 10));
    m.givenFile("C:\\PKG\\NIMBLE.SY_", "image");
    m.givenFile("C:\\PKG\\NIMBLE.PDR", "port driver");
    CountingChannel channel;
    SetupContext ctx;
    ctx.sourceDir.Assign("C:\\PKG");
    ctx.windowsDir.Assign("C:\\WINDOWS");
    ctx.infOnlyMode = size > 0 && (data[0] & 1);

    bool loaded = LoadPackage(m.system, m.system, channel, ctx);

    FUZZ_REQUIRE(m.system.Changes().empty() && m.system.OpenInfCount() == 0);
    FUZZ_REQUIRE(channel.boxes <= (loaded ? 0 : 1));
    for (const char* name : {ctx.floppyInfName.c_str(), ctx.mpdInfName.c_str()}) {
        // Bare names only: the steps join them to the package's folder.
        FUZZ_REQUIRE(!loaded || (!std::strpbrk(name, "\\/:") && std::strcmp(name, ".") &&
                                 std::strcmp(name, "..")));
    }
    FUZZ_REQUIRE(!loaded || ctx.mainInfName == "NIMBLE.IN_" || ctx.mainInfName == "NIMBLEFD.INF");
    FUZZ_REQUIRE(!loaded || (ctx.sysFileName == "NIMBLE.SY_" && ctx.pdrFileName == "NIMBLE.PDR"));
    FUZZ_REQUIRE(!loaded || ctx.targetIds[kMaxTargetIds].vid.empty());
    for (std::size_t i = 0; loaded && i < kMaxTargetIds && !ctx.targetIds[i].vid.empty(); ++i) {
        FUZZ_REQUIRE(!ctx.targetIds[i].pid.empty());  // an empty one would end the list early
    }
    // The description comes from the line that also names the install section.
    FUZZ_REQUIRE(!loaded || ctx.deviceDescription.empty() || !ctx.installSection.empty());
    return 0;
}
