// Our own modal dialogs over the system's dialog manager: the events object
// travels in the dialog's lParam and lives in its DWLP_USER slot.
#include "platform/icon_layout.h"
#include "platform/win32/win32_api.h"
#include "platform/win32/win32_windows.h"

namespace {

HWND WindowOf(WindowHandle handle) {
    return reinterpret_cast<HWND>(handle);
}
WindowHandle HandleOf(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}
HINSTANCE Module() {
    return GetModuleHandleA(nullptr);
}

DialogEvents* EventsOf(HWND dialog) {
    return reinterpret_cast<DialogEvents*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        auto* events = reinterpret_cast<DialogEvents*>(lParam);
        return events->OnInitDialog(HandleOf(dialog)) ? TRUE : FALSE;
    }
    DialogEvents* events = EventsOf(dialog);
    if (events == nullptr) {
        return FALSE;
    }
    switch (message) {
        case WM_COMMAND:
            return events->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_SYSCOMMAND:
            return events->OnSysCommand(static_cast<unsigned>(wParam)) ? TRUE : FALSE;
        case WM_SETCURSOR:
            if (events->OnSetCursor(HandleOf(reinterpret_cast<HWND>(wParam)))) {
                // Keeps the dialog manager from putting the class cursor back.
                SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        case WM_PAINT:
            return events->OnPaint() ? TRUE : FALSE;
        case WM_QUERYDRAGICON: {
            unsigned iconId = events->DragIconId();
            if (iconId == 0) {
                return FALSE;
            }
            return reinterpret_cast<INT_PTR>(LoadIconA(Module(), MAKEINTRESOURCEA(iconId)));
        }
        default:
            return FALSE;
    }
}

}  // namespace

Win32Windows::Win32Windows() {
    // The progress bar's window class comes from the common controls, bound
    // at run time like every DLL beyond the ones Windows always takes from
    // its system folder. Never freed: the class must outlive every dialog.
    auto init = BIND_CALL(LoadSystemLibrary("COMCTL32.DLL"), InitCommonControls);
    if (init != nullptr) {
        init();
    }
}

int Win32Windows::RunModalDialog(unsigned templateId, WindowHandle owner, DialogEvents& events) {
    INT_PTR result = DialogBoxParamA(Module(), MAKEINTRESOURCEA(templateId), WindowOf(owner),
                                     DialogProc, reinterpret_cast<LPARAM>(&events));
    return static_cast<int>(result);
}

void Win32Windows::EndDialog(WindowHandle dialog, int result) {
    ::EndDialog(WindowOf(dialog), result);
}

void Win32Windows::SetWindowTitle(WindowHandle window, const char* text) {
    SetWindowTextA(WindowOf(window), text);
}

void Win32Windows::CheckButton(WindowHandle dialog, int controlId, bool checked) {
    SendDlgItemMessageA(WindowOf(dialog), controlId, BM_SETCHECK,
                        checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32Windows::EnableControl(WindowHandle dialog, int controlId, bool enabled) {
    EnableWindow(GetDlgItem(WindowOf(dialog), controlId), enabled ? TRUE : FALSE);
}

void Win32Windows::FocusControl(WindowHandle dialog, int controlId) {
    SetFocus(GetDlgItem(WindowOf(dialog), controlId));
}

WindowHandle Win32Windows::ControlWindow(WindowHandle dialog, int controlId) {
    return HandleOf(GetDlgItem(WindowOf(dialog), controlId));
}

bool Win32Windows::AddSystemMenuItem(WindowHandle window, unsigned command, const char* text) {
    HMENU menu = GetSystemMenu(WindowOf(window), FALSE);
    if (menu == nullptr) {
        return false;
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    return AppendMenuA(menu, MF_STRING, command, text) != FALSE;
}

void Win32Windows::SetWindowIcon(WindowHandle window, unsigned iconId) {
    HICON icon = LoadIconA(Module(), MAKEINTRESOURCEA(iconId));
    SendMessageA(WindowOf(window), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(WindowOf(window), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

void Win32Windows::SetControlBitmap(WindowHandle dialog, int controlId, unsigned bitmapId) {
    HANDLE bitmap = LoadImageA(Module(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0,
                               LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT);
    if (bitmap == nullptr) {
        return;
    }
    LRESULT previous = SendDlgItemMessageA(WindowOf(dialog), controlId, STM_SETIMAGE, IMAGE_BITMAP,
                                           reinterpret_cast<LPARAM>(bitmap));
    if (previous != 0) {
        DeleteObject(reinterpret_cast<HGDIOBJ>(previous));
    }
}

bool Win32Windows::IsMinimized(WindowHandle window) {
    return IsIconic(WindowOf(window)) != FALSE;
}

void Win32Windows::PaintMinimizedIcon(WindowHandle window, unsigned iconId) {
    HWND hwnd = WindowOf(window);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    SendMessageA(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(hwnd, &client);
    IconOrigin origin = CentredIconOrigin(client.right - client.left, client.bottom - client.top,
                                          GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, origin.x, origin.y, LoadIconA(Module(), MAKEINTRESOURCEA(iconId)));
    EndPaint(hwnd, &paint);
}

void Win32Windows::SetCursorFromResource(unsigned cursorId) {
    SetCursor(LoadCursorA(Module(), MAKEINTRESOURCEA(cursorId)));
}
