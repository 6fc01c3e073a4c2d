// Our INF reader over any bytes: it opens or refuses them,
// and every section, line and field of what it opened can be walked.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/fuzz_channel.h"
#include "inf_reader/inf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    inf_reader::InfOpenError error;
    std::unique_ptr<inf_reader::InfDocument> doc =
        inf_reader::InfDocument::Open(std::string(reinterpret_cast<const char*>(data), size),
                                      inf_reader::DirIdTable::Windows98(), "C:\\PKG", &error);
    FUZZ_REQUIRE(doc != nullptr || error.code != inf_reader::kInfOk);
    for (const std::string& name : doc ? doc->SectionNames() : std::vector<std::string>()) {
        int section = doc->FindSection(name.c_str());  // < 0: a name ANSI cannot spell
        for (std::size_t line = 0; section >= 0 && line < doc->LineCount(section); ++line) {
            std::size_t fields = doc->FieldCount(section, line), found = line + 1;
            std::string text;
            int value = 0;
            for (std::size_t field = 0; field <= fields; ++field) {
                doc->GetField(section, line, field, &text);
                doc->GetIntField(section, line, field, &value);
            }
            FUZZ_REQUIRE(!doc->GetField(section, line, fields + 1, &text));
            // The first line with a key is found by it, never a later one.
            if (doc->GetField(section, line, 0, &text) && text.find('\0') == std::string::npos &&
                doc->FindKey(section, text.c_str(), &found)) {
                FUZZ_REQUIRE(found <= line);
            }
        }
    }
    return 0;
}
