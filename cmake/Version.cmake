# The release's version lives in VERSION alone: the project, the programs' version resources
# and the installers (installer/make-installer) all take it from there.
set(DRAVIK_VERSION_FILE ${CMAKE_CURRENT_LIST_DIR}/../VERSION)
file(STRINGS ${DRAVIK_VERSION_FILE} DRAVIK_VERSION LIMIT_COUNT 1 REGEX "^[0-9]+\\.[0-9]+\\.[0-9]+$")
if(NOT DRAVIK_VERSION)
    message(FATAL_ERROR "VERSION must hold one line MAJOR.MINOR.PATCH")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${DRAVIK_VERSION_FILE})

# Gives a Windows program a version resource with the project's version.
function(dravik_version_resource target description)
    set(DRAVIK_TARGET ${target})
    set(DRAVIK_DESCRIPTION ${description})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()
