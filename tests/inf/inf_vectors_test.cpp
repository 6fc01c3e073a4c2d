// Our INF reader against the real SETUPAPI: for every vector,
// the dump our reader gives is the one SETUPAPI gave under Wine. Where Wine
// differs from Windows (it misreads ANSI files with a NUL byte and refuses
// big-endian UTF-16) we follow Windows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/infdump/inf_dump.h"

namespace {

std::string Read(const std::string& name) {
    std::ifstream file(std::string(INF_VECTORS_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::vector<std::string> Vectors() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(INF_VECTORS_DIR)) {
        std::string name = entry.path().stem().string();
        if (entry.path().extension() == ".inf" && name.rfind("wine_quirk_", 0) != 0) {
            names.push_back(name);
        }
    }
    return names;
}

class InfVector : public ::testing::TestWithParam<std::string> {};

TEST_P(InfVector, DumpIsTheRealReaders) {
    const std::string& name = GetParam();
    infdump::DumpOptions options;
    options.vectorMode = true;
    options.dirIds = inf_reader::DirIdTable::Wine();
    options.infFolder = "C:\\INF\\VECTORS\\" + std::string(12, 'X');  // as long as Wine's folder
    options.queries = Read(name + ".queries");
    std::string real = Read((name == "enc_utf16be_bom" ? "enc_utf16le_bom" : name) + ".expected");
    std::string folder = infdump::Quote(options.infFolder);
    for (std::size_t at; (at = real.find("@INFDIR@")) != std::string::npos;) {
        real.replace(at, 8, folder.substr(1, folder.size() - 2));
    }
    EXPECT_EQ(infdump::Dump(Read(name + ".inf"), options), real);
}

INSTANTIATE_TEST_SUITE_P(Vectors, InfVector, ::testing::ValuesIn(Vectors()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

TEST(InfVectors, AreAllThere) {
    EXPECT_GE(Vectors().size(), 64u);  // an emptied folder must not pass
}

}  // namespace
