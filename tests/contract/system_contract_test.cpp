// GetVersion, GetWindowsDirectory, GetModulePath, GetCommandLine.
#include <cctype>
#include <cstring>
#include <string>

#include "tests/contract/contract_fixture.h"

namespace {

using ContractSystem = ContractTest;

bool IsAbsolute(const std::string& path) {
    bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                 path[1] == ':' && path[2] == '\\';
    bool network = path.rfind("\\\\", 0) == 0;
    return drive || network;
}

TEST_F(ContractSystem, VersionIsOneOfWindows) {
    WindowsVersion version;
    ASSERT_TRUE(Sys().GetVersion(&version));
    EXPECT_GE(version.major, 4u);
    EXPECT_LE(version.major, 10u);
    EXPECT_LT(version.minor, 100u);
    EXPECT_NE(version.build & 0xFFFF, 0u);
}

using FolderCall = bool (SystemServices::*)(TextBuffer);

struct FolderRow {
    const char* name;
    FolderCall call;
};

const FolderRow kFolderCalls[] = {
    {"Windows directory", &SystemServices::GetWindowsDirectory},
    {"module path", &SystemServices::GetModulePath},
};

TEST_F(ContractSystem, FolderTextsAreAbsoluteAndFit260) {
    for (const FolderRow& row : kFolderCalls) {
        SCOPED_TRACE(row.name);
        char text[300];
        ASSERT_TRUE((Sys().*row.call)(TextBuffer{text, sizeof text}));
        std::string path = text;
        EXPECT_TRUE(IsAbsolute(path)) << path;
        EXPECT_LE(path.size(), 260u);
    }
}

TEST_F(ContractSystem, FolderTextThatDoesNotFitFailsAndLeavesTheBufferAlone) {
    for (const FolderRow& row : kFolderCalls) {
        SCOPED_TRACE(row.name);
        char text[300];
        ASSERT_TRUE((Sys().*row.call)(TextBuffer{text, sizeof text}));
        std::size_t length = std::strlen(text);

        char small[300];
        std::memset(small, '#', sizeof small);
        EXPECT_FALSE((Sys().*row.call)(TextBuffer{small, length}));
        EXPECT_EQ(std::string(small, sizeof small), std::string(sizeof small, '#'));

        ASSERT_TRUE((Sys().*row.call)(TextBuffer{small, length + 1}));
        EXPECT_EQ(std::string(small), std::string(text));
    }
}

TEST_F(ContractSystem, ModulePathNamesAProgram) {
    char text[300];
    ASSERT_TRUE(Sys().GetModulePath(TextBuffer{text, sizeof text}));
    std::string path = text;
    ASSERT_GT(path.size(), 4u);
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    EXPECT_EQ(extension, ".exe");
}

TEST_F(ContractSystem, CommandLineIsNotEmpty) {
    EXPECT_FALSE(Sys().GetCommandLine().empty());
}

}  // namespace
