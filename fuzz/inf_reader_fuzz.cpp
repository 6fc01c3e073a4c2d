// The INF reader of the fake machine over any bytes: it opens or refuses them,
// and every section, line and field of what it opened can be walked.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_channel.h"
#include "platform/fake/inf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fake::InfOpenError error;
    std::unique_ptr<fake::InfDocument> doc =
        fake::InfDocument::Open(bytes, fake::DirIdTable::Windows98(), "C:\\PKG", &error);
    if (!doc) {
        FUZZ_REQUIRE(error.code != fake::kInfOk);
        return 0;
    }
    for (const std::string& name : doc->SectionNames()) {
        int section = doc->FindSection(name.c_str());
        if (section < 0) {
            continue;  // a name the ANSI look-up cannot spell
        }
        std::size_t lines = doc->LineCount(section);
        for (std::size_t line = 0; line < lines; ++line) {
            std::size_t fields = doc->FieldCount(section, line);
            std::string text;
            int value = 0;
            for (std::size_t field = 0; field <= fields; ++field) {
                doc->GetField(section, line, field, &text);
                doc->GetIntField(section, line, field, &value);
            }
            FUZZ_REQUIRE(!doc->GetField(section, line, fields + 1, &text));
            std::string key;
            if (doc->GetField(section, line, 0, &key) && key.find('\0') == std::string::npos) {
                // The first line with a key is found by it, never a later one.
                std::size_t found = lines;
                if (doc->FindKey(section, key.c_str(), &found)) {
                    FUZZ_REQUIRE(found <= line);
                }
            }
        }
    }
    return 0;
}
