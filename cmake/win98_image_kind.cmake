# Which Windows image a build makes, from its processor and pointer size:
#   SHIPPED  32-bit x86, however the processor is spelled (i386 to i686, x86):
#            the image that ships, held to every Windows 98 image rule;
#   TWIN     x86_64 (or AMD64): the twin for the tests under 64-bit Wine.
# Anything else stops the configure: an image that no rule was held to must
# not come out of a build by a spelling nobody thought of.
function(win98_image_kind processor pointer_size out)
    string(TOLOWER "${processor}" spelled)
    if(pointer_size EQUAL 4 AND spelled MATCHES "^(i[3-6]86|x86)$")
        set(${out} SHIPPED PARENT_SCOPE)
    elseif(pointer_size EQUAL 8 AND spelled MATCHES "^(x86_64|amd64)$")
        set(${out} TWIN PARENT_SCOPE)
    else()
        message(FATAL_ERROR "No Windows image rules for the processor '${processor}' with "
                            "${pointer_size}-byte pointers: build for i686 (shipped) or x86_64.")
    endif()
endfunction()
