# targets/: the repository's board, section placement and template files, copied at build
# time so that editing one only needs a build.

file(GLOB_RECURSE kestrel_target_files CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/targets
     ${PROJECT_SOURCE_DIR}/targets/*)
set(kestrel_target_outputs)
foreach(file IN LISTS kestrel_target_files)
    set(output ${KESTREL_ROOT}/targets/${file})
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/targets/${file} ${output}
        DEPENDS ${PROJECT_SOURCE_DIR}/targets/${file}
        COMMENT "Installing targets/${file}")
    list(APPEND kestrel_target_outputs ${output})
endforeach()
file(MAKE_DIRECTORY ${KESTREL_ROOT}/targets)
add_custom_target(kestrel_targets DEPENDS ${kestrel_target_outputs})
