#include "platform/win32/win32_windows.h"

#include <vector>

#include "platform/win32/win32_api.h"

static_assert(PBM_SETPOS == 1026, "progress bar position message");

namespace {

HWND WindowOf(WindowHandle handle) {
    return reinterpret_cast<HWND>(handle);
}

// A string resource holds at most 65535 UTF-16 units; in a double-byte code
// page that is twice as many bytes.
constexpr int kMaxStringBuffer = 2 * 65536;

}  // namespace

std::string Win32Windows::LoadString(unsigned id) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    // LoadStringA cuts a text that does not fit and returns what it copied,
    // at most size - 1 bytes; in a double-byte code page it may stop a byte
    // sooner, before a character that would not fit whole. Only a shorter
    // result is certainly whole: else grow and ask again.
    std::vector<char> buffer(256);
    for (;;) {
        int size = static_cast<int>(buffer.size());
        int length = LoadStringA(module, id, buffer.data(), size);
        if (length <= 0) {
            return std::string();
        }
        if (length < size - 2 || size >= kMaxStringBuffer) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

int Win32Windows::MessageBox(WindowHandle owner, const char* text, const char* caption,
                             unsigned flags) {
    return MessageBoxA(WindowOf(owner), text, caption, flags);
}

bool Win32Windows::DispatchOneMessage() {
    MSG message;
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        return false;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
    return true;
}

void Win32Windows::Sleep(unsigned ms) {
    ::Sleep(ms);
}

std::uint32_t Win32Windows::TickCount() {
    return GetTickCount();
}

void Win32Windows::SetControlText(WindowHandle dialog, int controlId, const char* text) {
    SetDlgItemTextA(WindowOf(dialog), controlId, text);
}

void Win32Windows::SetProgressPosition(WindowHandle dialog, int controlId, int position) {
    SendDlgItemMessageA(WindowOf(dialog), controlId, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

WindowHandle Win32Windows::NextWindow(WindowHandle parent, WindowHandle after,
                                      const char* className) {
    return reinterpret_cast<WindowHandle>(
        FindWindowExA(WindowOf(parent), WindowOf(after), className, nullptr));
}

void Win32Windows::ReadWindowText(WindowHandle window, TextBuffer out) {
    if (out.capacity == 0) {
        return;
    }
    out.data[0] = '\0';
    GetWindowTextA(WindowOf(window), out.data, static_cast<int>(out.capacity));
    out.data[out.capacity - 1] = '\0';
}

int Win32Windows::GetControlId(WindowHandle window) {
    return GetDlgCtrlID(WindowOf(window));
}

bool Win32Windows::IsWindowEnabled(WindowHandle window) {
    return ::IsWindowEnabled(WindowOf(window)) != FALSE;
}

bool Win32Windows::IsWindowVisible(WindowHandle window) {
    return ::IsWindowVisible(WindowOf(window)) != FALSE;
}

void Win32Windows::SendCommand(WindowHandle dialog, int commandId) {
    // Notification 0 is a button click; no control handle goes with it.
    SendMessageA(WindowOf(dialog), WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

void Win32Windows::BringToFront(WindowHandle window) {
    HWND target = WindowOf(window);
    if (IsIconic(target)) {
        ShowWindow(target, SW_RESTORE);
    }
    SetForegroundWindow(target);
}
