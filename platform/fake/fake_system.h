// System services of the fake machine, over its disk and our own INF reader.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/fake/faults.h"
#include "platform/fake/file_system.h"
#include "platform/fake/inf_reader.h"
#include "platform/system_services.h"

namespace fake {

class FakeSystem : public SystemServices {
  public:
    FakeSystem(Faults& faults, FileSystem& files);
    ~FakeSystem() override;

    // Machine state that tests choose.
    // Windows 98 SE reports its version in the high word of the build too.
    WindowsVersion version{4, 10, 0x040A08AE};
    std::string windowsDirectory = "C:\\WINDOWS";
    std::string modulePath = "C:\\PACKAGE\\SETUP.EXE";
    std::string commandLine = "C:\\PACKAGE\\SETUP.EXE";
    DirIdTable dirIds = DirIdTable::Windows98();

    std::size_t OpenInfCount() const { return infs_.size(); }

    std::vector<std::string> ListFiles(const char* pattern) override;
    InfHandle OpenInf(const char* path) override;
    void CloseInf(InfHandle inf) override;
    bool FindFirstLine(InfHandle inf, const char* section, const char* key, InfLine* line) override;
    bool FindNextLine(InfLine* line) override;
    bool GetStringField(const InfLine& line, unsigned field, TextBuffer out) override;
    bool GetIntField(const InfLine& line, unsigned field, int* value) override;
    bool GetVersion(WindowsVersion* out) override;
    bool GetWindowsDirectory(TextBuffer out) override;
    bool GetModulePath(TextBuffer out) override;
    std::string GetCommandLine() override;

  private:
    const InfDocument* Document(const InfLine& line) const;

    Faults& faults_;
    FileSystem& files_;
    std::map<InfHandle, std::unique_ptr<InfDocument>> infs_;
    InfHandle nextInf_ = 1;
};

}  // namespace fake
