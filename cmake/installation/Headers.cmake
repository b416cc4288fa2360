# include/: one directory holding what `-nostdinc -isystem $(StudioDir)/include` needs: the C
# library's headers, the compiler's freestanding ones and debugio.h. Made at build time from
# the compiler's own search list.

execute_process(COMMAND ${KESTREL_ARM_GCC} -E -v -xc /dev/null -o /dev/null
                ERROR_VARIABLE kestrel_search OUTPUT_QUIET)
string(REGEX MATCH "#include <...> search starts here:\n(.*)End of search list" _ "${kestrel_search}")
string(REGEX REPLACE "[ \t]*\n[ \t]*" ";" kestrel_search_dirs "${CMAKE_MATCH_1}")
list(FILTER kestrel_search_dirs EXCLUDE REGEX "^$")
set(kestrel_gcc_include "")
set(kestrel_gcc_include_fixed "")
set(kestrel_libc_include "")
foreach(dir IN LISTS kestrel_search_dirs)
    string(STRIP "${dir}" dir)
    get_filename_component(dir "${dir}" REALPATH)
    if(dir MATCHES "/include-fixed$")
        set(kestrel_gcc_include_fixed ${dir})
    elseif(EXISTS ${dir}/stddef.h AND NOT kestrel_gcc_include)
        set(kestrel_gcc_include ${dir})
    elseif(EXISTS ${dir}/stdio.h)
        set(kestrel_libc_include ${dir})
    endif()
endforeach()
if(NOT kestrel_gcc_include OR NOT kestrel_libc_include OR NOT kestrel_gcc_include_fixed)
    message(FATAL_ERROR "The compiler's or the C library's headers were not found "
                        "(search list: ${kestrel_search_dirs}); install ${kestrel_toolchain_packages}.")
endif()

set(kestrel_headers_stamp ${CMAKE_BINARY_DIR}/installation/headers.stamp)
add_custom_command(OUTPUT ${kestrel_headers_stamp}
    COMMAND ${CMAKE_COMMAND}
        -DLIBC_INCLUDE=${kestrel_libc_include}
        -DGCC_INCLUDE=${kestrel_gcc_include}
        -DGCC_INCLUDE_FIXED=${kestrel_gcc_include_fixed}
        -DOWN_INCLUDE=${PROJECT_SOURCE_DIR}/tools/runtime/include
        -DDESTINATION=${KESTREL_ROOT}/include
        -DSTAMP=${kestrel_headers_stamp}
        -P ${CMAKE_CURRENT_LIST_DIR}/MakeHeaders.cmake
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/MakeHeaders.cmake
            ${PROJECT_SOURCE_DIR}/tools/runtime/include/debugio.h
    COMMENT "Installing the target headers in include/")
add_custom_target(kestrel_headers DEPENDS ${kestrel_headers_stamp})
