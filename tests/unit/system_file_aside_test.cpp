#include "store/system_file_aside.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/fake/machine.h"
#include "platform/os_kind.h"

namespace {

constexpr char kSys[] = "C:\\WINDOWS\\INF\\DRVIDX.BIN";
constexpr char kAside[] = "C:\\WINDOWS\\INF\\DRVIDX.3S";
constexpr char kSys2[] = "C:\\WINDOWS\\INF\\DRVDATA.BIN";
constexpr char kAside2[] = "C:\\WINDOWS\\INF\\DRVDATA.3S";

using Operation = std::function<void(SystemServices&)>;

const Operation kSetAside = [](SystemServices& sys) {
    SetAsideDriverDatabase(sys, OsKind::kWin98, "C:\\WINDOWS");
};
const Operation kRestore = [](SystemServices& sys) {
    RestoreDriverDatabase(sys, OsKind::kWin98, "C:\\WINDOWS");
};

// The state of one pair: what the system name and the aside name hold ("-"
// for absent; a trailing "!" marks a read-only file).
struct PairState {
    std::string system;
    std::string aside;
};

void Give(fake::Machine& m, const char* path, const std::string& state) {
    if (state == "-") {
        return;
    }
    bool readOnly = state.back() == '!';
    m.files.Put(path, readOnly ? state.substr(0, state.size() - 1) : state,
                readOnly ? fake::kAttrReadOnly : fake::kAttrNormal);
}

std::string Seen(const fake::Machine& m, const char* path) {
    const fake::File* file = m.files.Find(path);
    return file ? file->bytes : "-";
}

TEST(SystemFileAside, StateTableForOnePair) {
    struct Case {
        const char* name;
        const Operation& op;
        PairState before;
        PairState after;
    } cases[] = {
        {"set aside", kSetAside, {"S", "-"}, {"-", "S"}},
        {"set aside over an old aside file", kSetAside, {"S", "A"}, {"-", "S"}},
        {"read-only aside file blocks both steps", kSetAside, {"S", "A!"}, {"S", "A"}},
        {"set aside without a system file", kSetAside, {"-", "A"}, {"-", "-"}},
        {"set aside with nothing there", kSetAside, {"-", "-"}, {"-", "-"}},
        {"restore", kRestore, {"-", "A"}, {"A", "-"}},
        {"restore keeps a recreated file", kRestore, {"S", "A"}, {"S", "-"}},
        {"restore without aside file", kRestore, {"S", "-"}, {"S", "-"}},
        {"restore cannot delete a read-only aside copy", kRestore, {"S", "A!"}, {"S", "A"}},
    };
    for (const Case& c : cases) {
        fake::Machine m;
        Give(m, kSys, c.before.system);
        Give(m, kAside, c.before.aside);
        m.givenFile(kSys2, "S2");
        c.op(m.system);
        EXPECT_EQ(Seen(m, kSys), c.after.system) << c.name;
        EXPECT_EQ(Seen(m, kAside), c.after.aside) << c.name;
        // The second file of the pair is processed whatever became of the first.
        EXPECT_EQ(Seen(m, &c.op == &kSetAside ? kAside2 : kSys2), "S2") << c.name;
    }
}

TEST(SystemFileAside, ARestoreThatCannotRenameKeepsTheOnlyCopy) {
    fake::Machine m;
    m.givenFile(kAside, "S");
    m.givenFile(kAside2, "S2");
    m.faults.FailAlways(fake::Op::MoveFile);
    kRestore(m.system);
    EXPECT_EQ(Seen(m, kAside), "S");
    EXPECT_EQ(Seen(m, kAside2), "S2");
    EXPECT_EQ(Seen(m, kSys), "-");
}

TEST(SystemFileAside, EachPairOnlyOnItsWindowsKind) {
    const char* usbInf = "C:\\WINDOWS\\INF\\USBSTOR.INF";
    const char* usbPnf = "C:\\WINDOWS\\INF\\USBSTOR.PNF";
    for (std::uint8_t kind = 0; kind <= OsKind::kWinXP; ++kind) {
        fake::Machine m;
        m.givenFile(usbInf, "inf");
        m.givenFile(usbPnf, "pnf");
        m.givenFile(kSys, "idx");
        m.givenFile(kSys2, "data");
        SetAsideUsbstorInf(m.system, kind, "C:\\WINDOWS");
        SetAsideDriverDatabase(m.system, kind, "C:\\WINDOWS");
        bool xp = kind == OsKind::kWinXP;
        bool family98 = kind <= OsKind::kWinMe;
        EXPECT_EQ(m.files.Exists("C:\\WINDOWS\\INF\\USBSTOR.I3S"), xp) << int(kind);
        EXPECT_EQ(m.files.Exists("C:\\WINDOWS\\INF\\USBSTOR.P3S"), xp) << int(kind);
        EXPECT_EQ(m.files.Exists(kAside), family98) << int(kind);
        EXPECT_EQ(m.files.Exists(kAside2), family98) << int(kind);

        RestoreUsbstorInf(m.system, kind, "C:\\WINDOWS");
        RestoreDriverDatabase(m.system, kind, "C:\\WINDOWS");
        RestoreDriverDatabase(m.system, kind, "C:\\WINDOWS");  // a second restore changes nothing
        EXPECT_EQ(m.files.Read(usbInf), "inf") << int(kind);
        EXPECT_EQ(m.files.Read(usbPnf), "pnf") << int(kind);
        EXPECT_EQ(m.files.Read(kSys), "idx") << int(kind);
        EXPECT_EQ(m.files.Read(kSys2), "data") << int(kind);
        EXPECT_EQ(m.files.All().size(), 4u) << int(kind);
    }
}

}  // namespace
