// Plays the user of Setup.exe: starts it, finds its dialogs, reads what they
// show, presses their buttons, and prints what it saw as plain lines.
// scripts/run-sample, the benchmarks and the end-to-end cases run it; it is a
// Windows program of its own, never shipped.
//
//   setupdriver --setup PATH --deadline SECONDS STEP...
//
// Steps (one argument each, "click 1003"):
//   run [ARGS]        start Setup.exe with ARGS
//   run-other [ARGS]  start a second Setup.exe with ARGS; print the message
//                     box it shows, if any, and press OK; print its exit code
//                     when it ends
//   hold-guard NAME   hold a mutex of that name until the driver ends, as a
//                     run without a window of its own would
//   spawn CMDLINE     start another program (not waited for)
//   wait-title TEXT   a visible top-level window titled TEXT appears
//   foreground        print the title of the foreground window
//   hold PATH         open a file exclusively until the driver ends
//   env NAME=VALUE    set a variable of the environment the next starts get
//   wait-file PATH    the file appears; print its content
//   wait-agreement    the agreement dialog is shown
//   yes | no          answer the agreement dialog
//   wait-main         the main dialog is shown
//   read-captions     print the main dialog's title and control texts
//   watch-run         print status and progress changes until a box appears
//                     or the program ends
//   wait-progress N   the bar reaches N
//   click ID          press a button of the main dialog
//   logo              click the logo of the main dialog
//   radio ID          click a radio button; it gets its check
//   enter | exit | escape | close   the key Enter, the Exit button, the key
//                     Escape or the close box on the main dialog
//   about             the About item of the system menu; print the About box
//   wait-box          a message box owned by the main dialog; print it
//   ok                press OK on the About box or the message box; it goes
//   screenshot NAME   print "screenshot NAME" and wait for a line on stdin
//   mark TEXT         print "mark TEXT" at once: a time mark for the benchmarks
//   wait-exit         Setup.exe ends; print its exit code
// Every wait polls against one deadline for the whole run. When something does
// not appear, the failed step is printed and the exit code is 3.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kAgreementText = 1018;
constexpr int kStart = 1003;
constexpr int kProgress = 1004;
constexpr int kStatus = 1008;
constexpr int kAboutText = 1010;
constexpr int kLogo = 1013;

std::string setupPath;
DWORD deadline = 0;
PROCESS_INFORMATION setup = {};
bool started = false;
std::string currentStep;

void Line(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// A window text of the system's code page as a quoted UTF-8 literal.
std::string Quoted(const std::string& ansi) {
    std::vector<wchar_t> wide(ansi.size() + 1);
    int units = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), int(wide.size()));
    std::vector<char> utf8(wide.size() * 3);
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, utf8.data(), int(utf8.size()), 0, 0);
    std::string out = "\"";
    for (const char* c = utf8.data(); *c != 0; ++c) {
        char escaped[8] = {*c};
        if (*c == '"' || *c == '\\' || (*c >= 0 && *c < ' '))
            std::snprintf(escaped, sizeof escaped, "\\x%02x", *c);
        out += escaped;
    }
    return out + "\"";
}

std::string TextOf(HWND window) {
    char text[8192] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Polls `found` until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& found) {
    while (!found()) {
        if (static_cast<LONG>(deadline - GetTickCount()) <= 0)
            return false;
        Sleep(10);
    }
    return true;
}

bool Gone(HWND window) {
    return !IsWindow(window) || !IsWindowVisible(window);
}

// A shown top-level dialog of the process that holds control `id`:
// kAgreementText, kAboutText, or 0 for a message box, which holds none of
// them; with kStart, the main dialog, also while hidden (it owns the boxes of
// its start-up).
HWND DialogOf(DWORD setupProcess, int id) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        bool box =
            !GetDlgItem(w, kAgreementText) && !GetDlgItem(w, kStart) && !GetDlgItem(w, kAboutText);
        if (process == setupProcess &&
            (id == kStart ? GetDlgItem(w, kProgress) != nullptr
                          : !Gone(w) && (id == 0 ? box : GetDlgItem(w, id) != nullptr))) {
            return w;
        }
    }
    return nullptr;
}

