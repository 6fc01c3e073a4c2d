#include "gtest_notification.h"

#include <windows.h>

namespace testing {
namespace internal {

Notification::Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

Notification::~Notification() {
    CloseHandle(static_cast<HANDLE>(event_));
}

void Notification::Notify() {
    SetEvent(static_cast<HANDLE>(event_));
}

void Notification::WaitForNotification() {
    WaitForSingleObject(static_cast<HANDLE>(event_), INFINITE);
}

}  // namespace internal
}  // namespace testing
