// Our reader of the documented Windows INF format (Windows 4 style). It answers what the
// system's ANSI reading calls (SetupOpenInfFileA, SetupGetStringFieldA, ...) answer.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace inf_reader {

// Error codes as the real calls report them through GetLastError.
enum InfErrorCode : std::uint32_t {
    kInfOk = 0,
    kInfFileInvalid = 1006,                // ERROR_FILE_INVALID (a 0-byte file)
    kInfExpectedSectionName = 0xE0000000,  // ERROR_EXPECTED_SECTION_NAME
    kInfBadSectionNameLine = 0xE0000001,   // ERROR_BAD_SECTION_NAME_LINE
    kInfSectionNameTooLong = 0xE0000002,   // ERROR_SECTION_NAME_TOO_LONG
    kInfWrongInfStyle = 0xE0000100,        // ERROR_WRONG_INF_STYLE
};

struct InfOpenError {
    std::uint32_t code = kInfOk;
    std::uint32_t line = 0;  // 1-based physical line; 0 when not set by the reader
    // Whether the real call writes its error-line out-parameter (it leaves it alone for an
    // empty file).
    bool lineSet = false;
};

// Directory ids (%10%, %11%, ...) of the machine being served. %1% is the INF's
// own folder and comes from the open call.
struct DirIdTable {
    std::map<int, std::string> paths;
    static DirIdTable Windows98();  // C:\WINDOWS, C:\WINDOWS\SYSTEM, ...
    static DirIdTable Wine();       // C:\windows, C:\windows\system32, ...
};

class InfDocument {
  public:
    // Parses the file's bytes. `infFolder` is the Windows path of the folder
    // holding the file (for %1%), without a trailing backslash. Returns null and
    // fills `error` when the file is not a Windows 4 style INF.
    static std::unique_ptr<InfDocument> Open(const std::string& bytes, const DirIdTable& dirIds,
                                             const std::string& infFolder, InfOpenError* error);
    ~InfDocument();

    // Sections in order of first appearance, named as first spelled.
    std::vector<std::string> SectionNames() const;
    // Index of a section (case-insensitive), -1 when missing.
    int FindSection(const char* name) const;
    std::size_t LineCount(int section) const;
    // First line whose substituted key equals `key` (ASCII case-insensitive).
    bool FindKey(int section, const char* key, std::size_t* line) const;
    // The 1-based line of the file where the line begins; 0 when there is none.
    std::uint32_t SourceLine(int section, std::size_t line) const;
    // Fields after the key.
    std::size_t FieldCount(int section, std::size_t line) const;
    // Field n, substituted; false when missing (field 0 of a line without key).
    bool GetField(int section, std::size_t line, std::size_t field, std::string* text) const;
    // Field n as SetupGetIntField reads it; false when missing or not a number.
    bool GetIntField(int section, std::size_t line, std::size_t field, int* value) const;

  private:
    struct Impl;
    explicit InfDocument(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace inf_reader
