# trelvo_header_only(NAME HEADER_DIR): an INTERFACE target NAME for a
# header-only library installed as the folder HEADER_DIR (such as
# /usr/include/CLI). Its include path is a folder of the build tree that
# holds only a link to HEADER_DIR, so a cross compiler finds this library
# without seeing the rest of the host's /usr/include, whose headers are for
# the host's C library. SYSTEM: its warnings are not ours to fail on.
function(trelvo_header_only name header_dir)
    if(NOT IS_DIRECTORY ${header_dir})
        message(FATAL_ERROR "trelvo_header_only(${name}): no folder ${header_dir}; "
                            "scripts/install-deps installs the libraries the build needs")
    endif()
    get_filename_component(leaf ${header_dir} NAME)
    set(root ${CMAKE_BINARY_DIR}/header_only/${name})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${header_dir} ${root}/${leaf} SYMBOLIC)
    add_library(${name} INTERFACE)
    target_include_directories(${name} SYSTEM INTERFACE ${root})
endfunction()
