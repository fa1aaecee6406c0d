# Gives a Windows executable its icon, version information and manifest.
set(SORVIK_WINDOWS_RESOURCES_DIR ${CMAKE_CURRENT_LIST_DIR}/windows)

function(sorvik_add_windows_resources target description)
    set(SORVIK_EXE_NAME ${target})
    set(SORVIK_EXE_DESCRIPTION ${description})
    set(SORVIK_ICON ${PROJECT_SOURCE_DIR}/app/icons/sorvik.ico)
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    set(SORVIK_MANIFEST ${manifest})
    configure_file(${SORVIK_WINDOWS_RESOURCES_DIR}/program.manifest.in ${manifest} @ONLY)
    configure_file(${SORVIK_WINDOWS_RESOURCES_DIR}/program.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    # windres does not see what the resource file pulls in.
    set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES
                                OBJECT_DEPENDS "${manifest};${SORVIK_ICON}")
endfunction()
