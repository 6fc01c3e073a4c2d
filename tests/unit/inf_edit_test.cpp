// The installed INF's first CopyFiles entry behind the install section's
// header is turned off in place; whatever fails, the file ends as it was or
// with exactly that edit, never half-written.
#include "store/inf_edit.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/machine.h"

namespace {

constexpr char kInf[] = "C:\\WINDOWS\\INF\\OTHER\\DISK.INF";

TEST(InfEdit, EndsWithTheEditOrAsItWas) {
    using namespace std::string_literals;
    const std::string go = "[Version]\r\nSignature=$Chicago$\r\n[Go]\r\nCopyFiles=A\r\n";
    const std::string edited = "[Version]\r\nSignature=$Chicago$\r\n[Go]\r\n;CopyFiles=A\r\n";
    struct Case {
        std::string name, before, after;  // after: "" when the file stays as it was, "?" either
        int fault = -1;                   // a call to fail (+1000: and every later one)
    } cases[] = {
        {"the section's entry", "[gO]\n  copyfiles = A\n", "[gO]\n  ;copyfiles = A\n"},
        {"a later section's", "[Go]\nAddReg=R\n[N]\nCOPYFILES=B\n",
         "[Go]\nAddReg=R\n[N]\n;COPYFILES=B\n"},
        {"not one before the header", "[X]\nCopyFiles=A\n[Go]\nCopyFiles=B\n",
         "[X]\nCopyFiles=A\n[Go]\n;CopyFiles=B\n"},
        {"no header", "[Other]\nCopyFiles=A\n", ""},
        {"no entry behind the header", "CopyFiles=A\n[Go]\nAddReg=R\n", ""},
        {"a header behind a NUL", "x\0y\n[Go]\nCopyFiles=A\n"s, ""},
        {"open elsewhere", go, ""},
        {"a full disk", go, ""},
    };
    std::vector<Case> rows(std::begin(cases), std::end(cases));
    fake::Machine clean;
    clean.givenFile(kInf, go);
    DisableInfCopyFiles(clean.system, kInf, "Go");
    for (int call = 0; call < static_cast<int>(clean.faults.Log().size()); ++call) {
        rows.push_back({"fault at call " + std::to_string(call), go, "?", call});
        rows.push_back({"fault from call " + std::to_string(call), go, "?", call + 1000});
    }
    for (const Case& c : rows) {
        fake::Machine m;
        m.givenFile(kInf, c.before);
        m.files.Find(kInf)->openElsewhere = c.name == "open elsewhere";
        m.system.diskFreeBytes = c.name == "a full disk" ? 0 : UINT64_MAX;
        m.faults.FailCall(c.fault < 0 ? SIZE_MAX : c.fault % 1000, c.fault >= 1000);
        bool changed = DisableInfCopyFiles(m.system, kInf, "Go");
        EXPECT_EQ(m.files.Read(kInf), changed ? (c.after == "?" ? edited : c.after) : c.before)
            << c.name;
        EXPECT_TRUE(c.after == "?" || changed == !c.after.empty()) << c.name;
        EXPECT_EQ(m.system.OpenFileCount(), 0u) << c.name;
    }
}

}  // namespace
