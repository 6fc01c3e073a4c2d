# Cross-build for 64-bit Windows: the twin of the shipped images, for running
# the Windows tests under 64-bit Wine on machines that execute no 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
