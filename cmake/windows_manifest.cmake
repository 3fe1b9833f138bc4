# Application manifests for the Windows programs. The resource compiler
# takes the manifest into the program as resource 1 of type 24 (RT_MANIFEST),
# which Windows reads when it starts the program.
enable_language(RC)

set(TRELVO_MANIFEST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/windows_manifest.xml.in)

# Gives the executable <target> the programs' one manifest: run as the user
# who starts it, not DPI-aware, the classic common controls, the Windows
# versions it is made for (windows_manifest.xml.in says why for each).
#   trelvo_windows_manifest(<target> [DESCRIPTION text])
function(trelvo_windows_manifest target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION" "")
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "EXECUTABLE")
        message(FATAL_ERROR "trelvo_windows_manifest(${target}): only a program takes a manifest")
    endif()
    set(TRELVO_MANIFEST_TARGET ${target})
    get_target_property(output_name ${target} OUTPUT_NAME)
    if(NOT output_name)
        set(output_name ${target})
    endif()
    set(TRELVO_MANIFEST_PROGRAM ${output_name}${CMAKE_EXECUTABLE_SUFFIX})
    set(TRELVO_MANIFEST_DESCRIPTION "${arg_DESCRIPTION}")
    if(NOT TRELVO_MANIFEST_DESCRIPTION)
        set(TRELVO_MANIFEST_DESCRIPTION "${PROJECT_DESCRIPTION}")
    endif()

    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.rc)
    configure_file(${TRELVO_MANIFEST_TEMPLATE} ${manifest} @ONLY)
    # German (Germany) like every resource of the programs; 1 is
    # CREATEPROCESS_MANIFEST_RESOURCE_ID, 24 is RT_MANIFEST.
    file(CONFIGURE OUTPUT ${script} CONTENT "LANGUAGE 7, 1\n1 24 \"${manifest}\"\n" @ONLY)
    set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS ${manifest})
    target_sources(${target} PRIVATE ${script})
endfunction()
