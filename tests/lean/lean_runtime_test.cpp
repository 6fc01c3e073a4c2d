// The shipped images' own C functions and red-black tree steps
// (platform/win32/lean_crt.cpp, lean_tree.cpp), tested in an image built as
// they are: the host tests run the system's C library instead. Each function
// meets the system's MSVCRT.DLL, loaded by its full path, on a table of
// cases; the tree meets a sorted list under random inserts and erases.
//
//   lean_runtime_test.exe     exit 0 when every case agrees, 1 otherwise
#include <windows.h>

#include <string.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/lean_start.h"

namespace {

std::string failures;

void Fail(const std::string& what) {
    failures += what + "\r\n";
}

std::string Shown(const char* text) {
    std::string shown = "\"";
    for (const char* p = text; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 || c >= 0x7F) {
            shown += "\\x";
            shown += "0123456789ABCDEF"[c >> 4];
            shown += "0123456789ABCDEF"[c & 0xF];
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown + "\"";
}

// A found position as its offset in the text, -1 for none.
long Offset(const void* found, const void* text) {
    return found == nullptr ? -1L
                            : static_cast<long>(static_cast<const char*>(found) -
                                                static_cast<const char*>(text));
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

void Expect(const std::string& call, long ours, long library) {
    if (ours != library) {
        Fail(call + ": " + std::to_string(ours) + ", the C library's " + std::to_string(library));
    }
}

template <typename Call>
Call Bind(HMODULE library, const char* name) {
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

using FindText = char* (*)(const char*, const char*);
using FindChar = char* (*)(const char*, int);
using Compare = int (*)(const char*, const char*);
using Length = std::size_t (*)(const char*);
using FindByte = void* (*)(const void*, int, std::size_t);
using CompareBytes = int (*)(const void*, const void*, std::size_t);
using CopyBytes = void* (*)(void*, const void*, std::size_t);
using FillBytes = void* (*)(void*, int, std::size_t);

// Pairs of texts: a text and a set, a part, a character or another text.
// The first rows tell a bare INF name from a path, as the package reader does.
const char* const kTexts[][2] = {
    {"..\\X.INF", "\\/:"},
    {"SUB\\X.INF", "\\/:"},
    {"C:X.INF", "\\/:"},
    {"SUB/X.INF", "\\/:"},
    {"NIMBLEFD.INF", "\\/:"},
    {"\\X.INF", "\\"},
    {"", "\\"},
    {"abc", ""},
    {"", ""},
    {"aab", "ab"},
    {"abcabc", "ca"},
    {"abc", "abcd"},
    {"ab", "abc"},
    {"abc", "abc"},
    {"\x95\x5C", "\\"},
    {"a\x95", "a\x7F"},
    {"\xFF", "\x01"},
};

void CheckTexts(HMODULE library) {
    struct TextCall {
        const char* name;
        FindText ours;
    } finds[] = {{"strpbrk", ::strpbrk}, {"strstr", ::strstr}};
    struct CharCall {
        const char* name;
        FindChar ours;
    } chars[] = {{"strchr", ::strchr}, {"strrchr", ::strrchr}};
    Compare compare = ::strcmp;
    Length length = ::strlen;
    for (const auto& row : kTexts) {
        const char* text = row[0];
        const char* other = row[1];
        std::string args = "(" + Shown(text) + ", " + Shown(other) + ")";
        for (const TextCall& call : finds) {
            Expect(call.name + args, Offset(call.ours(text, other), text),
                   Offset(Bind<FindText>(library, call.name)(text, other), text));
        }
        for (const CharCall& call : chars) {
            for (int c : {static_cast<int>(static_cast<unsigned char>(other[0])), 0, int{'b'}}) {
                Expect(std::string(call.name) + "(" + Shown(text) + ", " + std::to_string(c) + ")",
                       Offset(call.ours(text, c), text),
                       Offset(Bind<FindChar>(library, call.name)(text, c), text));
            }
        }
        Expect("strcmp" + args, Sign(compare(text, other)),
               Sign(Bind<Compare>(library, "strcmp")(text, other)));
        Expect("strlen(" + Shown(text) + ")", static_cast<long>(length(text)),
               static_cast<long>(Bind<Length>(library, "strlen")(text)));
    }
}

// The byte functions on every length of two buffers that differ in their
// last bytes, with bytes above 0x7F, and moves that overlap either way.
void CheckBytes(HMODULE library) {
    const unsigned char a[] = {1, 0x95, 0x5C, 0, 7, 0x80, 9, 0xFF};
    const unsigned char b[] = {1, 0x95, 0x5C, 0, 7, 0x80, 0x7F, 0x01};
    constexpr std::size_t kSize = sizeof a;
    FindByte find = ::memchr;
    CompareBytes compare = ::memcmp;
    struct CopyCall {
        const char* name;
        CopyBytes ours;
    } copies[] = {{"memcpy", ::memcpy}, {"memmove", ::memmove}};
    FillBytes fill = ::memset;
    for (std::size_t size = 0; size <= kSize; ++size) {
        std::string n = std::to_string(size);
        for (int value : {0x5C, 0xFF, 0x7F + 0x100, 2}) {
            Expect("memchr(a, " + std::to_string(value) + ", " + n + ")",
                   Offset(find(a, value, size), a),
                   Offset(Bind<FindByte>(library, "memchr")(a, value, size), a));
        }
        Expect("memcmp(a, b, " + n + ")", Sign(compare(a, b, size)),
               Sign(Bind<CompareBytes>(library, "memcmp")(a, b, size)));
        Expect("memcmp(b, a, " + n + ")", Sign(compare(b, a, size)),
               Sign(Bind<CompareBytes>(library, "memcmp")(b, a, size)));
        for (const CopyCall& call : copies) {
            unsigned char ours[kSize] = {};
            unsigned char theirs[kSize] = {};
            Expect(std::string(call.name) + " " + n + " bytes returns",
                   Offset(call.ours(ours, a, size), ours),
                   Offset(Bind<CopyBytes>(library, call.name)(theirs, a, size), theirs));
            Expect(std::string(call.name) + " " + n + " bytes copies",
                   ::memcmp(ours, theirs, kSize), 0);
        }
        for (std::size_t shift = 1; size + shift <= kSize; shift += 2) {
            unsigned char up[kSize], down[kSize], upRef[kSize], downRef[kSize];
            for (std::size_t i = 0; i < kSize; ++i) {
                up[i] = down[i] = upRef[i] = downRef[i] = a[i];
            }
            CopyBytes move = Bind<CopyBytes>(library, "memmove");
            ::memmove(up + shift, up, size);
            move(upRef + shift, upRef, size);
            ::memmove(down, down + shift, size);
            move(downRef, downRef + shift, size);
            std::string what = "memmove " + n + " bytes by " + std::to_string(shift);
            Expect(what + " up", ::memcmp(up, upRef, kSize), 0);
            Expect(what + " down", ::memcmp(down, downRef, kSize), 0);
        }
        unsigned char ours[kSize] = {};
        unsigned char theirs[kSize] = {};
        fill(ours, 0x1A5, size);
        Bind<FillBytes>(library, "memset")(theirs, 0x1A5, size);
        Expect("memset " + n + " bytes", ::memcmp(ours, theirs, kSize), 0);
    }
}

// Black nodes on every path from `node` down, or -1 where the red-black rules
// break (a red node with a red child, paths of unequal black count).
int BlackHeight(const std::_Rb_tree_node_base* node) {
    if (node == nullptr) {
        return 1;
    }
    bool red = node->_M_color == std::_S_red;
    for (const std::_Rb_tree_node_base* child : {node->_M_left, node->_M_right}) {
        if (child != nullptr &&
            (child->_M_parent != node || (red && child->_M_color == std::_S_red))) {
            return -1;
        }
    }
    int left = BlackHeight(node->_M_left);
    int right = BlackHeight(node->_M_right);
    return left < 0 || left != right ? -1 : left + (red ? 0 : 1);
}

// Inserts and erases of pseudo-random keys; after each step the set walks
// forward and back as the sorted list does, and keeps the red-black rules.
void CheckTree() {
    std::set<int> tree;
    std::vector<int> sorted;
    unsigned seed = 12345;
    for (int step = 0; step < 3000 && failures.empty(); ++step) {
        seed = seed * 1103515245u + 12345u;
        int key = static_cast<int>((seed >> 16) % 200);
        bool insert = step < 1500 ? (seed & 3) != 0 : (seed & 3) == 0;
        auto at = sorted.begin();
        while (at != sorted.end() && *at < key) {
            ++at;
        }
        bool present = at != sorted.end() && *at == key;
        if (insert && !present) {
            sorted.insert(at, key);
            tree.insert(key);
        } else if (!insert && present) {
            sorted.erase(at);
            tree.erase(key);
        }
        std::vector<int> forward(tree.begin(), tree.end());
        std::vector<int> back(tree.rbegin(), tree.rend());
        std::vector<int> reversed(sorted.rbegin(), sorted.rend());
        const std::_Rb_tree_node_base* header = tree.end()._M_node;
        const std::_Rb_tree_node_base* root = header->_M_parent;
        if (forward != sorted || back != reversed || tree.size() != sorted.size()) {
            Fail("the tree after step " + std::to_string(step) + " holds other keys");
        } else if (root != nullptr && (root->_M_color != std::_S_black || BlackHeight(root) < 0)) {
            Fail("the tree after step " + std::to_string(step) + " breaks the red-black rules");
        }
    }
}

}  // namespace

extern "C" __attribute__((force_align_arg_pointer, noreturn)) void LeanRuntimeTestEntry() {
    RunStaticConstructors();
    char path[MAX_PATH + 16];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    HMODULE library = nullptr;
    if (length > 0 && length < MAX_PATH) {
        lstrcpyA(path + length, "\\msvcrt.dll");
        library = LoadLibraryA(path);
    }
    if (library == nullptr) {
        Fail("no msvcrt.dll in the system folder");
    } else {
        CheckTexts(library);
        CheckBytes(library);
    }
    CheckTree();
    std::string report = failures.empty() ? "every case agrees\r\n" : failures;
    DWORD done = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report.data(), static_cast<DWORD>(report.size()),
              &done, nullptr);
    ExitProcess(failures.empty() ? 0 : 1);
}
