// The shipped images (Setup.exe, pkgcheck.exe) start at entry points of their
// own, without the runtime's start-up code (built for the Pentium Pro), and
// have no use for the C++ runtime's error reporting: the verbose
// terminate handler brings a demangler and printf, and the exception throwers
// bring the standard exception classes, together most of the image. Nothing in
// the program throws or catches; where the runtime would throw (memory
// exhausted, a container misused) the program ends, as an exception nobody
// catches would end it. Linked into the shipped images only: the tests keep
// the runtime's own.
//
// The allocation functions are here for the same reason: the runtime's
// operator new throws std::bad_alloc, which brings the whole unwinder (and
// with it most of the Pentium Pro instructions of the image).
#include <cstdlib>
#include <new>

#include "platform/win32/lean_start.h"

namespace {

// The static constructors as the linker lists them: a count (or -1 when it
// did not count them), the functions, then a null.
extern "C" void (*__CTOR_LIST__[])();

// A distinct block even for size 0, as operator new must give.
void* Allocate(std::size_t size) {
    return std::malloc(size != 0 ? size : 1);
}

void* AllocateOrEnd(std::size_t size) {
    void* block = Allocate(size);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

}  // namespace

void RunStaticConstructors() {
    std::size_t count = reinterpret_cast<std::size_t>(__CTOR_LIST__[0]);
    if (count == static_cast<std::size_t>(-1)) {
        count = 0;
        while (__CTOR_LIST__[count + 1] != nullptr) {
            ++count;
        }
    }
    for (std::size_t i = count; i >= 1; --i) {
        __CTOR_LIST__[i]();
    }
}

void* operator new(std::size_t size) {
    return AllocateOrEnd(size);
}
void* operator new[](std::size_t size) {
    return AllocateOrEnd(size);
}
// The nothrow forms answer nullptr: their callers handle a failed allocation.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete[](void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

namespace std {
// The runtime's own definition comes with its new-handler functions and their
// unwind tables, a section of the image to themselves.
const nothrow_t nothrow{};

void __throw_bad_alloc() {
    std::abort();
}
void __throw_bad_array_new_length() {
    std::abort();
}
void __throw_bad_function_call() {
    std::abort();
}
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_out_of_range(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
void __throw_invalid_argument(const char*) {
    std::abort();
}
}  // namespace std