// Setup.exe's own, as DialogOf.
HWND SetupDialog(int id) {
    return started ? DialogOf(setup.dwProcessId, id) : nullptr;
}

HWND MainDialog() {
    return SetupDialog(kStart);
}

// Makes the windows paint and the program hand its drawing to the screen: a
// round trip, a pause longer than Wine's surface flush interval, another.
void Settle(HWND window) {
    if (window != nullptr) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        DWORD_PTR result = 0;
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        Sleep(120);
        SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    }
}

// Posted: the program runs whole sequences inside its click handler.
void PostClick(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

int Progress(HWND main) {
    return static_cast<int>(SendDlgItemMessageA(main, kProgress, PBM_GETPOS, 0, 0));
}

// A message box's first static control that shows an icon, or text.
HWND StaticChild(HWND box, bool icon) {
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr &&
           ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) != icon) {
    }
    return child;
}

// The icon a message box shows, from its colours on the screen: the stop icon
// is red, the information icon blue.
std::string IconKind(HWND box) {
    HWND icon = StaticChild(box, true);
    std::string kind = icon == nullptr ? "none" : "unknown";
    WaitFor([&] {
        RECT rect = {};
        GetWindowRect(icon, &rect);
        GetWindowRect(icon, &rect);
        HDC screen = GetDC(nullptr);
        int red = 0;
        int blue = 0;
        for (int y = rect.top; y < rect.bottom; y += 2) {
            for (int x = rect.left; x < rect.right; x += 2) {
                COLORREF c = GetPixel(screen, x, y);
                red += GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100;
                blue += GetBValue(c) > 150 && GetRValue(c) < 100;
            }
        }
        ReleaseDC(nullptr, screen);
        kind = red > 10 && red > blue ? "stop" : blue > 10 ? "information" : "unknown";
        return icon == nullptr || kind != "unknown";
    });
    return kind;
}

bool Fail(const std::string& what) {
    Line("FAILED step \"" + currentStep + "\": " + what);
    return false;
}

bool Start(const std::string& commandLine, PROCESS_INFORMATION* process, const char* folder) {
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                          process) != FALSE;
}

bool Agree(bool accept) {
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = SetupDialog(kAgreementText)) != nullptr; }))
        return Fail("no agreement dialog");
    if (currentStep != "wait-agreement") {
        PostClick(GetDlgItem(dialog, accept ? IDOK : IDCANCEL));
        return WaitFor([&] { return Gone(dialog); }) || Fail("the agreement dialog stays");
    }
    return true;
}

bool WatchRun(HWND main) {
    std::string status = "\x01";
    int progress = -1;
    bool ended = WaitFor([&] {
        if (!IsWindow(main))
            return true;
        std::string nowStatus = TextOf(GetDlgItem(main, kStatus));
        if (nowStatus != status)
            Line("status " + Quoted(status = nowStatus));
        if (Progress(main) != progress)
            Line("progress " + std::to_string(progress = Progress(main)));
        return SetupDialog(0) != nullptr || WaitForSingleObject(setup.hProcess, 0) != WAIT_TIMEOUT;
    });
    return ended || Fail("the run does not end");
}

bool Click(HWND main, int id) {
    HWND button = GetDlgItem(main, id);
    if (button == nullptr || !IsWindowEnabled(button))
        return Fail("no enabled control " + std::to_string(id));
    Line("click " + std::to_string(id));
    PostClick(button);
    if (currentStep.rfind("radio", 0) == 0 &&
        !WaitFor([&] { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; })) {
        return Fail("radio " + std::to_string(id) + " gets no check");
    }
    return true;
}

