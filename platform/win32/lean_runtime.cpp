// Setup.exe has no use for the C++ runtime's error reporting: the verbose
// terminate handler brings a demangler and printf, and the exception throwers
// bring the standard exception classes, together most of the image. Nothing in
// the program throws or catches; where the runtime would throw (memory
// exhausted, a container misused) the program ends, as an exception nobody
// catches would end it. Linked into Setup.exe only: the tests keep the
// runtime's own.
#include <cstdlib>

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
