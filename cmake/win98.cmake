# The Windows 98 image rules: headers that hide newer calls, a Pentium-safe
# instruction set for our own code, a 4.0 subsystem and a static runtime.
add_compile_definitions(
    WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_WINDOWS=0x0410 _WIN32_IE=0x0401
    WIN32_LEAN_AND_MEAN NOMINMAX)
# The x86_64 twin (tests only) runs on no Pentium; the shipped i686 image does.
include(${CMAKE_CURRENT_LIST_DIR}/win98_image_kind.cmake)
win98_image_kind("${CMAKE_SYSTEM_PROCESSOR}" "${CMAKE_SIZEOF_VOID_P}" WIN98_IMAGE_KIND)
if(WIN98_IMAGE_KIND STREQUAL "SHIPPED")
    set(WIN98_SHIPPED_ARCH ON)
    add_compile_options(-march=i586)
else()
    set(WIN98_SHIPPED_ARCH OFF)
endif()
# Optimised for size: the program waits on its user and the system, never on
# its own code, and a smaller image loads sooner from a floppy or a slow disk.
set(CMAKE_CXX_FLAGS_RELEASE "-Os")

# Link options of every shipped image (tests use them too, so that what they
# exercise is what ships).
set(WIN98_LINK_OPTIONS
    -static -static-libgcc -static-libstdc++
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0
    -Wl,--disable-dynamicbase -Wl,--disable-nxcompat -Wl,--no-insert-timestamp)

# CFGMGR32 first: the SETUPAPI import library carries CM_* stubs too.
set(WIN98_SYSTEM_LIBS cfgmgr32 setupapi comctl32 advapi32 gdi32 user32 kernel32)

# A GUI image of the Windows 98 kind.
function(win98_gui_image target)
    target_link_options(${target} PRIVATE ${WIN98_LINK_OPTIONS} -mwindows -s
                        -Wl,--subsystem,windows:4.0)
    target_link_libraries(${target} PRIVATE ${WIN98_SYSTEM_LIBS})
endfunction()

# Shipped code (the program's libraries, Setup.exe and pkgcheck.exe): nothing
# in it throws, so no exceptions and no unwind tables, which with the runtime's
# unwinder made a third of the image; one thread, so no locks around the first
# use of a function's static object (the runtime's lock brings the unwinder
# too); no run-time type records (nothing asks a type at run time) and no
# frame pointer (nothing walks the stack); sections the linker can drop one by
# one; std::string's members compiled in place
# (platform/win32/string_in_place.h).
function(win98_lean_code target)
    target_compile_options(${target} PRIVATE
        -fno-exceptions -fno-asynchronous-unwind-tables -fno-threadsafe-statics -fno-rtti -fomit-frame-pointer
        -ffunction-sections -fdata-sections
        -include ${PROJECT_SOURCE_DIR}/platform/win32/string_in_place.h)
endfunction()

# A console image (pkgcheck.exe, test programs).
function(win98_console_image target)
    target_link_options(${target} PRIVATE ${WIN98_LINK_OPTIONS} -Wl,--subsystem,console:4.0)
    target_link_libraries(${target} PRIVATE ${WIN98_SYSTEM_LIBS})
endfunction()

# A shipped program's image: lean code, and an entry point of its own
# (SetupEntry, or the function ENTRY names) in place of the runtime's start-up
# code, which is built for the Pentium Pro (CMOV). The image is then held to
# having no CMOV at all (win98_check_imports). CONSOLE: a console program.
function(win98_program_image target)
    cmake_parse_arguments(PARSE_ARGV 1 image "CONSOLE" "ENTRY" "")
    if(image_CONSOLE)
        win98_console_image(${target})
        target_link_options(${target} PRIVATE -s)
    else()
        win98_gui_image(${target})
    endif()
    win98_lean_code(${target})
    set(entry SetupEntry)
    if(image_ENTRY)
        set(entry ${image_ENTRY})
    endif()
    # The i686 C names carry a leading underscore.
    if(WIN98_SHIPPED_ARCH)
        set(entry _${entry})
    endif()
    # No base relocations: an EXE loads at its preferred base on every Windows
    # it serves, each giving it an address space of its own; the platform's
    # own linker leaves them out of an EXE too.
    target_link_options(${target} PRIVATE -nostartfiles -Wl,-e,${entry} -Wl,--gc-sections
                        -Wl,--disable-reloc-section)
endfunction()
