# Run at build time for one library variant LIBEXT: links the tool chain's libraries (LINKS,
# name=path items) under the product's names, compiles our libraries with FLAGS, and writes the
# empty archives.

separate_arguments(flag_list UNIX_COMMAND "${FLAGS}")
set(common_flags -Os -g -std=gnu11 -ffunction-sections -fdata-sections -Wall -Wextra
                 -I${SOURCE_DIR}/include)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(archive name)
    set(objects)
    foreach(source IN LISTS ARGN)
        get_filename_component(base ${source} NAME_WE)
        set(object ${WORK_DIR}/${name}/${base}.o)
        file(MAKE_DIRECTORY ${WORK_DIR}/${name})
        execute_process(COMMAND ${GCC} ${flag_list} ${common_flags} -c ${source} -o ${object}
                        RESULT_VARIABLE status)
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "compiling ${source} for ${LIBEXT} failed")
        endif()
        list(APPEND objects ${object})
    endforeach()
    set(library ${LIB_DIR}/lib${name}${LIBEXT}.a)
    file(REMOVE ${library})
    execute_process(COMMAND ${AR} rcs ${library} ${objects} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "archiving ${library} failed")
    endif()
endfunction()

function(empty_archive name)
    file(WRITE ${LIB_DIR}/lib${name}${LIBEXT}.a "!<arch>\n")
endfunction()

string(REPLACE "|" ";" LINKS "${LINKS}")
foreach(pair IN LISTS LINKS)
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 name)
    list(GET pair 1 path)
    file(REMOVE ${LIB_DIR}/${name}${LIBEXT}.a)
    file(CREATE_LINK ${path} ${LIB_DIR}/${name}${LIBEXT}.a SYMBOLIC)
endforeach()

file(GLOB debugio ${SOURCE_DIR}/debugio/*.c)
archive(debugio ${debugio})
separate_arguments(channel_list UNIX_COMMAND "${CHANNELS}")
foreach(channel IN LISTS channel_list)
    archive(debugio_${channel} ${SOURCE_DIR}/channels/debugio_${channel}.c)
endforeach()
foreach(name c_debugio_impl c_targetio_impl c_user_libc)
    file(GLOB sources ${SOURCE_DIR}/${name}/*.c)
    archive(${name} ${sources})
endforeach()

foreach(name gccxceptrtti arm armdi adiv5 xscale)
    empty_archive(${name})
endforeach()
# Formatted I/O: every variant the link can ask for (an integer level the catalogue does not
# offer gives the empty variant).
foreach(variant _vfprintf_ _vfprintf__nwp _vfscanf_ _vfscanf__cc)
    empty_archive(${variant})
endforeach()
foreach(level long long_long double_long_long)
    foreach(variant _vfprintf_${level} _vfprintf_${level}_nwp _vfscanf_${level} _vfscanf_${level}_cc)
        empty_archive(${variant})
    endforeach()
endforeach()

file(TOUCH ${STAMP})
