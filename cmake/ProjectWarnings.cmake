option(DRAVIK_WERROR "Treat warnings as errors" OFF)

function(dravik_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wnon-virtual-dtor
        -Wold-style-cast -Woverloaded-virtual)
    if(DRAVIK_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
