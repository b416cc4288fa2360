# gcc/bin/: the tool chain passes, linked to the installed Debian tools, and the compiler
# drivers that run those same passes (what a compiler launcher is given). The linker is a
# wrapper: the link command leaves its library group open to the end of the line, which ld
# warns about, and that warning would fail every link made with --fatal-warnings.

set(kestrel_gcc_bin ${KESTREL_ROOT}/gcc/bin)
file(MAKE_DIRECTORY ${kestrel_gcc_bin})

foreach(link cc1=${kestrel_cc1} cc1plus=${kestrel_cc1plus} as=${KESTREL_ARM_AS}
             ar=${KESTREL_ARM_AR} objcopy=${KESTREL_ARM_OBJCOPY}
             arm-none-eabi-gcc=${KESTREL_ARM_GCC} arm-none-eabi-g++=${KESTREL_ARM_GXX})
    string(REPLACE "=" ";" parts "${link}")
    list(GET parts 0 name)
    list(GET parts 1 target)
    file(CREATE_LINK ${target} ${kestrel_gcc_bin}/${name} SYMBOLIC)
endforeach()

set(KESTREL_REAL_LD ${KESTREL_ARM_LD})
configure_file(${PROJECT_SOURCE_DIR}/tools/gcc/ld.in ${kestrel_gcc_bin}/ld @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
