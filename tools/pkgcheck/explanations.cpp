#include "tools/pkgcheck/explanations.h"

#include <cstdint>
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
    switch (error.code) {
        case inf_reader::kInfFileInvalid:
            what = "the file is empty";
            code = "ERROR_FILE_INVALID";
            break;
        case inf_reader::kInfExpectedSectionName:
            what = "text stands outside any section";
            code = "ERROR_EXPECTED_SECTION_NAME";
            break;
        case inf_reader::kInfBadSectionNameLine:
            what = "a section name lacks its closing bracket";
            code = "ERROR_BAD_SECTION_NAME_LINE";
            break;
        case inf_reader::kInfSectionNameTooLong:
            what = "a section name is longer than 255 characters";
            code = "ERROR_SECTION_NAME_TOO_LONG";
            break;
        case inf_reader::kInfWrongInfStyle:
            what =
                "[Version] has no Signature of a Windows 4 INF (\"$Chicago$\", \"$Windows "
                "NT$\" "
                "or \"$Windows 95$\")";
            code = "ERROR_WRONG_INF_STYLE";
            break;
        default:
            break;
    }
    std::string text = std::string("not an INF: ") + what + " (" + code + ", " + Hex(error.code);
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
    Locator at(package, failure);
    std::string where = at.Where();
    std::string section = "[" + failure.section + "]";
    switch (failure.defect) {
        case PackageDefect::kNoInfListed:
            return "no file matches *.in? (names longer than 19 characters do not count); the "
                   "program shows \"INF file not found !\" and ends";
        case PackageDefect::kNoSetupScript:
            return "no *.in? file is an INF with a line in [Setup]; the program shows \"Main .in_ "
                   "file with [Setup] section is not found !\" and ends";
        case PackageDefect::kMpdInfUnreadable:
            return where + ": the MPDInf line cannot be read: " + at.Field(1, 20);
        case PackageDefect::kMpdInfNotBareName:
            return where + ": MPDInf names a folder or a dot name; only a bare file name is taken";
        case PackageDefect::kFddInfMissing:
            return where + ": [Setup] has no FDDInf line, and the floppy INF must be named";
        case PackageDefect::kFddInfUnreadable:
            return where + ": the FDDInf line cannot be read: " + at.Field(1, 20);
        case PackageDefect::kFddInfNotBareName:
            return where + ": FDDInf names a folder or a dot name; only a bare file name is taken";
        case PackageDefect::kDescriptionInfNotOpen: {
            const FolderFile* floppy = package.Find(failure.infName);
            return "the floppy INF " + failure.infName + " describes the device here, and " +
                   (floppy == nullptr ? std::string("it is not in the package")
                                      : "it is " + reader.Of(*floppy));
        }
        case PackageDefect::kProviderMissing:
            return where + ": " +
                   (at.SectionPresent() ? "[Version] has no Provider line"
                                        : "there is no [Version] section with a Provider line");
        case PackageDefect::kProviderUnreadable:
            return where + ": the Provider line cannot be read: " + at.Field(1, 20);
        case PackageDefect::kManufacturerMissing:
            return where + ": " +
                   (at.SectionPresent() ? "[Manufacturer] has no line"
                                        : "there is no [Manufacturer] section");
        case PackageDefect::kManufacturerUnreadable:
            return where +
                   ": the first [Manufacturer] line names no models section: " + at.Field(1, 20);
        case PackageDefect::kModelsSectionEmpty:
            return where + ": the models section " + section + " that [Manufacturer] names " +
                   (at.SectionPresent() ? "has no line" : "does not exist");
        case PackageDefect::kModelWithoutHardwareId:
            return where + ": model line " + std::to_string(failure.lineIndex + 1) + " of " +
                   section + " has no readable hardware id: " + at.Field(2, 256) +
                   "; every model line is read up to the 50th hardware id";
        case PackageDefect::kInstallSectionUnreadable:
            return where + ": model line " + std::to_string(failure.lineIndex + 1) + " of " +
                   section +
                   " is the primary device's, and it names no install section: " + at.Field(1, 20);
        case PackageDefect::kNoDriverImage:
            return "no file matches *.sy_ (names longer than 19 characters do not count); the "
                   "program shows \"SYS(SY_) file not found !\" and ends";
        case PackageDefect::kNoPortDriver:
            return "no file matches *.pdr (names longer than 19 characters do not count); the "
                   "program shows \"MPD file not found !\" and ends";
    }
    return "the load fails";
}

}  // namespace pkgcheck
