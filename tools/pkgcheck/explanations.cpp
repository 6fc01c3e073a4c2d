#include "tools/pkgcheck/explanations.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>

#include "inf_reader/inf_reader.h"

namespace pkgcheck {

namespace {

// 0x and eight hexadecimal digits, as Windows error codes are written.
std::string Hex(std::uint32_t value) {
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) {
        text += "0123456789ABCDEF"[(value >> shift) & 0xF];
    }
    return text;
}

std::unique_ptr<inf_reader::InfDocument> OpenDocument(const Package& package,
                                                      const FolderFile& file,
                                                      inf_reader::InfOpenError* error) {
    return inf_reader::InfDocument::Open(file.bytes, inf_reader::DirIdTable::Windows98(),
                                         package.sourceDir, error);
}

// What the reader's error codes mean.
struct RefusalText {
    std::uint32_t code;
    const char* name;
    const char* what;
};

const RefusalText kRefusalTexts[] = {
    {inf_reader::kInfFileInvalid, "ERROR_FILE_INVALID", "the file is empty"},
    {inf_reader::kInfExpectedSectionName, "ERROR_EXPECTED_SECTION_NAME",
     "text stands outside any section"},
    {inf_reader::kInfBadSectionNameLine, "ERROR_BAD_SECTION_NAME_LINE",
     "a section name lacks its closing bracket"},
    {inf_reader::kInfSectionNameTooLong, "ERROR_SECTION_NAME_TOO_LONG",
     "a section name is longer than 255 characters"},
    {inf_reader::kInfWrongInfStyle, "ERROR_WRONG_INF_STYLE",
     "[Version] has no Signature of a Windows 4 INF (\"$Chicago$\", \"$Windows NT$\" or "
     "\"$Windows 95$\")"},
};

// The room the load gives a hardware id (ReadModels in
// engine/package_reader.cpp), which no SetupContext field holds.
constexpr std::size_t kHardwareIdCapacity = 256;

// Each defect in words. In a text, {where} stands for the file and line the
// load looked at, {section} for the section in brackets, {line} for the model
// line's number, {inf} for the file it names, {field} for the field read (with
// the room the program gives it) and {reader} for the reader's verdict on
// {inf}. `absent` replaces `text` when the section is missing.
struct DefectText {
    PackageDefect defect;
    const char* text;
    unsigned field = 0;
    std::size_t capacity = 0;  // with the NUL
    const char* absent = nullptr;
};

constexpr DefectText kDefectTexts[] = {
    {PackageDefect::kNoInfListed,
     "no file matches *.in? (names longer than 19 characters do not count); the program shows "
     "\"INF file not found !\" and ends"},
    {PackageDefect::kNoSetupScript,
     "no *.in? file is an INF with a line in [Setup]; the program shows \"Main .in_ file with "
     "[Setup] section is not found !\" and ends"},
    {PackageDefect::kMpdInfUnreadable, "{where}: the MPDInf line cannot be read: {field}", 1,
     decltype(SetupContext::mpdInfName)::kCapacity},
    {PackageDefect::kMpdInfNotBareName,
     "{where}: MPDInf names a folder or a dot name; only a bare file name is taken"},
    {PackageDefect::kFddInfMissing,
     "{where}: [Setup] has no FDDInf line, and the floppy INF must be named"},
    {PackageDefect::kFddInfUnreadable, "{where}: the FDDInf line cannot be read: {field}", 1,
     decltype(SetupContext::floppyInfName)::kCapacity},
    {PackageDefect::kFddInfNotBareName,
     "{where}: FDDInf names a folder or a dot name; only a bare file name is taken"},
    {PackageDefect::kDescriptionInfNotOpen,
     "the floppy INF {inf} describes the device here, and it is {reader}"},
    {PackageDefect::kProviderMissing, "{where}: [Version] has no Provider line", 0, 0,
     "{where}: there is no [Version] section with a Provider line"},
    {PackageDefect::kProviderUnreadable, "{where}: the Provider line cannot be read: {field}", 1,
     decltype(SetupContext::provider)::kCapacity},
    {PackageDefect::kManufacturerMissing, "{where}: [Manufacturer] has no line", 0, 0,
     "{where}: there is no [Manufacturer] section"},
    {PackageDefect::kManufacturerUnreadable,
     "{where}: the first [Manufacturer] line names no models section: {field}", 1,
     decltype(SetupContext::modelsSection)::kCapacity},
    {PackageDefect::kModelsSectionEmpty,
     "{where}: the models section {section} that [Manufacturer] names has no line", 0, 0,
     "{where}: the models section {section} that [Manufacturer] names does not exist"},
    {PackageDefect::kModelWithoutHardwareId,
     "{where}: model line {line} of {section} has no readable hardware id: {field}; every model "
     "line is read up to the 50th hardware id",
     2, kHardwareIdCapacity},
    {PackageDefect::kInstallSectionUnreadable,
     "{where}: model line {line} of {section} is the primary device's, and it names no install "
     "section: {field}",
     1, decltype(SetupContext::installSection)::kCapacity},
    {PackageDefect::kNoDriverImage,
     "no file matches *.sy_ (names longer than 19 characters do not count); the program shows "
     "\"SYS(SY_) file not found !\" and ends"},
    {PackageDefect::kNoPortDriver,
     "no file matches *.pdr (names longer than 19 characters do not count); the program shows "
     "\"MPD file not found !\" and ends"},
};

// A row for each defect, at the defect's own index.
constexpr bool EveryDefectInPlace() {
    std::size_t index = 0;
    for (const DefectText& row : kDefectTexts) {
        if (static_cast<std::size_t>(row.defect) != index++) {
            return false;
        }
    }
    return index == static_cast<std::size_t>(PackageDefect::kNoPortDriver) + 1;
}
static_assert(EveryDefectInPlace(), "kDefectTexts holds a row for each PackageDefect, in order");

// Where a failure points: the file and line, and the field the load wanted.
class Locator {
  public:
    Locator(const Package& package, const Failure& failure) : failure_(failure) {
        file_ = package.Find(failure.infName);
        if (file_ != nullptr) {
            doc_ = OpenDocument(package, *file_, nullptr);
        }
        if (doc_ != nullptr && !failure.section.empty()) {
            section_ = doc_->FindSection(failure.section.c_str());
            found_ = failure.hasKey ? doc_->FindKey(section_, failure.key.c_str(), &line_)
                                    : doc_->LineCount(section_) > failure.lineIndex;
            if (!failure.hasKey) {
                line_ = failure.lineIndex;
            }
        }
    }

