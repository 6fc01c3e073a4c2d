// Plays the user of Setup.exe: starts it, finds its dialogs, reads what they
// show, presses their buttons, and prints what it saw as plain lines.
//
//   setupdriver --setup PATH [--deadline SECONDS] [--script FILE] [STEP...]
//
// Each STEP is one word with its arguments ("click 1003"); a script file holds
// one step a line, "#" starts a comment. Steps:
//   run [ARGS]        start Setup.exe with ARGS
//   spawn CMDLINE     start another program (not waited for)
//   wait-title TEXT   a visible top-level window titled TEXT appears
//   hold PATH         open a file exclusively until the driver ends
//   wait-agreement    the agreement dialog is shown
//   yes | no          answer the agreement dialog
//   wait-main         the main dialog is shown
//   read-captions     print the main dialog's title, captions, texts and states
//   read-state        print status, progress, checks and enabled states
//   watch-run         print status, progress and button changes until a box
//                     appears or the program ends
//   wait-progress N   the bar reaches N
//   click ID          press a button of the main dialog
//   radio ID          click a radio button; it gets its check
//   exit | escape | close   end the main dialog by Exit, Escape or the close box
//   about             the About item of the system menu; print the About box
//   wait-box          a message box owned by the main dialog; print it
//   ok                press OK on the About box or the message box; it goes
//   screenshot NAME   print "screenshot NAME" and wait for a line on stdin
//   wait-exit         Setup.exe ends; print its exit code
// Every wait polls every 10 ms against one deadline for the whole script. When
// something does not appear, the failed step is printed and the exit code is 3.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kAgreementText = 1018;
constexpr int kStart = 1003;
constexpr int kProgress = 1004;
constexpr int kInstall = 1006;
constexpr int kUninstall = 1007;
constexpr int kStatus = 1008;
constexpr int kGroup = 1011;
constexpr int kInstruction = 1014;
constexpr int kAboutText = 1010;
constexpr unsigned kAboutCommand = 16;
constexpr DWORD kPollMs = 10;

std::string setupPath;
DWORD deadline = 0;
PROCESS_INFORMATION setup = {};
bool started = false;
bool exitReported = false;
std::string currentStep;

void Line(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// A window text of the system's code page as a quoted UTF-8 literal.
std::string Quoted(const std::string& ansi) {
    std::string utf8;
    if (!ansi.empty()) {
        int wide =
            MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
        std::vector<wchar_t> units(static_cast<std::size_t>(wide));
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), units.data(),
                            wide);
        int bytes =
            WideCharToMultiByte(CP_UTF8, 0, units.data(), wide, nullptr, 0, nullptr, nullptr);
        utf8.resize(static_cast<std::size_t>(bytes));
        WideCharToMultiByte(CP_UTF8, 0, units.data(), wide, &utf8[0], bytes, nullptr, nullptr);
    }
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    return out + "\"";
}

std::string TextOf(HWND window) {
    char text[8192] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool TimeLeft() {
    return static_cast<LONG>(deadline - GetTickCount()) > 0;
}

// Polls `found` until it holds or the deadline passes.
bool WaitFor(const std::function<bool()>& found) {
    for (;;) {
        if (found()) {
            return true;
        }
        if (!TimeLeft()) {
            return false;
        }
        Sleep(kPollMs);
    }
}

bool OfSetup(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return started && process == setup.dwProcessId;
}

bool SetupRunning() {
    return started && WaitForSingleObject(setup.hProcess, 0) == WAIT_TIMEOUT;
}

// The first top-level dialog of Setup.exe that passes `test`.
HWND FindSetupDialog(const std::function<bool(HWND)>& test) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", nullptr)) != nullptr) {
        if (OfSetup(window) && test(window)) {
            return window;
        }
    }
    return nullptr;
}

bool Has(HWND dialog, int id) {
    return GetDlgItem(dialog, id) != nullptr;
}

bool Shown(HWND window) {
    return IsWindowVisible(window) != FALSE;
}

HWND Agreement() {
    return FindSetupDialog([](HWND w) { return Shown(w) && Has(w, kAgreementText); });
}

// The main dialog, also while hidden (it owns the boxes of its start-up).
HWND MainDialog() {
    return FindSetupDialog([](HWND w) { return Has(w, kStart) && Has(w, kProgress); });
}

HWND AboutBox() {
    return FindSetupDialog([](HWND w) { return Shown(w) && Has(w, kAboutText); });
}

HWND MessageBoxWindow() {
    return FindSetupDialog([](HWND w) {
        return Shown(w) && !Has(w, kAgreementText) && !Has(w, kStart) && !Has(w, kAboutText);
    });
}

