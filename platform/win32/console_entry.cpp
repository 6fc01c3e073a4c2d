// The entry point of a console program held to Setup.exe's rules
// (pkgcheck.exe). Like Setup.exe it starts without the runtime's start-up
// code (built for the Pentium Pro, and importing MSVCRT.DLL, which the loader
// would look for beside the program first): it splits its command line itself
// and writes what the program's body gives with WriteFile.
#include <string>
#include <vector>

#include "platform/command_words.h"
#include "platform/console_main.h"
#include "platform/win32/lean_start.h"
#include "platform/win32/win32_api.h"

namespace {

bool IsLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

// The text with CRLF line ends, as the C runtime's text mode wrote it, in
// pieces that a console of any Windows takes in one write.
void Write(DWORD which, const std::string& text) {
    HANDLE handle = GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    std::string lines;
    for (char c : text) {
        if (c == '\n') {
            lines += '\r';
        }
        lines += c;
    }
    constexpr std::size_t kPiece = 4096;
    for (std::size_t at = 0; at < lines.size();) {
        std::size_t size = lines.size() - at < kPiece ? lines.size() - at : kPiece;
        DWORD done = 0;
        if (!WriteFile(handle, lines.data() + at, static_cast<DWORD>(size), &done, nullptr) ||
            done == 0) {
            return;
        }
        at += done;
    }
}

}  // namespace

extern "C" __attribute__((force_align_arg_pointer, noreturn)) void ConsoleEntry() {
    RunStaticConstructors();
    std::vector<std::string> words = SplitCommandLine(GetCommandLineA(), IsLeadByte);
    std::vector<const char*> argv;
    for (const std::string& word : words) {
        argv.push_back(word.c_str());
    }
    std::string report;
    std::string errors;
    int status = ConsoleMain(static_cast<int>(argv.size()), argv.data(), report, errors);
    Write(STD_OUTPUT_HANDLE, report);
    Write(STD_ERROR_HANDLE, errors);
    ExitProcess(static_cast<UINT>(status));
}
