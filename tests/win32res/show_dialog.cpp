// Shows one dialog template of the resource object with its run-time texts and
// images filled in the way the program fills them, for a look at the layout
// and the artwork (for instance under Xvfb, with a screenshot).
//   show_dialog [100|102|143] [seconds before it closes itself, default 10]
// With SHOW_DIALOG_CLIP_SIDE set, the side picture of 102 clips its siblings,
// so that the logo above it is not painted over.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

#include "resources/agreement_text.h"
#include "resources/resource_ids.h"

namespace {

constexpr UINT_PTR kCloseTimer = 1;
int gSeconds = 10;

std::string Load(UINT id) {
    char text[2048];
    int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

void FillMainDialog(HWND dialog) {
    SetWindowTextA(dialog, Load(IDS_PROGRAM_NAME).c_str());
    const UINT captions[][2] = {{IDC_SELECT_GROUP, IDS_SELECT_INSTALL_UNINSTALL},
                                {IDC_INSTALL, IDS_INSTALL_OR_UPDATE},
                                {IDC_UNINSTALL, IDS_UNINSTALL},
                                {IDC_START, IDS_START},
                                {IDCANCEL, IDS_CANCEL},
                                {IDC_INSTRUCTION, IDS_INSTRUCTION}};
    for (const auto& caption : captions) {
        SetDlgItemTextA(dialog, caption[0], Load(caption[1]).c_str());
    }
    SetDlgItemTextA(dialog, IDC_STATUS, Load(IDS_INSTALLING).c_str());
    HANDLE logo = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOGO), IMAGE_BITMAP, 0,
                             0, LR_CREATEDIBSECTION | LR_LOADMAP3DCOLORS | LR_LOADTRANSPARENT);
    SendDlgItemMessageA(dialog, IDC_LOGO, STM_SETIMAGE, IMAGE_BITMAP, LPARAM(logo));
    SendDlgItemMessageA(dialog, IDC_INSTALL, BM_SETCHECK, BST_CHECKED, 0);
    SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_SETPOS, 40, 0);
    if (std::getenv("SHOW_DIALOG_CLIP_SIDE")) {
        for (HWND child = GetWindow(dialog, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_SUNKEN) && GetDlgCtrlID(child) == 0xFFFF) {
                SetWindowLongA(child, GWL_STYLE,
                               GetWindowLongA(child, GWL_STYLE) | WS_CLIPSIBLINGS);
            }
        }
    }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PROGRAM));
            SendMessageA(dialog, WM_SETICON, ICON_BIG, LPARAM(icon));
            SendMessageA(dialog, WM_SETICON, ICON_SMALL, LPARAM(icon));
            if (GetDlgItem(dialog, IDC_PROGRESS))
                FillMainDialog(dialog);
            if (GetDlgItem(dialog, IDC_AGREEMENT_TEXT)) {
                SetDlgItemTextA(dialog, IDC_AGREEMENT_TEXT, kAgreementText);
            }
            if (GetDlgItem(dialog, IDC_ABOUT_TEXT)) {
                SetWindowTextA(dialog, (Load(IDS_ABOUTBOX) + Load(IDS_PROGRAM_NAME)).c_str());
                SetDlgItemTextA(dialog, IDC_ABOUT_TEXT, Load(IDS_VER_COPYRIGHT).c_str());
            }
            SetTimer(dialog, kCloseTimer, gSeconds * 1000, nullptr);
            return TRUE;
        }
        case WM_SETCURSOR:
            // The link's pointer over the logo, so that the cursor shows too.
            if (HWND(wParam) == GetDlgItem(dialog, IDC_LOGO)) {
                SetCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_HAND)));
                SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED)
                return FALSE;
            EndDialog(dialog, 0);
            return TRUE;
        case WM_TIMER:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    int templateId = argc > 1 ? std::atoi(argv[1]) : IDD_SETUP;
    if (argc > 2)
        gSeconds = std::atoi(argv[2]);
    InitCommonControls();
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                     nullptr, DialogProc, 0);
    return result == -1 ? 1 : 0;
}
