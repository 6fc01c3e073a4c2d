// The few C library functions the shipped images' code calls, so that
// Setup.exe and pkgcheck.exe import nothing from MSVCRT.DLL: a DLL that
// Windows 2000 and XP do not count among their known DLLs and that a Windows
// 95 may not have at all, so the loader would look for it in the program's
// folder first. Compiled without the compiler's builtins, so that no loop here
// becomes a call to itself.
#include <cstddef>

#include "platform/win32/win32_api.h"

extern "C" {

void* malloc(std::size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void free(void* block) {
    if (block != nullptr) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

// As the runtime's abort ends a program.
void abort() {
    ExitProcess(3);
}

// The destructors of static objects are never run: the images end with
// ExitProcess, and the system takes back what those objects hold.
int atexit(void (*)()) {
    return 0;
}

void* memcpy(void* to, const void* from, std::size_t size) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    while (size-- > 0) {
        *out++ = *in++;
    }
    return to;
}

void* memmove(void* to, const void* from, std::size_t size) {
    auto* out = static_cast<unsigned char*>(to);
    const auto* in = static_cast<const unsigned char*>(from);
    if (out < in) {
        while (size-- > 0) {
            *out++ = *in++;
        }
    } else {
        while (size-- > 0) {
            out[size] = in[size];
        }
    }
    return to;
}

void* memset(void* to, int value, std::size_t size) {
    auto* out = static_cast<unsigned char*>(to);
    while (size-- > 0) {
        *out++ = static_cast<unsigned char>(value);
    }
    return to;
}

int memcmp(const void* left, const void* right, std::size_t size) {
    const auto* a = static_cast<const unsigned char*>(left);
    const auto* b = static_cast<const unsigned char*>(right);
    for (; size > 0; --size, ++a, ++b) {
        if (*a != *b) {
            return *a < *b ? -1 : 1;
        }
    }
    return 0;
}

void* memchr(const void* data, int value, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (; size > 0; --size, ++p) {
        if (*p == static_cast<unsigned char>(value)) {
            return const_cast<unsigned char*>(p);
        }
    }
    return nullptr;
}

std::size_t strlen(const char* text) {
    const char* end = text;
    while (*end != '\0') {
        ++end;
    }
    return static_cast<std::size_t>(end - text);
}

int strcmp(const char* left, const char* right) {
    const auto* a = reinterpret_cast<const unsigned char*>(left);
    const auto* b = reinterpret_cast<const unsigned char*>(right);
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

char* strchr(const char* text, int value) {
    for (;; ++text) {
        if (*text == static_cast<char>(value)) {
            return const_cast<char*>(text);
        }
        if (*text == '\0') {
            return nullptr;
        }
    }
}

char* strrchr(const char* text, int value) {
    const char* last = nullptr;
    do {
        if (*text == static_cast<char>(value)) {
            last = text;
        }
    } while (*text++ != '\0');
    return const_cast<char*>(last);
}

char* strpbrk(const char* text, const char* accept) {
    for (; *text != '\0'; ++text) {
        for (const char* a = accept; *a != '\0'; ++a) {
            if (*text == *a) {
                return const_cast<char*>(text);
            }
        }
    }
    return nullptr;
}

char* strstr(const char* text, const char* part) {
    for (;; ++text) {
        const char* t = text;
        const char* p = part;
        while (*p != '\0' && *t == *p) {
            ++t;
            ++p;
        }
        if (*p == '\0') {
            return const_cast<char*>(text);
        }
        if (*text == '\0') {
            return nullptr;
        }
    }
}

}  // extern "C"
