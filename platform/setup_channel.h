// The narrow channel through which the engine, the store and the system steps
// speak to the user: message boxes, the status line, the progress bar and the
// pause that keeps the dialog alive. The main dialog provides it.
#pragma once

class SetupChannel {
  public:
    // Box with the string's text; the device name replaces "#DEV_NAME#".
    virtual int ShowMessage(unsigned stringId, unsigned iconFlags) = 0;
    virtual int ShowMessageText(const char* text, unsigned iconFlags) = 0;

    virtual void SetStatus(unsigned stringId) = 0;
    virtual void ClearStatus() = 0;
    virtual void SetProgress(int position) = 0;

    // A pause of about `ms` that handles at most one window message per 10 ms.
    virtual int PumpMessages(unsigned ms) = 0;

  protected:
    // Never deleted through the interface.
    ~SetupChannel() = default;
};

// The bar position at fraction `percent` of the range from..to: product first,
// then a division that drops the remainder.
constexpr int ProgressAt(int from, int to, int percent) {
    return from + ((to - from) * percent) / 100;
}
