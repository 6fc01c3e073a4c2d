// Each hostile package gives its defined outcome when the package is read:
// loaded or not, with the one box that names what is missing or with none,
// and without touching the machine.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/package_reader.h"
#include "platform/fake/machine.h"
#include "platform/window_services.h"
#include "resources/resource_ids.h"
#include "tests/reliability/hostile_packages.h"
#include "ui/dialog_channel.h"

namespace reliability {
namespace {

TEST(HostilePackages, EachGivesItsDefinedOutcome) {
    const std::vector<HostilePackage> packages = HostilePackages();
    EXPECT_GE(packages.size(), 40u);
    std::size_t loaded = 0;
    for (const HostilePackage& p : packages) {
        SCOPED_TRACE(p.name);
        fake::Machine m;
        for (const PackageFile& file : p.files) {
            m.givenFile(std::string(kPackageDir) + "\\" + file.name, file.bytes);
        }
        m.givenString(IDS_INF_NOT_FOUND, kNoInfText);
        m.givenString(IDS_SYS_NOT_FOUND, kNoImageText);
        m.givenString(IDS_PDR_NOT_FOUND, kNoPortDriverText);
        BrandTexts brand{"Setup", "NIMBLEKEY", "", ""};
        DialogChannel channel(m.windows, 0x102, brand);
        SetupContext ctx;
        ctx.sourceDir.Assign(kPackageDir);
        ctx.windowsDir.Assign(kWindowsDir);
        ctx.infOnlyMode = p.infOnlyMode;

        bool loads = LoadPackage(m.system, channel, ctx);

        EXPECT_EQ(loads, p.loads);
        const std::vector<fake::ShownBox>& boxes = m.windows.Boxes();
        if (p.message.empty()) {
            EXPECT_TRUE(boxes.empty()) << boxes.front().text;
        } else {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, p.message);
            EXPECT_EQ(boxes[0].flags, kIconStop);
        }
        if (loads && p.check) {
            EXPECT_EQ(p.check(ctx), "");
        }
        if (loads) {
            ++loaded;
            EXPECT_TRUE(ctx.targetIds[kMaxTargetIds].vid.empty()) << "the list has its end";
        }
        EXPECT_TRUE(m.system.Changes().empty());
        EXPECT_EQ(m.system.OpenInfCount(), 0u);
    }
    std::printf("hostile packages: %zu, of which %zu load\n", packages.size(), loaded);
}

}  // namespace
}  // namespace reliability