// Makes the windows paint and the program hand its drawing to the screen: a
// round trip, a pause longer than Wine's surface flush interval, another.
void Settle(HWND window) {
    if (window == nullptr) {
        return;
    }
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    Sleep(120);
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
}

void PostClick(HWND button) {
    // Posted: the program runs whole sequences inside its click handler.
    PostMessageA(button, BM_CLICK, 0, 0);
}

int Progress(HWND main) {
    return static_cast<int>(SendDlgItemMessageA(main, kProgress, PBM_GETPOS, 0, 0));
}

int Check(HWND main, int id) {
    return static_cast<int>(SendDlgItemMessageA(main, id, BM_GETCHECK, 0, 0));
}

int Enabled(HWND main, int id) {
    return IsWindowEnabled(GetDlgItem(main, id)) ? 1 : 0;
}

std::string ControlText(HWND dialog, int id) {
    return TextOf(GetDlgItem(dialog, id));
}

void PrintState(HWND main) {
    Line("text 1008 " + Quoted(ControlText(main, kStatus)));
    Line("progress " + std::to_string(Progress(main)));
    Line("check 1006 " + std::to_string(Check(main, kInstall)));
    Line("check 1007 " + std::to_string(Check(main, kUninstall)));
    Line("enabled 1003 " + std::to_string(Enabled(main, kStart)));
    Line("enabled 2 " + std::to_string(Enabled(main, IDCANCEL)));
}

// What kind of icon a message box shows, from the colours on the screen: the
// stop icon is red, the information icon blue.
std::string IconKind(HWND box) {
    HWND icon = nullptr;
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            icon = child;
            break;
        }
    }
    if (icon == nullptr) {
        return "none";
    }
    std::string kind = "unknown";
    WaitFor([&] {
        RECT rect;
        GetWindowRect(icon, &rect);
        HDC screen = GetDC(nullptr);
        int red = 0;
        int blue = 0;
        for (int y = rect.top; y < rect.bottom; y += 2) {
            for (int x = rect.left; x < rect.right; x += 2) {
                COLORREF c = GetPixel(screen, x, y);
                int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
                red += (r > 150 && g < 100 && b < 100) ? 1 : 0;
                blue += (b > 150 && r < 100) ? 1 : 0;
            }
        }
        ReleaseDC(nullptr, screen);
        if (red > 10 && red > blue) {
            kind = "stop";
        } else if (blue > 10) {
            kind = "information";
        }
        return kind != "unknown";
    });
    return kind;
}

bool Fail(const std::string& what) {
    Line("FAILED step \"" + currentStep + "\": " + what);
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, nullptr, nullptr)) != nullptr) {
        if (OfSetup(window) && Shown(window)) {
            Line("  window of Setup.exe: " + Quoted(TextOf(window)));
        }
    }
    return false;
}

bool NeedMain(HWND* main) {
    *main = MainDialog();
    return *main != nullptr || Fail("no main dialog");
}

bool Run(const std::string& args) {
    std::string commandLine = "\"" + setupPath + "\"" + (args.empty() ? "" : " " + args);
    std::string folder = setupPath.substr(0, setupPath.rfind('\\'));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &setup)) {
        return Fail("cannot start " + commandLine);
    }
    started = true;
    Line("run " + commandLine);
    return true;
}

bool Spawn(const std::string& commandLine) {
    std::string line = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION other = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &other)) {
        return Fail("cannot start " + commandLine);
    }
    CloseHandle(other.hThread);
    CloseHandle(other.hProcess);
    Line("spawn " + commandLine);
    return true;
}

HWND WaitAgreement() {
    HWND dialog = nullptr;
    if (!WaitFor([&] { return (dialog = Agreement()) != nullptr; })) {
        Fail("no agreement dialog");
        return nullptr;
    }
    Line("agreement " + Quoted(TextOf(dialog)));
    return dialog;
}

bool Agree(bool accept) {
    HWND dialog = WaitAgreement();
    if (dialog == nullptr) {
        return false;
    }
    PostClick(GetDlgItem(dialog, accept ? IDOK : IDCANCEL));
    if (!WaitFor([&] { return !IsWindow(dialog) || !Shown(dialog); })) {
        return Fail("the agreement dialog stays");
    }
    return true;
}

bool WaitMain() {
    HWND main = nullptr;
    if (!WaitFor([&] { return (main = MainDialog()) != nullptr && Shown(main); })) {
        return Fail("no main dialog");
    }
    Line("main " + Quoted(TextOf(main)));
    return true;
}