bool EndMain(HWND main, const std::string& how) {
    if (how == "exit") {
        PostClick(GetDlgItem(main, IDCANCEL));
    } else if (how == "escape") {
        PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    return WaitFor([&] { return Gone(main); }) || Fail("the main dialog stays");
}

bool About(HWND main) {
    PostMessageA(main, WM_SYSCOMMAND, 16, 0);
    HWND about = nullptr;
    if (!WaitFor([&] { return (about = SetupDialog(kAboutText)) != nullptr; }))
        return Fail("no About box");
    Line("about " + Quoted(TextOf(about)) + " " + Quoted(TextOf(GetDlgItem(about, kAboutText))) +
         " " + Quoted(TextOf(GetDlgItem(about, IDOK))));
    Line(std::string("about-owner ") + (GetWindow(about, GW_OWNER) == main ? "main" : "other"));
    return true;
}

bool WaitBox() {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = SetupDialog(0)) != nullptr; }))
        return Fail("no message box");
    Settle(box);
    HWND owner = GetWindow(box, GW_OWNER);
    Line("box " + Quoted(TextOf(box)) + " " + Quoted(TextOf(StaticChild(box, false))));
    Line(std::string("box-owner ") + (owner != nullptr && owner == MainDialog() ? "main" : "-"));
    Line("box-icon " + IconKind(box));
    return true;
}

bool Ok() {
    HWND box = SetupDialog(kAboutText);
    box = box != nullptr ? box : SetupDialog(0);
    if (box == nullptr)
        return Fail("no box to close");
    PostClick(GetDlgItem(box, IDOK));
    return WaitFor([&] { return Gone(box); }) || Fail("the box stays");
}

bool Screenshot(const std::string& name) {
    for (HWND window :
         {MainDialog(), SetupDialog(kAgreementText), SetupDialog(0), SetupDialog(kAboutText)}) {
        Settle(window);
    }
    Line("screenshot " + name);
    // The taker answers with a line once the picture is taken.
    char answer[64];
    return std::fgets(answer, sizeof answer, stdin) != nullptr || true;
}

bool WaitExit() {
    DWORD left = static_cast<DWORD>(std::max<LONG>(0, LONG(deadline - GetTickCount())));
    if (!started || WaitForSingleObject(setup.hProcess, left) != WAIT_OBJECT_0)
        return Fail("Setup.exe does not end");
    DWORD code = 0;
    GetExitCodeProcess(setup.hProcess, &code);
    Line("exit-code " + std::to_string(code));
    return true;
}

// Steps on the main dialog, which must be there.
bool MainStep(const std::string& word, const std::string& arg) {
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = MainDialog()) != nullptr; }))
        return Fail("no main dialog");
    if (word == "read-captions") {
        Line("title " + Quoted(TextOf(main)));
        for (int id : {1011, 1006, 1007, kStart, IDCANCEL, 1014})
            Line("text " + std::to_string(id) + " " + Quoted(TextOf(GetDlgItem(main, id))));
        return true;
    } else if (word == "watch-run") {
        return WatchRun(main);
    } else if (word == "wait-progress") {
        if (!WaitFor([&] { return Progress(main) >= std::atoi(arg.c_str()); }))
            return Fail("the bar stays at " + std::to_string(Progress(main)));
        Line("progress " + std::to_string(Progress(main)));
        return true;
    } else if (word == "logo") {
        HWND logo = GetDlgItem(main, kLogo);
        PostMessageA(main, WM_COMMAND, MAKEWPARAM(kLogo, STN_CLICKED), LPARAM(logo));
        return logo != nullptr || Fail("no logo");
    } else if (word == "click" || word == "radio") {
        return Click(main, std::atoi(arg.c_str()));
    } else if (word == "enter") {
        // To the dialog, as the dialog manager gets a key of no control's own.
        PostMessageA(main, WM_KEYDOWN, VK_RETURN, 0);
        return true;
    } else if (word == "exit" || word == "escape" || word == "close") {
        return EndMain(main, word);
    } else if (word == "about") {
        return About(main);
    }
    return Fail("unknown step");
}

