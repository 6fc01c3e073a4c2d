// The main dialog's side of the setup channel: boxes captioned with the program
// name, the status line (control 1008) and the progress bar (control 1004).
#pragma once

#include <string>

#include "platform/setup_channel.h"
#include "platform/window_services.h"
#include "ui/brand_texts.h"

class DialogChannel : public SetupChannel {
  public:
    DialogChannel(WindowServices& windows, WindowHandle dialog, const BrandTexts& brand)
        : windows_(windows), dialog_(dialog), brand_(brand) {}

    // The dialog whose status line and bar this channel writes.
    void Attach(WindowHandle dialog) { dialog_ = dialog; }

    int ShowMessage(unsigned stringId, unsigned iconFlags) override;
    int ShowMessageText(const char* text, unsigned iconFlags) override;
    void SetStatus(unsigned stringId) override;
    void ClearStatus() override;
    void SetProgress(int position) override;
    int PumpMessages(unsigned ms) override;

    const std::string& StatusText() const { return statusText_; }

  private:
    WindowServices& windows_;
    WindowHandle dialog_;
    const BrandTexts& brand_;
    std::string statusText_;
};
