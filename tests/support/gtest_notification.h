// GoogleTest needs a Notification, which it builds on std::mutex; the win32
// thread model of mingw-w64 has none. This one stands on a Win32 event and is
// force-included into GoogleTest's sources, so it must not pull <windows.h>
// into every test file (its LoadString and MessageBox macros would rename our
// interface methods).
#pragma once

namespace testing {
namespace internal {

class Notification {
  public:
    Notification();
    ~Notification();
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify();
    void WaitForNotification();

  private:
    void* event_;
};

}  // namespace internal
}  // namespace testing
