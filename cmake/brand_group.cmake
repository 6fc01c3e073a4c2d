# The brand group whose texts the build shows. 0 is the generic group (ids 300
# to 303); group k of 1 to 6 has a label row at 304 + 5(k - 1) and its four
# texts after it. Group 6 (ids 330 to 333) is this product's. Every target
# sees the group's first text id as BRAND_GROUP_FIRST_ID.
set(SETUP_BRAND_GROUP 6 CACHE STRING "Brand group of the build: 0 generic, 1 to 6")
set_property(CACHE SETUP_BRAND_GROUP PROPERTY STRINGS 0 1 2 3 4 5 6)
if(NOT SETUP_BRAND_GROUP MATCHES "^[0-6]$")
    message(FATAL_ERROR "SETUP_BRAND_GROUP must be 0 to 6, not '${SETUP_BRAND_GROUP}'")
endif()
if(SETUP_BRAND_GROUP EQUAL 0)
    set(SETUP_BRAND_FIRST_ID 300)
else()
    math(EXPR SETUP_BRAND_FIRST_ID "305 + 5 * (${SETUP_BRAND_GROUP} - 1)")
endif()
add_compile_definitions(BRAND_GROUP_FIRST_ID=${SETUP_BRAND_FIRST_ID})
