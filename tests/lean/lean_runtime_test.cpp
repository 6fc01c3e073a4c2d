// The shipped images' own C functions and red-black tree steps
// (platform/win32/lean_crt.cpp, lean_tree.cpp), tested in an image built as
// they are: the host tests run the system's C library instead. Each function
// meets the system's MSVCRT.DLL, loaded by its full path, on a table of
// cases; the tree meets a sorted list under random inserts and erases.
//
//   lean_runtime_test.exe     exit 0 when every case agrees, 1 otherwise
#include <windows.h>

#include <string.h>

#include <algorithm>
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

// A found position as its offset in the text, -1 for none.
long Offset(const void* found, const void* text) {
    return found == nullptr ? -1L
                            : static_cast<long>(static_cast<const char*>(found) -
                                                static_cast<const char*>(text));
}

long Sign(int value) {
    return (value > 0) - (value < 0);
}

long Size(std::size_t size) {
    return static_cast<long>(size);
}

HMODULE library;

// The C library's function of that name, of the type of ours.
template <typename Function>
Function Theirs(const char* name, Function) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

// Ours and the C library's function on the same arguments give the same
// answer, as `seen` makes it comparable.
template <typename Function, typename Seen, typename... Args>
void Agree(const std::string& args, const char* name, Function ours, Seen seen, Args... values) {
    long mine = seen(ours(values...));
    long its = seen(Theirs(name, ours)(values...));
    if (mine != its) {
        Fail(name + args + ": " + std::to_string(mine) + ", the C library's " +
             std::to_string(its));
    }
}

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

// A call is named by its row's place in the table, from 0.
void CheckTexts() {
    for (std::size_t i = 0; i < sizeof kTexts / sizeof *kTexts; ++i) {
        const char* text = kTexts[i][0];
        const char* other = kTexts[i][1];
        auto at = [text](const void* found) { return Offset(found, text); };
        std::string args = " on row " + std::to_string(i);
        Agree(args, "strpbrk", ::strpbrk, at, text, other);
        Agree(args, "strstr", ::strstr, at, text, other);
        Agree(args, "strcmp", ::strcmp, Sign, text, other);
        Agree(args, "strlen", ::strlen, Size, text);
        for (int c : {static_cast<int>(static_cast<unsigned char>(other[0])), 0, int{'b'}}) {
            std::string call = args + " for " + std::to_string(c);
            Agree(call, "strchr", ::strchr, at, text, c);
            Agree(call, "strrchr", ::strrchr, at, text, c);
        }
    }
}

constexpr std::size_t kSize = 8;

// `step` on a copy of `start`, once with ours and once with the C library's
// function: the same place returned and the same bytes left.
template <typename Function, typename Step>
void SameBytes(const std::string& what, const char* name, Function ours, const unsigned char* start,
               Step step) {
    unsigned char mine[kSize], its[kSize];
    for (std::size_t i = 0; i < kSize; ++i) {
        mine[i] = its[i] = start[i];
    }
    if (Offset(step(ours, mine), mine) != Offset(step(Theirs(name, ours), its), its) ||
        ::memcmp(mine, its, kSize) != 0) {
        Fail(std::string(name) + " " + what + ": not as the C library's");
    }
}

// The byte functions on every length of two buffers whose first difference
// is a byte above 0x7F, and moves that overlap either way.
void CheckBytes() {
    const unsigned char a[kSize] = {1, 0x95, 0x5C, 0, 7, 0x80, 0x7F, 0xFF};
    const unsigned char b[kSize] = {1, 0x95, 0x5C, 0, 7, 0x80, 0x90, 0x01};
    const unsigned char zero[kSize] = {};
    auto inA = [&a](const void* found) { return Offset(found, a); };
    for (std::size_t size = 0; size <= kSize; ++size) {
        std::string n = std::to_string(size) + " bytes";
        // A char above 0x7F arrives as a negative int.
        for (int value : {0x5C, 0xFF, 0x7F + 0x100, -0x6B, 2}) {
            Agree("(a, " + std::to_string(value) + ", " + n + ")", "memchr", ::memchr, inA, a,
                  value, size);
        }
        Agree("(a, b, " + n + ")", "memcmp", ::memcmp, Sign, a, b, size);
        Agree("(b, a, " + n + ")", "memcmp", ::memcmp, Sign, b, a, size);
        auto fromA = [&a, size](auto copy, unsigned char* to) { return copy(to, a, size); };
        SameBytes(n, "memcpy", ::memcpy, zero, fromA);
        SameBytes(n, "memmove", ::memmove, zero, fromA);
        SameBytes(n, "memset", ::memset, zero,
                  [size](auto fill, unsigned char* to) { return fill(to, 0x1A5, size); });
        for (std::size_t by = 1; size + by <= kSize; by += 2) {
            std::string what = n + " by " + std::to_string(by);
            SameBytes(what + " up", "memmove", ::memmove, a,
                      [size, by](auto move, unsigned char* to) { return move(to + by, to, size); });
            SameBytes(what + " down", "memmove", ::memmove, a,
                      [size, by](auto move, unsigned char* to) { return move(to, to + by, size); });
        }
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
        auto at = std::lower_bound(sorted.begin(), sorted.end(), key);
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
    if (length > 0 && length < MAX_PATH) {
        lstrcpyA(path + length, "\\msvcrt.dll");
        library = LoadLibraryA(path);
    }
    if (library == nullptr) {
        Fail("no msvcrt.dll in the system folder");
    } else {
        CheckTexts();
        CheckBytes();
    }
    CheckTree();
    std::string report = failures.empty() ? "every case agrees\r\n" : failures;
    DWORD done = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report.data(), static_cast<DWORD>(report.size()),
              &done, nullptr);
    ExitProcess(failures.empty() ? 0 : 1);
}
