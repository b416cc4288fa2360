# Makes the build tree a complete installation root ($(StudioDir)), and `cmake --install` the
# same layout under a prefix:
#   gcc/bin/   the GNU ARM tool chain passes the build runs (cc1, cc1plus, as, ld, ar, objcopy),
#              and the drivers a compiler launcher runs (arm-none-eabi-gcc, arm-none-eabi-g++)
#   include/   the C library's and the compiler's headers, and debugio.h
#   lib/       the run-time libraries under the names the link step selects, per $(LibExt)
#   bin/       mungeas, xmlcp, mkhdr (tools/) beside kestrel
#   targets/   the board, placement and template files of the repository's targets/
# The tool chain comes from Debian's GNU ARM packages, found now; the headers, libraries and
# targets are made at build time.

option(KESTREL_INSTALLATION "Make the build tree a complete installation root" ON)
if(NOT KESTREL_INSTALLATION)
    return()
endif()

set(kestrel_toolchain_packages
    "gcc-arm-none-eabi binutils-arm-none-eabi libnewlib-arm-none-eabi libstdc++-arm-none-eabi-newlib")
find_program(KESTREL_ARM_GCC arm-none-eabi-gcc)
find_program(KESTREL_ARM_GXX arm-none-eabi-g++)
find_program(KESTREL_ARM_AS arm-none-eabi-as)
find_program(KESTREL_ARM_LD arm-none-eabi-ld)
find_program(KESTREL_ARM_AR arm-none-eabi-ar)
find_program(KESTREL_ARM_OBJCOPY arm-none-eabi-objcopy)
foreach(tool KESTREL_ARM_GCC KESTREL_ARM_GXX KESTREL_ARM_AS KESTREL_ARM_LD KESTREL_ARM_AR KESTREL_ARM_OBJCOPY)
    if(NOT ${tool})
        message(FATAL_ERROR
            "The GNU ARM tool chain is missing (no ${tool}). Install the Debian packages "
            "${kestrel_toolchain_packages} (scripts/setup does), or configure with "
            "-DKESTREL_INSTALLATION=OFF to build kestrel without an installation root.")
    endif()
endforeach()

function(kestrel_gcc_query out)
    execute_process(COMMAND ${KESTREL_ARM_GCC} ${ARGN}
                    OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR value STREQUAL "")
        message(FATAL_ERROR "${KESTREL_ARM_GCC} ${ARGN} failed; reinstall ${kestrel_toolchain_packages}.")
    endif()
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

kestrel_gcc_query(kestrel_cc1 -print-prog-name=cc1)
kestrel_gcc_query(kestrel_cc1plus -print-prog-name=cc1plus)
foreach(pass kestrel_cc1 kestrel_cc1plus)
    if(NOT IS_ABSOLUTE "${${pass}}" OR NOT EXISTS "${${pass}}")
        message(FATAL_ERROR "The compiler pass ${${pass}} was not found; install ${kestrel_toolchain_packages}.")
    endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/installation/Toolchain.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/installation/Headers.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/installation/Libraries.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/installation/Targets.cmake)

add_custom_target(kestrel_installation ALL
    DEPENDS kestrel_headers kestrel_runtime_libraries kestrel_targets)
foreach(program mungeas xmlcp mkhdr)
    if(TARGET ${program})
        add_dependencies(kestrel_installation ${program})
    endif()
endforeach()

# The end-to-end tests run firmware builds against this tree; the test targets are defined
# after this file is read, so the dependency is added once the whole tree is configured.
function(kestrel_installation_for_tests)
    foreach(test e2e_tests engine_tests tools_tests)
        if(TARGET ${test})
            add_dependencies(${test} kestrel_installation)
        endif()
    endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL kestrel_installation_for_tests)

install(DIRECTORY ${KESTREL_ROOT}/gcc/ DESTINATION gcc USE_SOURCE_PERMISSIONS)
install(DIRECTORY ${KESTREL_ROOT}/include/ DESTINATION include)
install(DIRECTORY ${KESTREL_ROOT}/lib/ DESTINATION lib)
install(DIRECTORY ${KESTREL_ROOT}/targets/ DESTINATION targets)
