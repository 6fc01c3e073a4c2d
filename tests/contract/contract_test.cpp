// The platform services as the program uses them, held to the same answers on
// the fake machine and on the real calls: files, listings, INF files, device
// sets and other programs' windows.
#include <algorithm>

#include "platform/inf_file.h"
#include "tests/contract/tree_env.h"

namespace {

class SystemContract : public ContractTest {
  protected:
    // The file's bytes, or "<missing>".
    std::string Content(const std::string& name) {
        if (Files().GetFileState(At(name).c_str()) == FileState::Missing) {
            return "<missing>";
        }
        FileHandle file = Files().OpenFileExclusive(At(name).c_str());
        char bytes[32];
        std::uint32_t done = 0;
        Files().ReadFile(file, bytes, sizeof bytes, &done);
        Files().CloseFile(file);
        return std::string(bytes, done);
    }

    bool Do(const std::string& step, const char* name, const char* other) {
        // `other` is given to copy and move only.
        return step == "copy"     ? Files().CopyFile(At(name).c_str(), At(other).c_str())
               : step == "move"   ? Files().MoveFile(At(name).c_str(), At(other).c_str())
               : step == "delete" ? Files().DeleteFile(At(name).c_str())
               : step == "read-only"
                   ? Files().SetFileAttributes(At(name).c_str(), 0x01)
                   : Files().SetFileAttributes(At(name).c_str(), kFileAttributeNormal);
    }
};

TEST_F(SystemContract, FileStepsSucceedAndFailAsOnWindows) {
    ASSERT_TRUE(env_->PutFile(At("OLD.SYS"), "old") && env_->PutFile(At("NEW.SY_"), "new"));
    const struct {
        const char *step, *name, *other;
        bool ok;
        const char* then;         // a file after the step
        const char* content;      // and what it holds
        std::uint32_t error = 0;  // the system's code for a failed step
    } steps[] = {
        {"copy", "NEW.SY_", "OLD.SYS", true, "OLD.SYS", "new"},
        {"copy", "NEW.SY_", "NONE\\A.SYS", false, "NONE\\A.SYS", "<missing>", 3},
        {"move", "NEW.SY_", "A.3S", true, "NEW.SY_", "<missing>"},
        {"move", "A.3S", "OLD.SYS", false, "A.3S", "new", 183},
        {"move", "NONE.3S", "C.3S", false, "C.3S", "<missing>", 2},
        {"read-only", "A.3S", nullptr, true, nullptr, nullptr},
        {"delete", "A.3S", nullptr, false, nullptr, nullptr, 5},
        // A read-only file is set aside under a free name with its mark.
        {"move", "A.3S", "B.3S", true, "A.3S", "<missing>"},
        {"delete", "B.3S", nullptr, false, nullptr, nullptr, 5},
        {"writable", "B.3S", nullptr, true, "B.3S", "new"},
        {"delete", "B.3S", nullptr, true, "B.3S", "<missing>"},
        {"delete", "B.3S", nullptr, false, nullptr, nullptr, 2},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.step) + " " + step.name);
        EXPECT_EQ(Do(step.step, step.name, step.other), step.ok);
        if (!step.ok) {
            EXPECT_EQ(Facts().LastError(), step.error);
        }
        EXPECT_EQ(step.then ? Content(step.then) : "", step.then ? step.content : "");
    }
}

TEST_F(SystemContract, AnExclusiveOpenRewritesAnExistingFileInPlace) {
    EXPECT_EQ(Files().OpenFileExclusive(At("DISK.INF").c_str()), kNoFile) << "never creates";
    ASSERT_TRUE(env_->PutFile(At("DISK.INF"), "[Go]\r\nCopyFiles=A\r\n"));
    FileHandle file = Files().OpenFileExclusive(At("DISK.INF").c_str());
    ASSERT_NE(file, kNoFile);
    EXPECT_EQ(Files().OpenFileExclusive(At("DISK.INF").c_str()), kNoFile) << "shared with no one";
    EXPECT_FALSE(Files().DeleteFile(At("DISK.INF").c_str())) << "held open";
    std::uint32_t done = 0;
    EXPECT_TRUE(Files().SeekFile(file, 6) && Files().WriteFile(file, ";Co", 3, &done));
    EXPECT_TRUE(Files().SeekFile(file, 10) && Files().TruncateFile(file));
    Files().CloseFile(file);
    EXPECT_EQ(Content("DISK.INF"), "[Go]\r\n;Coy");
}

