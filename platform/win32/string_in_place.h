// Forced into the shipped code of the Windows build (see win98.cmake): the
// members of std::string that the program uses are compiled with it, instead
// of the runtime's whole explicit instantiation, which would bring every
// member, the exception machinery behind them and their Pentium Pro code.
#include <bits/c++config.h>

#undef _GLIBCXX_EXTERN_TEMPLATE
// -1: no extern templates for basic_string only; the rest stays as it was.
#define _GLIBCXX_EXTERN_TEMPLATE -1
