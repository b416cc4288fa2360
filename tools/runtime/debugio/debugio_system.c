/* Time, host commands and the end of the session, through the debug I/O library. */
#include <debugio.h>

#include <string.h>

enum {
    /* The reason a firmware ended: it called exit(), or it stopped abnormally. */
    ApplicationExit = 0x20026,
    RunTimeErrorUnknown = 0x20023
};

long debug_time(void) { return debug_operation(DEBUGIO_TIME, 0); }
long debug_clock(void) { return debug_operation(DEBUGIO_CLOCK, 0); }
int debug_errno(void) { return debug_operation(DEBUGIO_ERRNO, 0); }

int debug_system(const char *command)
{
    long block[2] = {(long)command, (long)strlen(command)};
    return debug_operation(DEBUGIO_SYSTEM, block);
}

int debug_getargs(char *buffer, int size)
{
    long block[2] = {(long)buffer, size};
    return debug_operation(DEBUGIO_GET_CMDLINE, block) == 0 ? 0 : -1;
}

/* The extended request carries the status; a host that does not know it answers, and the
   plain request (which can only say "success") ends the session instead. */
void debug_exit(int status)
{
    long block[2] = {ApplicationExit, status};
    debug_operation(DEBUGIO_EXIT_EXTENDED, block);
    debug_operation(DEBUGIO_EXIT, (void *)(long)(status == 0 ? ApplicationExit
                                                              : RunTimeErrorUnknown));
    for (;;)
        ;
}

void debug_abort(void)
{
    debug_operation(DEBUGIO_EXIT, (void *)(long)RunTimeErrorUnknown);
    for (;;)
        ;
}
