# The English texts ship as UTF-16 (Language-en.ini), made from their UTF-8
# source beside the program that target builds.
set(DRAVIK_ENGLISH_SOURCE ${PROJECT_SOURCE_DIR}/resources/Language-en.utf8.ini)
set(DRAVIK_ENGLISH_NAME Language-en.ini)

function(dravik_english_texts target)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${DRAVIK_ENGLISH_NAME})
    string(MAKE_C_IDENTIFIER "english_texts_${CMAKE_CURRENT_BINARY_DIR}" made)
    if(NOT TARGET ${made})
        add_custom_command(
            OUTPUT ${output}
            COMMAND python3 ${PROJECT_SOURCE_DIR}/resources/make_utf16.py
                    ${DRAVIK_ENGLISH_SOURCE} ${output}
            DEPENDS ${DRAVIK_ENGLISH_SOURCE} ${PROJECT_SOURCE_DIR}/resources/make_utf16.py
            COMMENT "Writing the English texts as UTF-16")
        add_custom_target(${made} DEPENDS ${output})
    endif()
    add_dependencies(${target} ${made})
    set(DRAVIK_ENGLISH_FILE ${output} PARENT_SCOPE)
endfunction()