bool ReadCaptions() {
    HWND main = nullptr;
    if (!NeedMain(&main)) {
        return false;
    }
    Line("title " + Quoted(TextOf(main)));
    for (int id : {kGroup, kInstall, kUninstall, kStart, IDCANCEL, kInstruction}) {
        Line("text " + std::to_string(id) + " " + Quoted(ControlText(main, id)));
    }
    PrintState(main);
    return true;
}

bool WatchRun() {
    HWND main = nullptr;
    if (!NeedMain(&main)) {
        return false;
    }
    std::string status = "\x01";
    int progress = -1;
    int start = -1;
    int exit = -1;
    bool ended = WaitFor([&] {
        if (!IsWindow(main)) {
            return true;
        }
        std::string nowStatus = ControlText(main, kStatus);
        if (nowStatus != status) {
            status = nowStatus;
            Line("status " + Quoted(status));
        }
        int nowProgress = Progress(main);
        if (nowProgress != progress) {
            progress = nowProgress;
            Line("progress " + std::to_string(progress));
        }
        int nowStart = Enabled(main, kStart);
        int nowExit = Enabled(main, IDCANCEL);
        if (nowStart != start || nowExit != exit) {
            start = nowStart;
            exit = nowExit;
            Line("enabled 1003 " + std::to_string(start) + " 2 " + std::to_string(exit));
        }
        return MessageBoxWindow() != nullptr || !SetupRunning();
    });
    return ended || Fail("the run does not end");
}

bool WaitProgress(int position) {
    HWND main = nullptr;
    if (!NeedMain(&main)) {
        return false;
    }
    if (!WaitFor([&] { return Progress(main) >= position; })) {
        return Fail("the bar stays at " + std::to_string(Progress(main)));
    }
    Line("progress " + std::to_string(Progress(main)));
    return true;
}

bool Click(int id) {
    HWND main = nullptr;
    if (!NeedMain(&main)) {
        return false;
    }
    HWND button = GetDlgItem(main, id);
    if (button == nullptr) {
        return Fail("no control " + std::to_string(id));
    }
    if (!IsWindowEnabled(button)) {
        return Fail("control " + std::to_string(id) + " is disabled");
    }
    Line("click " + std::to_string(id));
    PostClick(button);
    return true;
}

bool Radio(int id) {
    if (!Click(id)) {
        return false;
    }
    HWND main = MainDialog();
    if (!WaitFor([&] { return Check(main, id) == BST_CHECKED; })) {
        return Fail("radio " + std::to_string(id) + " gets no check");
    }
    Line("check " + std::to_string(id) + " 1");
    return true;
}

bool EndMain(const std::string& how) {
    HWND main = nullptr;
    if (!NeedMain(&main)) {
        return false;
    }
    Line(how);
    if (how == "exit") {
        PostClick(GetDlgItem(main, IDCANCEL));
    } else if (how == "escape") {
        PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
    } else {
        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    if (!WaitFor([&] { return !IsWindow(main) || !Shown(main); })) {
        return Fail("the main dialog stays");
    }
    return true;
}

bool About() {
    HWND main = nullptr;
    if (!NeedMain(&main)) {
        return false;
    }
    PostMessageA(main, WM_SYSCOMMAND, kAboutCommand, 0);
    HWND about = nullptr;
    if (!WaitFor([&] { return (about = AboutBox()) != nullptr; })) {
        return Fail("no About box");
    }
    Line("about " + Quoted(TextOf(about)));
    Line("about-text " + Quoted(ControlText(about, kAboutText)));
    Line("about-button " + Quoted(ControlText(about, IDOK)));
    Line(std::string("about-owner ") + (GetWindow(about, GW_OWNER) == main ? "main" : "other"));
    return true;
}

bool WaitBox() {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = MessageBoxWindow()) != nullptr; })) {
        return Fail("no message box");
    }
    // When it appeared, before the settling pause that the reading below needs.
    Line("box-seen");
    Settle(box);
    std::string text;
    HWND child = nullptr;
    while ((child = FindWindowExA(box, child, "Static", nullptr)) != nullptr) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON && text.empty()) {
            text = TextOf(child);
        }
    }
    HWND owner = GetWindow(box, GW_OWNER);
    Line("box " + Quoted(TextOf(box)) + " " + Quoted(text));
    Line(std::string("box-owner ") +
         (owner != nullptr && owner == MainDialog() ? "main" : "other"));
    Line("box-icon " + IconKind(box));
    return true;
}

bool Ok() {
    HWND box = AboutBox();
    if (box == nullptr) {
        box = MessageBoxWindow();
    }
    if (box == nullptr) {
        return Fail("no box to close");
    }
    Line("ok");
    PostClick(GetDlgItem(box, IDOK));
    if (!WaitFor([&] { return !IsWindow(box) || !Shown(box); })) {
        return Fail("the box stays");
    }
    return true;
}

