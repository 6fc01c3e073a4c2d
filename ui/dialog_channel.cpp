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
    // letting a flood of input outrun the pause.
    for (unsigned tick = 0; tick < ms / 10; ++tick) {
        windows_.DispatchOneMessage();
        windows_.Sleep(10);
    }
    return 1;
}
