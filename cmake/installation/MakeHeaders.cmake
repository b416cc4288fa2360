# Run at build time: fills DESTINATION with the headers of one -isystem directory.
# The compiler normally searches its own directory, its fixed headers and the C library's in
# this order; merged into one directory, the files that use #include_next to reach the next
# directory of that list must be joined by hand:
#  - stdint.h: the compiler's only forwards to the C library's, which is kept;
#  - limits.h: the C library's limits.h continues into the compiler's, installed here as
#    gcc-limits.h.
# The C++ library's headers are not merged: they need a per-variant configuration directory.

file(REMOVE_RECURSE ${DESTINATION})
file(MAKE_DIRECTORY ${DESTINATION})
file(COPY ${LIBC_INCLUDE}/ DESTINATION ${DESTINATION} PATTERN "c++" EXCLUDE)
file(GLOB compiler_headers ${GCC_INCLUDE}/*.h)
list(FILTER compiler_headers EXCLUDE REGEX "/stdint\\.h$")
file(COPY ${compiler_headers} DESTINATION ${DESTINATION})

file(READ ${LIBC_INCLUDE}/limits.h limits)
string(REPLACE "# include_next <limits.h>" "# include <gcc-limits.h>" limits "${limits}")
if(NOT limits MATCHES "gcc-limits.h")
    message(FATAL_ERROR "${LIBC_INCLUDE}/limits.h no longer continues into the compiler's limits.h")
endif()
file(WRITE ${DESTINATION}/limits.h "${limits}")
file(COPY ${GCC_INCLUDE_FIXED}/limits.h DESTINATION ${DESTINATION}/.gcc-limits)
file(RENAME ${DESTINATION}/.gcc-limits/limits.h ${DESTINATION}/gcc-limits.h)
file(REMOVE_RECURSE ${DESTINATION}/.gcc-limits)

file(COPY ${OWN_INCLUDE}/ DESTINATION ${DESTINATION})
file(TOUCH ${STAMP})