bool RunStep(const std::string& step) {
    currentStep = step;
    std::size_t space = step.find(' ');
    std::string word = step.substr(0, space);
    std::string arg = space == std::string::npos ? "" : step.substr(space + 1);
    if (word == "run") {
        std::string line = "\"" + setupPath + "\"" + (arg.empty() ? "" : " " + arg);
        started = Start(line, &setup, setupPath.substr(0, setupPath.rfind('\\')).c_str());
        return started || Fail("cannot start " + line);
    } else if (word == "run-other") {
        PROCESS_INFORMATION other = {};
        std::string line = "\"" + setupPath + "\"" + (arg.empty() ? "" : " " + arg);
        if (!Start(line, &other, setupPath.substr(0, setupPath.rfind('\\')).c_str()))
            return Fail("cannot start " + line);
        bool ended = WaitFor([&] {
            if (HWND box = DialogOf(other.dwProcessId, 0)) {
                Settle(box);
                Line("other-box " + Quoted(TextOf(box)) + " " +
                     Quoted(TextOf(StaticChild(box, false))));
                Line(std::string("other-box-owner ") + (GetWindow(box, GW_OWNER) ? "some" : "-"));
                PostClick(GetDlgItem(box, IDOK));
                WaitFor([&] { return Gone(box); });
            }
            return WaitForSingleObject(other.hProcess, 0) == WAIT_OBJECT_0;
        });
        DWORD code = 0;
        if (!ended || !GetExitCodeProcess(other.hProcess, &code))
            return Fail("the second Setup.exe does not end");
        Line("other-exit-code " + std::to_string(code));
        return true;
    } else if (word == "spawn") {
        PROCESS_INFORMATION other = {};
        return Start(arg, &other, nullptr) || Fail("cannot start " + arg);
    } else if (word == "wait-title") {
        return WaitFor([&] {
                   HWND window = FindWindowA(nullptr, arg.c_str());
                   return window != nullptr && !Gone(window);
               }) ||
               Fail("no window titled " + Quoted(arg));
    } else if (word == "foreground") {
        Line("foreground " + Quoted(TextOf(GetForegroundWindow())));
        return true;
    } else if (word == "env") {
        std::size_t equals = arg.find('=');
        return (equals != std::string::npos &&
                SetEnvironmentVariableA(arg.substr(0, equals).c_str(),
                                        arg.substr(equals + 1).c_str())) ||
               Fail("cannot set " + arg);
    } else if (word == "wait-file") {
        HANDLE file = INVALID_HANDLE_VALUE;
        if (!WaitFor([&] {
                file = CreateFileA(arg.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
                return file != INVALID_HANDLE_VALUE;
            }))
            return Fail("no file " + arg);
        char text[1024] = {};
        DWORD read = 0;
        ReadFile(file, text, sizeof text - 1, &read, nullptr);
        CloseHandle(file);
        Line("file " + Quoted(text));
        return true;
    } else if (word == "hold-guard") {
        // Left open on purpose, as "hold" leaves its file.
        return CreateMutexA(nullptr, FALSE, arg.c_str()) != nullptr || Fail("no mutex " + arg);
    } else if (word == "hold") {
        // Left open on purpose: the system closes it when the driver ends.
        return CreateFileA(arg.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr) != INVALID_HANDLE_VALUE ||
               Fail("cannot open " + arg);
    } else if (word == "wait-agreement" || word == "yes" || word == "no") {
        return Agree(word == "yes");
    } else if (word == "wait-main") {
        return WaitFor([&] {
                   HWND main = MainDialog();
                   return main != nullptr && !Gone(main);
               }) ||
               Fail("no main dialog");
    } else if (word == "wait-box") {
        return WaitBox();
    } else if (word == "ok") {
        return Ok();
    } else if (word == "screenshot") {
        return Screenshot(arg);
    } else if (word == "wait-exit") {
        return WaitExit();
    } else if (word == "mark") {
        Line("mark " + arg);
        return true;
    }
    return MainStep(word, arg);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5)
        return 2;
    setupPath = argv[2];
    deadline = GetTickCount() + DWORD(std::atoi(argv[4])) * 1000;
    for (int i = 5; i < argc; ++i) {
        if (!RunStep(argv[i]))
            return 3;
    }
    return 0;
}