TEST_F(SystemContract, AnAppendCreatesTheFileOrWritesAtItsEnd) {
    const std::string log = At("RUN.LOG");
    EXPECT_TRUE(Files().AppendToFile(log.c_str(), "one\r\n", 5));
    EXPECT_TRUE(Files().AppendToFile(log.c_str(), "two\r\n", 5));
    EXPECT_EQ(Content("RUN.LOG"), "one\r\ntwo\r\n");
    FileHandle held = Files().OpenFileExclusive(log.c_str());
    EXPECT_FALSE(Files().AppendToFile(log.c_str(), "x", 1)) << "held open";
    EXPECT_EQ(Facts().LastError(), 32u);
    Files().CloseFile(held);
    // A read-only log is not here: Wine run as root writes one anyway. The
    // program's rows hold it on the fake machine.
    EXPECT_FALSE(Files().AppendToFile(At("NONE\\RUN.LOG").c_str(), "x", 1)) << "no folder";
    EXPECT_EQ(Facts().LastError(), 3u);
    EXPECT_EQ(Content("RUN.LOG"), "one\r\ntwo\r\n");
    FixedText<261> value;
    EXPECT_FALSE(Facts().ReadMachineRegistryText("Software\\Microsoft\\Windows\\CurrentVersion",
                                                 "NoSuchValue.Setup", value.Buffer()));
}

TEST_F(SystemContract, AListingNamesTheMatchingFilesOfOneFolder) {
    for (const char* name : {"b.inf", "G.INF", "c.ini", "d.sy_"}) {
        ASSERT_TRUE(env_->PutFile(At(name), "x"));
    }
    ASSERT_TRUE(Files().CreateDirectory(At("dir.inf").c_str()));
    ASSERT_TRUE(env_->PutFile(At("dir.inf\\x.inf"), "x"));
    std::vector<std::string> names = Files().ListFiles(At("*.in?").c_str());
    std::sort(names.begin(), names.end());  // the file system's order
    EXPECT_EQ(names, (std::vector<std::string>{"G.INF", "b.inf", "c.ini"}));
    EXPECT_TRUE(Files().ListFiles(At("nowhere\\*.in?").c_str()).empty());
}

const char kInf[] =
    "[Version]\r\nSignature=\"$CHICAGO$\"\r\n"
    "[Setup]\r\nFDDInf=floppy.inf\r\nWin98Only=0\r\nWord=abc\r\n[Empty]\r\n";

TEST_F(SystemContract, AnInfGivesItsLinesAndFields) {
    ASSERT_TRUE(env_->PutFile(At("not.inf"), "[Setup]\r\nFDDInf=a\r\n"));
    EXPECT_EQ(Infs().OpenInf(At("not.inf").c_str()), kNoInf) << "no [Version]";
    ASSERT_TRUE(env_->PutFile(At("disk.inf"), kInf));
    InfFile inf(Infs(), At("disk.inf").c_str());
    ASSERT_TRUE(inf.IsOpen());
    InfLine line;
    const struct {
        const char* section;
        const char* key;
        unsigned field;
        std::size_t capacity;
        const char* text;  // nullptr: no such line; "<none>": the field fails
    } rows[] = {
        {"Setup", nullptr, 0, 7, "FDDInf"}, {"Setup", "FDDInf", 1, 10, "<none>"},
        {"setup", "win98only", 1, 2, "0"},  {"Setup", "Nothing", 0, 64, nullptr},
        {"Empty", nullptr, 0, 64, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "/" + (row.key ? row.key : ""));
        ASSERT_EQ(inf.FindLine(row.section, row.key, &line), row.text != nullptr);
        char text[64];
        if (row.text != nullptr) {
            bool read = Infs().GetStringField(line, row.field, TextBuffer{text, row.capacity});
            EXPECT_EQ(read ? std::string(text) : "<none>", row.text);
        }
    }

    int lines = inf.FindLine("Setup", nullptr, &line) ? 1 : 0;
    while (lines < 9 && Infs().FindNextLine(&line)) {
        ++lines;
    }
    EXPECT_EQ(lines, 3);
}

// Vendor F00D is no one's: the tests see only their own entries.
const std::string kDiskA = "USB\\VID_F00D&PID_C001\\5&1", kDiskB = "USB\\VID_F00D&PID_C002\\5&2",
                  kDiskC = "USB\\VID_F00D&PID_C003\\5&3",
                  kController = "USB\\VID_F00D&PID_C004&MI_00\\6&0",
                  kD3ivuru = "D3IVURU\\VID_F00D&PID_C005\\7&0";

