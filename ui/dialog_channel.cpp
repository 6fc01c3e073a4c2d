#include "ui/dialog_channel.h"

#include "resources/resource_ids.h"
#include "ui/device_name.h"

int DialogChannel::ShowMessage(unsigned stringId, unsigned iconFlags) {
    return ShowMessageText(windows_.LoadString(stringId).c_str(), iconFlags);
}

int DialogChannel::ShowMessageText(const char* text, unsigned iconFlags) {
    std::string body = SubstituteDeviceName(text, brand_.deviceName);
    return windows_.MessageBox(dialog_, body.c_str(), brand_.programName.c_str(), iconFlags);
}

void DialogChannel::SetStatus(unsigned stringId) {
    statusText_ = windows_.LoadString(stringId);
    windows_.SetControlText(dialog_, IDC_STATUS, statusText_.c_str());
}

void DialogChannel::ClearStatus() {
    windows_.SetControlText(dialog_, IDC_STATUS, "");
}

void DialogChannel::SetProgress(int position) {
    windows_.SetProgressPosition(dialog_, IDC_PROGRESS, position);
}

int DialogChannel::PumpMessages(unsigned ms) {
    // One message at most per 10 ms tick keeps the dialog alive without
    // letting a flood of input outrun the pause. Each tick sleeps to its end
    // on the clock, so that the time the messages take does not stretch the
    // pause, and a tick that is already over does not sleep at all.
    std::uint32_t start = windows_.TickCount();
    for (unsigned tick = 1; tick <= ms / 10; ++tick) {
        windows_.DispatchOneMessage();
        std::uint32_t elapsed = windows_.TickCount() - start;
        if (elapsed < tick * 10) {
            windows_.Sleep(tick * 10 - elapsed);
        }
    }
    return 1;
}
