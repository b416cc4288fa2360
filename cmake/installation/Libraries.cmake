# lib/: the run-time libraries under the names the link step selects, one set per library
# variant $(LibExt) (architecture, "_vfp" for the SoftFP floating-point ABI, "_a" ARM or "_t"
# Thumb, "_le" little endian). The C, maths and C++ libraries and the compiler's support
# library are Debian's, linked from the multilib that fits the variant; the debug I/O and
# system-interface libraries are ours, compiled for the variant at build time; the rest are
# empty archives because the libraries above already provide what they stand for (see
# tools/runtime/README).
#
# Each row: $(LibExt) | multilib flags | our libraries' flags | debug channels.
# v4T and v5T projects without interworking use the "_v4" variants; v6-M and v7-M have no ARM
# state, so their "_a" variants (a project that leaves the library instruction set at "ARM")
# are the Thumb libraries. Debian's multilibs are little-endian only.
set(kestrel_library_variants
    "_v4t_a_le|-marm -march=armv4t -mfloat-abi=soft|-marm -march=armv4t -mthumb-interwork|dcc mempoll"
    "_v4t_t_le|-mthumb -march=armv4t -mfloat-abi=soft|-mthumb -march=armv4t -mthumb-interwork|dcc mempoll"
    "_v4_a_le|-marm -march=armv4t -mfloat-abi=soft|-marm -march=armv4t|dcc mempoll"
    "_v4_t_le|-mthumb -march=armv4t -mfloat-abi=soft|-mthumb -march=armv4t|dcc mempoll"
    "_v5te_a_le|-marm -march=armv4t -mfloat-abi=soft|-marm -march=armv5te|bkpt dcc mempoll"
    "_v5te_t_le|-mthumb -march=armv4t -mfloat-abi=soft|-mthumb -march=armv5te|bkpt dcc mempoll"
    "_v5te_vfp_a_le|-marm -march=armv5te+fp -mfloat-abi=softfp|-marm -march=armv5te+fp -mfloat-abi=softfp|bkpt dcc mempoll"
    "_v6_a_le|-marm -march=armv4t -mfloat-abi=soft|-marm -march=armv6|bkpt dcc mempoll"
    "_v6_t_le|-mthumb -march=armv4t -mfloat-abi=soft|-mthumb -march=armv6|bkpt dcc mempoll"
    "_v6t2_a_le|-marm -march=armv4t -mfloat-abi=soft|-marm -march=armv6t2|bkpt dcc mempoll"
    "_v6t2_t_le|-mthumb -march=armv4t -mfloat-abi=soft|-mthumb -march=armv6t2|bkpt dcc mempoll"
    "_v6m_t_le|-mthumb -march=armv6s-m -mfloat-abi=soft|-mthumb -march=armv6s-m|bkpt mempoll"
    "_v6m_a_le|-mthumb -march=armv6s-m -mfloat-abi=soft|-mthumb -march=armv6s-m|bkpt mempoll"
    "_v7m_t_le|-mthumb -march=armv7-m -mfloat-abi=soft|-mthumb -march=armv7-m|bkpt mempoll"
    "_v7m_a_le|-mthumb -march=armv7-m -mfloat-abi=soft|-mthumb -march=armv7-m|bkpt mempoll")

file(GLOB_RECURSE kestrel_runtime_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/tools/runtime/*.c ${PROJECT_SOURCE_DIR}/tools/runtime/*.h)
file(MAKE_DIRECTORY ${KESTREL_ROOT}/lib)

# The path of a library of the multilib that `flags` select.
function(kestrel_multilib_file out flags name)
    separate_arguments(flag_list UNIX_COMMAND "${flags}")
    kestrel_gcc_query(path ${flag_list} -print-file-name=${name})
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${name} for \"${flags}\" was not found; install ${kestrel_toolchain_packages}.")
    endif()
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

set(kestrel_library_stamps)
foreach(row IN LISTS kestrel_library_variants)
    string(REPLACE "|" ";" fields "${row}")
    list(GET fields 0 libext)
    list(GET fields 1 multilib_flags)
    list(GET fields 2 runtime_flags)
    list(GET fields 3 channels)

    # lib<name>$(LibExt).a of the product = <file> of the tool chain.
    set(links)
    foreach(pair libc=libc.a libm=libm.a libcpp=libstdc++.a libgccfp=libgcc.a libralfp=libgcc.a)
        string(REPLACE "=" ";" pair "${pair}")
        list(GET pair 0 name)
        list(GET pair 1 file)
        kestrel_multilib_file(path "${multilib_flags}" ${file})
        list(APPEND links "${name}=${path}")
    endforeach()
    string(JOIN "|" links ${links})

    set(stamp ${CMAKE_BINARY_DIR}/installation/lib${libext}.stamp)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND}
            -DGCC=${KESTREL_ARM_GCC} -DAR=${KESTREL_ARM_AR}
            "-DFLAGS=${runtime_flags}" "-DCHANNELS=${channels}" "-DLINKS=${links}"
            -DLIBEXT=${libext}
            -DSOURCE_DIR=${PROJECT_SOURCE_DIR}/tools/runtime
            -DLIB_DIR=${KESTREL_ROOT}/lib
            -DWORK_DIR=${CMAKE_BINARY_DIR}/installation/runtime${libext}
            -DSTAMP=${stamp}
            -P ${CMAKE_CURRENT_LIST_DIR}/MakeLibraries.cmake
        DEPENDS ${CMAKE_CURRENT_LIST_DIR}/MakeLibraries.cmake ${kestrel_runtime_sources}
        COMMENT "Installing the run-time libraries lib/*${libext}.a"
        VERBATIM)
    list(APPEND kestrel_library_stamps ${stamp})
endforeach()

configure_file(${PROJECT_SOURCE_DIR}/tools/runtime/README ${KESTREL_ROOT}/lib/README COPYONLY)
add_custom_target(kestrel_runtime_libraries DEPENDS ${kestrel_library_stamps})