    bool SectionPresent() const { return section_ >= 0; }

    std::string Where() const {
        std::string where = failure_.infName;
        if (found_) {
            where += " line " + std::to_string(doc_->SourceLine(section_, line_));
        }
        return where;
    }

    // Field n of the line, in words, with the room the program gives it.
    std::string Field(unsigned field, std::size_t capacity) const {
        std::string text;
        if (!found_ || !doc_->GetField(section_, line_, field, &text)) {
            return "it has no field " + std::to_string(field);
        }
        if (text.empty()) {
            return "its field " + std::to_string(field) + " is empty";
        }
        return "its field " + std::to_string(field) + " is " + Quoted(text) + ", " +
               std::to_string(text.size()) + " characters where at most " +
               std::to_string(capacity - 1) + " fit";
    }

  private:
    const Failure& failure_;
    const FolderFile* file_ = nullptr;
    std::unique_ptr<inf_reader::InfDocument> doc_;
    int section_ = -1;
    std::size_t line_ = 0;
    bool found_ = false;
};

}  // namespace

ReaderVerdicts::ReaderVerdicts(const Package& package, HostComputer& computer)
    : package_(package), computer_(computer), system_(computer.SystemInfReader(disk_.system)) {
    package.PutOn(disk_);
}

std::string ReaderVerdicts::Of(const FolderFile& file) {
    InfRefusal error;
    if (Accepts(file, &error)) {
        return "the INF reader accepts it";
    }
    const char* what = "it cannot be read";
    const char* code = "";
    for (const RefusalText& row : kRefusalTexts) {
        if (row.code == error.code) {
            what = row.what;
            code = row.name;
        }
    }
    // A code without a row is given by its number alone.
    std::string text = std::string("not an INF: ") + what + " (" +
                       (*code != '\0' ? std::string(code) + ", " : std::string()) + Hex(error.code);
    if (error.lineSet && error.line != 0) {
        text += ", line " + std::to_string(error.line);
    }
    return text + ")";
}

bool ReaderVerdicts::Accepts(const FolderFile& file, InfRefusal* refusal) {
    if (system_ == nullptr) {
        inf_reader::InfOpenError error;
        bool accepted = OpenDocument(package_, file, &error) != nullptr;
        refusal->code = error.code;
        refusal->line = error.line;
        refusal->lineSet = error.lineSet;
        return accepted;
    }
    InfHandle inf = system_->OpenInf(package_.PathOf(file.name).c_str());
    if (inf == kNoInf) {
        *refusal = computer_.LastRefusal();
        return false;
    }
    system_->CloseInf(inf);
    return true;
}

const char* PassedOverText(PassedOverReason reason) {
    switch (reason) {
        case PassedOverReason::kNameTooLong:
            return "name longer than 19 characters";
        case PassedOverReason::kPathTooLong:
            return "the folder and the name do not fit a 256-byte path";
        case PassedOverReason::kNotAnInf:
            return "";
        case PassedOverReason::kNoSetupSection:
            return "an INF without a line in [Setup]";
    }
    return "";
}

std::string Explain(const Package& package, const Failure& failure, ReaderVerdicts& reader) {
    std::size_t index = static_cast<std::size_t>(failure.defect);
    if (index >= std::size(kDefectTexts)) {
        return "the load fails";
    }
    const DefectText& row = kDefectTexts[index];
    Locator at(package, failure);
    const char* text = row.absent != nullptr && !at.SectionPresent() ? row.absent : row.text;
    std::string words;
    for (const char* c = text; *c != '\0'; ++c) {
        const char* end = *c == '{' ? std::strchr(c, '}') : nullptr;
        if (end == nullptr) {
            words += *c;
            continue;
        }
        std::string name(c + 1, end);
        c = end;
        if (name == "where") {
            words += at.Where();
        } else if (name == "section") {
            words += "[" + failure.section + "]";
        } else if (name == "line") {
            words += std::to_string(failure.lineIndex + 1);
        } else if (name == "inf") {
            words += failure.infName;
        } else if (name == "field") {
            words += at.Field(row.field, row.capacity);
        } else if (name == "reader") {
            const FolderFile* file = package.Find(failure.infName);
            words += file == nullptr ? std::string("not in the package") : reader.Of(*file);
        }
    }
    return words;
}

}  // namespace pkgcheck