bool Screenshot(const std::string& name) {
    HWND window = MessageBoxWindow();
    if (window == nullptr) {
        window = AboutBox();
    }
    Settle(MainDialog());
    Settle(Agreement());
    Settle(window);
    Line("screenshot " + name);
    // The taker answers with a line once the picture is taken.
    char answer[64];
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
        return true;
    }
    return true;
}

bool WaitExit() {
    if (!started) {
        return Fail("Setup.exe was not started");
    }
    DWORD left =
        static_cast<DWORD>(std::max<LONG>(0, static_cast<LONG>(deadline - GetTickCount())));
    if (WaitForSingleObject(setup.hProcess, left) != WAIT_OBJECT_0) {
        return Fail("Setup.exe does not end");
    }
    DWORD code = 0;
    GetExitCodeProcess(setup.hProcess, &code);
    Line("exit-code " + std::to_string(code));
    exitReported = true;
    return true;
}

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool RunStep(const std::string& step) {
    currentStep = step;
    std::size_t space = step.find(' ');
    std::string word = step.substr(0, space);
    std::string arg = space == std::string::npos ? "" : Trim(step.substr(space + 1));
    if (word == "run") {
        return Run(arg);
    } else if (word == "spawn") {
        return Spawn(arg);
    } else if (word == "wait-title") {
        HWND window = nullptr;
        if (!WaitFor([&] {
                window = FindWindowA(nullptr, arg.c_str());
                return window != nullptr && Shown(window);
            })) {
            return Fail("no window titled " + Quoted(arg));
        }
        Line("window " + Quoted(arg));
        return true;
    } else if (word == "hold") {
        // Left open on purpose: the system closes it when the driver ends.
        HANDLE file = CreateFileA(arg.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            return Fail("cannot open " + arg);
        }
        Line("hold " + arg);
        return true;
    } else if (word == "wait-agreement") {
        return WaitAgreement() != nullptr;
    } else if (word == "yes" || word == "no") {
        return Agree(word == "yes");
    } else if (word == "wait-main") {
        return WaitMain();
    } else if (word == "read-captions") {
        return ReadCaptions();
    } else if (word == "read-state") {
        HWND main = nullptr;
        if (!NeedMain(&main)) {
            return false;
        }
        PrintState(main);
        return true;
    } else if (word == "watch-run") {
        return WatchRun();
    } else if (word == "wait-progress") {
        return WaitProgress(std::atoi(arg.c_str()));
    } else if (word == "click") {
        return Click(std::atoi(arg.c_str()));
    } else if (word == "radio") {
        return Radio(std::atoi(arg.c_str()));
    } else if (word == "exit" || word == "escape" || word == "close") {
        return EndMain(word);
    } else if (word == "about") {
        return About();
    } else if (word == "wait-box") {
        return WaitBox();
    } else if (word == "ok") {
        return Ok();
    } else if (word == "screenshot") {
        return Screenshot(arg);
    } else if (word == "wait-exit") {
        return WaitExit();
    }
    return Fail("unknown step");
}

std::vector<std::string> ReadScript(const char* path) {
    std::vector<std::string> steps;
    FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return steps;
    }
    char line[1024];
    while (std::fgets(line, sizeof line, file) != nullptr) {
        std::string step = Trim(line);
        if (!step.empty() && step[0] != '#') {
            steps.push_back(step);
        }
    }
    std::fclose(file);
    return steps;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> steps;
    DWORD seconds = 120;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--setup" && i + 1 < argc) {
            setupPath = argv[++i];
        } else if (arg == "--deadline" && i + 1 < argc) {
            seconds = static_cast<DWORD>(std::atoi(argv[++i]));
        } else if (arg == "--script" && i + 1 < argc) {
            std::vector<std::string> more = ReadScript(argv[++i]);
            steps.insert(steps.end(), more.begin(), more.end());
        } else {
            steps.push_back(Trim(arg));
        }
    }
    if (setupPath.empty()) {
        std::fprintf(stderr,
                     "usage: setupdriver --setup PATH [--deadline S] [--script FILE] "
                     "[STEP...]\n");
        return 2;
    }
    deadline = GetTickCount() + seconds * 1000;
    for (const std::string& step : steps) {
        if (!RunStep(step)) {
            return 3;
        }
    }
    if (started && !exitReported) {
        currentStep = "(end of script) wait-exit";
        if (!WaitExit()) {
            return 3;
        }
    }
    return 0;
}
