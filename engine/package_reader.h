// Reads the driver package in the program's folder into the SetupContext.
#pragma once

#include <cstddef>

#include "engine/setup_context.h"
#include "platform/file_services.h"
#include "platform/inf_services.h"
#include "platform/setup_channel.h"

// The fixed English text shown when no listed INF has a [Setup] section.
extern const char kNoSetupScriptText[];

// Every point at which the load gives up.
enum class PackageDefect {
    kNoInfListed,               // box: no *.in? file (a name too long counts as none)
    kNoSetupScript,             // box: no listed INF with a [Setup] line
    kMpdInfUnreadable,          // [Setup] MPDInf: field 1 missing or too long
    kMpdInfNotBareName,         // [Setup] MPDInf: a folder in the name
    kFddInfMissing,             // [Setup] has no FDDInf line
    kFddInfUnreadable,          // [Setup] FDDInf: field 1 missing or too long
    kFddInfNotBareName,         // [Setup] FDDInf: a folder in the name
    kDescriptionInfNotOpen,     // short install: the floppy INF is no readable INF
    kProviderMissing,           // [Version] has no Provider line
    kProviderUnreadable,        // [Version] Provider: field 1 missing or too long
    kManufacturerMissing,       // [Manufacturer] has no line
    kManufacturerUnreadable,    // its first line: field 1 missing or too long
    kModelsSectionEmpty,        // the models section is missing or has no line
    kModelWithoutHardwareId,    // a walked model line: field 2 missing or too long
    kInstallSectionUnreadable,  // the primary device's line: field 1 empty or too long
    kNoDriverImage,             // box: no *.sy_ file
    kNoPortDriver,              // box: no *.pdr file
};

// Why a listed file was not taken.
enum class PassedOverReason {
    kNameTooLong,     // more than 19 characters: it does not fit a name field
    kPathTooLong,     // the folder and the name exceed a path buffer
    kNotAnInf,        // the INF reader refuses it
    kNoSetupSection,  // an INF without a line in [Setup]
};

// Where the load gave up: the INF (a file name of the package) and the line
// it looked at or for, as a section with a key or with the index of a line in
// it. Parts that do not apply are null.
struct PackageFailure {
    PackageDefect defect;
    const char* infName;
    const char* section;
    const char* key;
    std::size_t lineIndex;  // used when `key` is null and `section` is not
};

// Hears what the load does with the package's files, for tools that explain
// a package. The program passes none.
class PackageObserver {
  public:
    virtual void PassedOver(const char* mask, const char* name, PassedOverReason reason) = 0;
    virtual void Failed(const PackageFailure& failure) = 0;

  protected:
    // Never deleted through the interface.
    ~PackageObserver() = default;
};

// Reads the setup script, the description INF and the driver files' names.
// Expects sourceDir and infOnlyMode to be set. True when the package was read
// completely; false after showing a box for missing files, or silently for
// every other defect. `observer`, when given, hears why.
bool LoadPackage(FileServices& files, InfServices& infs, SetupChannel& channel, SetupContext& ctx,
                 PackageObserver* observer = nullptr);
