// The dialog templates as the dialog manager reads them from the resource
// object that Setup.exe links: each dialog's frame and, in creation order,
// every control's id, class, text, place and style, in dialog units.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD kFrame = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

// One dialog's frame (class: its font) or one control; id -1 for none.
struct Row {
    int dialog;
    int id;
    std::string kind;
    std::string text;
    int x, y, cx, cy;
    DWORD style;
    DWORD exStyle = 0;
};

std::string Format(const Row& r) {
    std::ostringstream out;
    out << r.dialog << ": " << r.id << " " << r.kind << " \"" << r.text << "\" " << r.x << ","
        << r.y << " " << r.cx << "x" << r.cy << std::hex << " style 0x" << r.style << " ex 0x"
        << r.exStyle;
    return out.str();
}

const Row kRows[] = {
    {143, 143, "MS Sans Serif 8", "Software License Agreement", 0, 0, 314, 253, kFrame},
    {143, IDOK, "BUTTON", "Yes", 198, 229, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {143, IDCANCEL, "BUTTON", "No", 256, 229, 50, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {143, 1018, "EDIT", "", 7, 35, 300, 168,
     kChild | ES_MULTILINE | ES_READONLY | WS_BORDER | WS_VSCROLL | ES_AUTOVSCROLL | WS_TABSTOP},
    {143, -1, "STATIC", "Do you accept all the terms of the preceding License Agreement ?", 9, 214,
     254, 11, kChild | SS_LEFT | WS_GROUP},
    {143, -1, "STATIC", "#128", 9, 5, 20, 20, kChild | SS_ICON},
    {143, -1, "STATIC", "Please read the following License Agreement.", 39, 14, 222, 10,
     kChild | SS_LEFT | WS_GROUP},
    {102, 102, "MS Sans Serif 8", "IDS_PROGRAM_NAME", 0, 0, 314, 253, kFrame, WS_EX_APPWINDOW},
    {102, IDCANCEL, "BUTTON", "IDS_CANCEL", 252, 229, 48, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {102, 1003, "BUTTON", "IDS_START", 198, 229, 48, 14, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {102, 1004, "MSCTLS_PROGRESS32", "Progress1", 103, 212, 199, 12, kChild | WS_BORDER},
    {102, 1006, "BUTTON", "IDS_INSTALL_OR_UPDATE", 109, 165, 153, 10,
     kChild | BS_AUTORADIOBUTTON | WS_TABSTOP},
    {102, 1007, "BUTTON", "IDS_UNINSTALL", 109, 183, 152, 10,
     kChild | BS_AUTORADIOBUTTON | WS_TABSTOP},
    {102, 1011, "BUTTON", "IDS_SELECT_INSTALL_UNINSTALL", 103, 150, 199, 51, kChild | BS_GROUPBOX},
    {102, 1008, "STATIC", "Copy files...", 103, 204, 146, 8, kChild | SS_LEFT | WS_GROUP},
    {102, 1013, "STATIC", "", 12, 9, 15, 15, kChild | SS_BITMAP | SS_NOTIFY},
    {102, 1014, "STATIC", "IDS_INSTRUCTION", 103, 10, 200, 138, kChild | SS_LEFT | WS_GROUP},
    // Clipped, so that it never paints over the logo above it.
    {102, -1, "STATIC", "#141", 10, 9, 79, 188, kChild | SS_BITMAP | SS_SUNKEN | WS_CLIPSIBLINGS},
    {100, 100, "MS Sans Serif 8", "IDS_ABOUTBOX + IDS_PROGRAM_NAME", 0, 0, 257, 59, kFrame},
    {100, -1, "STATIC", "#128", 9, 16, 21, 23, kChild | SS_ICON},
    {100, 1010, "STATIC", "IDS_VER_COPYRIGHT", 37, 11, 159, 34,
     kChild | SS_LEFT | SS_NOPREFIX | WS_GROUP},
    {100, IDOK, "BUTTON", "OK", 200, 7, 50, 14, kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
};

// A DLGTEMPLATE and its DLGITEMTEMPLATEs (see the platform documentation).
std::vector<Row> Compiled(int dialog) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(dialog), MAKEINTRESOURCEA(5));
    const BYTE* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    const BYTE* at = base;
    auto word = [&] {
        WORD w;
        std::memcpy(&w, at, 2);
        at += 2;
        return static_cast<short>(w);
    };
    auto dword = [&] { return DWORD(WORD(word())) | DWORD(WORD(word())) << 16; };
    // A text, or a number or predefined class after 0xFFFF; class names in
    // capitals, as the dialog manager matches them.
    auto text = [&](bool isClass) {
        static const char* const kClasses[] = {"BUTTON", "EDIT", "STATIC"};
        std::string out;
        for (int c = WORD(word()); c != 0; c = WORD(word())) {
            if (c == 0xFFFF) {
                int n = word();
                return isClass && n >= 0x80 && n <= 0x82 ? kClasses[n - 0x80]
                                                         : "#" + std::to_string(n);
            }
            out += char(isClass ? std::toupper(c) : c);
        }
        return out;
    };
    if (found == nullptr)
        return {};
    Row frame{dialog, dialog, "", "", 0, 0, 0, 0, dword(), dword()};
    int count = word();
    frame.x = word(), frame.y = word(), frame.cx = word(), frame.cy = word();
    text(false), text(false);  // menu, class
    frame.text = text(false);
    if (frame.style & DS_SETFONT) {
        std::string points = std::to_string(word());
        frame.kind = text(false) + " " + points;
    }
    std::vector<Row> rows{frame};
    for (int i = 0; i < count; ++i) {
        at = base + ((at - base + 3) & ~3);
        Row c{dialog, 0, "", "", 0, 0, 0, 0, dword(), dword()};
        c.x = word(), c.y = word(), c.cx = word(), c.cy = word(), c.id = word();
        c.kind = text(true);
        c.text = text(false);
        at += word();  // creation data
        rows.push_back(c);
    }
    return rows;
}

// One line a control, so that a failure shows the lines that differ.
TEST(DialogTemplates, HoldTheDialogsAsTheyAreShown) {
    std::string compiled, expected;
    for (int dialog : {143, 102, 100}) {
        for (const Row& row : Compiled(dialog))
            compiled += Format(row) + "\n";
    }
    for (const Row& row : kRows)
        expected += Format(row) + "\n";
    EXPECT_EQ(compiled, expected);
}

}  // namespace
