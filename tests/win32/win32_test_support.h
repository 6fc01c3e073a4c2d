// What the Win32 tests of the device and wizard steps share: a scratch
// folder, the wizard stand-in as a separate process, and a setup channel that
// records the bar and lets a test look in during pauses.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/win32_api.h"
#include "ui/dialog_channel.h"

// A folder of its own under the temporary folder, removed with its files.
class ScratchFolder {
  public:
    explicit ScratchFolder(const char* name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    bool Put(const std::string& relative, const std::string& bytes) const;
    bool Exists(const std::string& relative) const;
    std::string Read(const std::string& relative) const;

  private:
    std::string path_;
};

// The wizard stand-in, started on construction and ended on destruction.
class WizardStandIn {
  public:
    WizardStandIn(const std::string& description, const std::string& options);
    ~WizardStandIn();
    WizardStandIn(const WizardStandIn&) = delete;
    WizardStandIn& operator=(const WizardStandIn&) = delete;

    bool Started() const { return process_ != nullptr; }
    // Whether it ended by itself within `ms` (a bound, not a measurement).
    bool EndsWithin(DWORD ms);
    // The commands it handled, in order.
    std::vector<std::string> Report() const;

  private:
    std::string report_;
    HANDLE process_ = nullptr;
};

// The main dialog's channel without a dialog: the bar's positions are kept,
// and `look` runs at each position and before each pause.
class RecordingChannel : public DialogChannel {
  public:
    explicit RecordingChannel(WindowServices& windows);

    void SetProgress(int position) override;
    int PumpMessages(unsigned ms) override;

    std::vector<int> positions;
    std::function<void()> look;
};
