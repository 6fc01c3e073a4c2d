# Holds a shipped image to the Windows 98 import rules after each link: every
# DLL!function it imports must be on the reviewed list, and what it takes from
# KERNEL32, ADVAPI32 and MSVCRT must exist on Windows 98. A failed check leaves
# no stamp, so the next build checks again.
set(WIN98_IMPORTS_ALLOWED ${PROJECT_SOURCE_DIR}/resources/imports-allowed.txt)
# The functions KERNEL32, ADVAPI32 and MSVCRT export on Windows 98.
set(WIN98_EXPORT_LISTS ${PROJECT_SOURCE_DIR}/cmake/win98-exports)

# With NO_CMOV, the image must hold no CMOV or FCMOV instruction either;
# ALLOWED names a reviewed list of the image's own in place of the program's.
# Only the i686 images ship; the x86_64 twin has imports of its own kind.
function(win98_check_imports target)
    if(NOT WIN98_SHIPPED_ARCH)
        return()
    endif()
    cmake_parse_arguments(PARSE_ARGV 1 check "NO_CMOV" "ALLOWED" "")
    set(allowed ${WIN98_IMPORTS_ALLOWED})
    if(check_ALLOWED)
        set(allowed ${check_ALLOWED})
    endif()
    set(no_cmov)
    if(check_NO_CMOV)
        set(no_cmov --no-cmov)
    endif()
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}.imports-checked)
    add_custom_command(
        OUTPUT ${stamp}
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-imports --objdump ${CMAKE_OBJDUMP}
                --lists ${WIN98_EXPORT_LISTS} ${no_cmov} $<TARGET_FILE:${target}> ${allowed}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${target} ${allowed} ${PROJECT_SOURCE_DIR}/scripts/check-imports
        COMMENT "Checking the imports of ${target}"
        VERBATIM)
    add_custom_target(${target}_imports ALL DEPENDS ${stamp})
endfunction()
