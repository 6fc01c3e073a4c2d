// The sample package under examples/ loads as a whole on the fake machine.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "engine/package_reader.h"
#include "platform/fake/machine.h"
#include "ui/dialog_channel.h"

namespace {

std::string ReadSample(const std::string& name) {
    std::ifstream in(std::string(SAMPLE_PACKAGE_DIR) + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(SamplePackage, LoadsForTheFullAndTheShortInstall) {
    for (int infOnly : {0, 1}) {
        fake::Machine m;
        for (const char* name : {"NIMBLE.IN_", "NIMBLEFD.INF", "NIMBLE.SY_", "NIMBLE.PDR"}) {
            m.givenFile(std::string("A:\\") + name, ReadSample(name));
        }
        BrandTexts brand;
        DialogChannel channel(m.windows, 1, brand);
        SetupContext ctx;
        ctx.sourceDir.Assign("A:");
        ctx.infOnlyMode = infOnly;
        ASSERT_TRUE(LoadPackage(m.system, channel, ctx)) << "infOnlyMode " << infOnly;
        EXPECT_EQ(std::string(ctx.mainInfName.c_str()), "NIMBLE.IN_");
        EXPECT_EQ(std::string(ctx.floppyInfName.c_str()), "NIMBLEFD.INF");
        EXPECT_EQ(std::string(ctx.provider.c_str()), "Vostrel");
        EXPECT_EQ(std::string(ctx.primaryVid.c_str()), "F1A5");
        if (infOnly) {
            EXPECT_EQ(std::string(ctx.deviceDescription.c_str()), "Vostrel NIMBLEKEY USB Floppy");
            EXPECT_EQ(std::string(ctx.primaryPid.c_str()), "D15F");
        } else {
            EXPECT_EQ(std::string(ctx.deviceDescription.c_str()),
                      "Vostrel NIMBLEKEY USB Flash Disk");
            EXPECT_EQ(std::string(ctx.installSection.c_str()), "NimbleDisk");
            EXPECT_EQ(std::string(ctx.targetIds[1].pid.c_str()), "D15D");
        }
    }
}

}  // namespace