TEST_F(ContractTest, ADeviceSetHoldsOneClassOfOneEnumeratorAndAWalkOutlivesRemoval) {
    ASSERT_TRUE(
        env_->GiveDevice(kUsbClassGuid, kDiskA) && env_->GiveDevice(kUsbClassGuid, kDiskB) &&
        env_->GiveDevice(kUsbClassGuid, kDiskC) && env_->GiveDevice(kHdcClassGuid, kController) &&
        env_->GiveDevice(kHdcClassGuid, kD3ivuru));
    const struct {
        const ClassGuid& classGuid;
        const char* enumerator;
        std::string remove;  // removed when the walk meets it
        std::vector<std::string> walked;
    } rows[] = {
        {kHdcClassGuid, "USB", "", {kController}},
        {kUsbClassGuid, "USB", kDiskA, {kDiskA, kDiskB, kDiskC}},
        {kUsbClassGuid, "USB", "", {kDiskB, kDiskC}},
        // Its key is absent on every kind: nothing to look at, not a failed look.
        {kHdcClassGuid, "NOSUCHENUM", "", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.enumerator + (" " + row.remove));
        DeviceSet set = Dev().OpenDeviceSet(row.classGuid, row.enumerator, 0);
        ASSERT_NE(set, kNoDeviceSet);
        std::vector<std::string> walked;
        DeviceEntry entry;
        for (std::uint32_t i = 0; i < 10000 && Dev().GetDeviceEntry(set, i, &entry); ++i) {
            char id[512];
            ASSERT_TRUE(Dev().GetInstanceId(set, entry, TextBuffer{id, sizeof id}));
            if (std::string(id).find("VID_F00D") != std::string::npos) {
                walked.push_back(id);
            }
            if (row.remove == id) {
                EXPECT_TRUE(Dev().RemoveDevice(set, entry));
            }
        }
        Dev().CloseDeviceSet(set);
        EXPECT_EQ(walked, row.walked);
    }
}

TEST_F(ContractTest, WindowsAreWalkedReadAndPressedAsTheWizardIs) {
    WindowHandle frame = env_->MakeWindow(kNoWindow, "#32770", "frame", 0, true, true);
    WindowHandle next = env_->MakeWindow(frame, "Button", "&Next >", 12324, true, false);
    WindowHandle finish = env_->MakeWindow(frame, "Button", "Finish", 12325, false, true);
    WindowHandle page = env_->MakeWindow(frame, "#32770", "page", 0, false, true);
    std::string longText = std::string(250, 'x') + "ABCDEFGH";
    WindowHandle label = env_->MakeWindow(page, "Static", longText, 7, true, true);
    const struct {
        WindowHandle parent, after;
        const char* className;
        WindowHandle next;
    } walk[] = {
        {kNoWindow, kNoWindow, "#32770", frame}, {frame, kNoWindow, nullptr, next},
        {frame, next, nullptr, finish},          {frame, finish, nullptr, page},
        {frame, page, nullptr, kNoWindow},       {frame, kNoWindow, "#32770", page},
    };
    for (const auto& step : walk) {
        EXPECT_EQ(Win().NextWindow(step.parent, step.after, step.className), step.next);
    }
    const struct {
        WindowHandle window;
        bool enabled, visible;
        std::string text;  // read into 255 bytes, as the wizard automation reads
    } states[] = {
        {next, false, true, "&Next >"},
        {finish, true, false, "Finish"},
        {label, true, false, longText.substr(0, 254)},
    };
    for (const auto& state : states) {
        SCOPED_TRACE(state.text);
        char text[256];
        Win().ReadWindowText(state.window, TextBuffer{text, 255});
        EXPECT_EQ(text, state.text);
        EXPECT_EQ(Win().IsWindowEnabled(state.window), state.enabled);
        EXPECT_EQ(Win().IsWindowVisible(state.window), state.visible);
    }
    Win().SendCommand(frame, 12325);
    EXPECT_EQ(env_->CommandsOf(frame), std::vector<int>{12325}) << "handled on return";
    for (int i = 0; i < 1000 && Win().DispatchOneMessage(); ++i) {
    }
    env_->PostCommand(frame, 1);
    env_->PostCommand(frame, 2);
    Win().Sleep(1);
    EXPECT_TRUE(Win().DispatchOneMessage() && Win().DispatchOneMessage());
    EXPECT_EQ(env_->CommandsOf(frame), (std::vector<int>{12325, 1, 2})) << "one per call";
}

}  // namespace
