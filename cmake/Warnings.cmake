# Project-wide compiler flags: warnings for every target of ours, optional sanitizers.
add_library(torvix_warnings INTERFACE)
target_compile_options(torvix_warnings INTERFACE -Wall -Wextra)
if(TORVIX_WERROR)
    target_compile_options(torvix_warnings INTERFACE -Werror)
endif()

if(TORVIX_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    # GCC's flow analysis gives false "maybe uninitialized" reports inside the standard library
    # when the sanitizers rewrite the code; the plain build keeps the warning.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
    add_link_options(-fsanitize=address,undefined)
endif()

# torvix_target(NAME): the common settings of every target we build.
function(torvix_target name)
    target_link_libraries(${name} PRIVATE torvix_warnings)
endfunction()
