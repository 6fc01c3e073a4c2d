// A stand-in for the system's new-hardware wizard, for tests under Wine: a
// top-level dialog frame whose first child is the current page (a child
// dialog showing the device description), with Back, Next, Finish and Cancel
// buttons whose states follow the page. Pages: welcome (Next), installing
// (nothing to press; moves on by itself after 1.5 s, and opens a second
// dialog showing the description, with the button 5303, that closes when
// pressed), done (Finish).
//
//   wizard_standin DESCRIPTION REPORT
//
// Every command it handles is appended to the REPORT file, one word a line
// ("next", "next-refused", "finish", "continue"). It ends after Finish.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/win32_api.h"

namespace {

constexpr int kBack = 12323;
constexpr int kNext = 12324;
constexpr int kFinish = 12325;
constexpr int kContinue = 5303;
constexpr UINT_PTR kInstallTimer = 1;
constexpr UINT kInstallMs = 1500;

const struct {
    const char* text;
    bool next;
    bool nextShown;
    bool finish;
} kPages[] = {
    {"This wizard helps you install software for:\r\n", true, true, false},
    {"Please wait while the wizard installs the software...\r\n", false, true, false},
    {"The wizard has finished installing the software for:\r\n", false, false, true},
};

std::string description;
std::string report;
HWND frame = nullptr;
HWND page = nullptr;
int pageIndex = 0;

void Report(const char* event) {
    if (FILE* file = std::fopen(report.c_str(), "a")) {
        std::fprintf(file, "%s\n", event);
        std::fclose(file);
    }
}

HWND MakeDialog(HWND parent, DWORD style, DLGPROC proc) {
    // An empty template: the dialog class, no menu, no title, no controls.
    struct {
        DLGTEMPLATE header;
        WORD menuClassTitle[3];
    } empty = {{style, 0, 0, 0, 0, 300, 180}, {}};
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &empty.header, parent, proc, 0);
}

HWND MakeControl(HWND parent, const char* className, const std::string& text, int id, int y) {
    return CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE, 10, y, 280, 40,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
}

INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND && LOWORD(wParam) == kContinue) {
        Report("continue");
        DestroyWindow(dialog);
        return TRUE;
    }
    return FALSE;
}

void OpenPrompt() {
    HWND prompt = MakeDialog(nullptr, WS_POPUP | WS_CAPTION | WS_VISIBLE, PromptProc);
    SetWindowTextA(prompt, "Hardware Installation");
    MakeControl(prompt, "Static",
                "The software you are installing for this hardware:\r\n" + description +
                    "\r\nhas not passed Windows Logo testing.",
                1001, 10);
    MakeControl(prompt, "Button", "&Continue Anyway", kContinue, 60);
    MakeControl(prompt, "Button", "&STOP Installation", 5304, 110);
}

void ShowButton(int id, bool enabled, bool shown) {
    HWND button = GetDlgItem(frame, id);
    EnableWindow(button, enabled ? TRUE : FALSE);
    ShowWindow(button, shown ? SW_SHOWNA : SW_HIDE);
}

// In the order a property sheet keeps: the buttons take the new page's
// states first, the new page comes to the front next, and the old page goes
// last. A watcher in another process that sees the new page in front sees
// its buttons as well, and never a frame without a page.
void ShowPage(int index) {
    pageIndex = index;
    ShowButton(kNext, kPages[index].next, kPages[index].nextShown);
    ShowButton(kFinish, kPages[index].finish, kPages[index].finish);
    HWND shown = MakeDialog(frame, WS_CHILD | DS_CONTROL | WS_VISIBLE, PageProc);
    MakeControl(shown, "Static", kPages[index].text + description, 1000 + index, 10);
    // The page in front: the frame's first child, as a property sheet keeps it.
    SetWindowPos(shown, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (page != nullptr)
        DestroyWindow(page);
    page = shown;
    if (index == 1) {
        SetTimer(frame, kInstallTimer, kInstallMs, nullptr);
        OpenPrompt();
    }
}

INT_PTR CALLBACK FrameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_TIMER && wParam == kInstallTimer) {
        KillTimer(dialog, kInstallTimer);
        ShowPage(pageIndex + 1);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    int id = LOWORD(wParam);
    // A page refuses what its buttons do not offer.
    if (id == kNext) {
        bool offered = kPages[pageIndex].next;
        Report(offered ? "next" : "next-refused");
        if (offered)
            ShowPage(pageIndex + 1);
    } else if (id == kFinish && kPages[pageIndex].finish) {
        Report("finish");
        PostQuitMessage(0);
    }
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc < 3)
        return 2;
    description = __argv[1];
    report = __argv[2];

    frame = MakeDialog(nullptr, WS_POPUP | WS_CAPTION | WS_VISIBLE, FrameProc);
    SetWindowTextA(frame, "Found New Hardware Wizard");
    MakeControl(frame, "Button", "< &Back", kBack, 200);
    MakeControl(frame, "Button", "&Next >", kNext, 200);
    MakeControl(frame, "Button", "Finish", kFinish, 200);
    MakeControl(frame, "Button", "Cancel", IDCANCEL, 200);
    ShowPage(0);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
