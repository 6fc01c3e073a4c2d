// Setup.exe has no use for the C++ runtime's error reporting: the verbose
// terminate handler brings a demangler and printf, and the exception throwers
// bring the standard exception classes, together most of the image. Nothing in
// the program throws or catches; where the runtime would throw (memory
// exhausted, a container misused) the program ends, as an exception nobody
// catches would end it. Linked into Setup.exe only: the tests keep the
// runtime's own.
//
// The allocation functions are here for the same reason: the runtime's
// operator new throws std::bad_alloc, which brings the whole unwinder (and
// with it most of the Pentium Pro instructions of the image).
#include <cstdlib>
#include <new>

namespace {

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
