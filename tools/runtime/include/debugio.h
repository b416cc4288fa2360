/* Debug I/O: console, file and exit services a firmware asks of the debugger (or of a
   simulator) through the debug channel chosen at link time: the breakpoint instruction, the
   debug communications channel (DCC) or a polled memory block. The requests and their
   parameter blocks are the ARM semihosting ones, so printf() of a firmware linked with the
   "debug" I/O library prints on the host under a simulator that implements them. */
#ifndef DEBUGIO_H
#define DEBUGIO_H

#ifdef __cplusplus
extern "C" {
#endif

/* Request numbers of debug_operation(). */
enum {
    DEBUGIO_OPEN = 0x01,
    DEBUGIO_CLOSE = 0x02,
    DEBUGIO_WRITEC = 0x03,
    DEBUGIO_WRITE0 = 0x04,
    DEBUGIO_WRITE = 0x05,
    DEBUGIO_READ = 0x06,
    DEBUGIO_READC = 0x07,
    DEBUGIO_ISTTY = 0x09,
    DEBUGIO_SEEK = 0x0a,
    DEBUGIO_FLEN = 0x0c,
    DEBUGIO_REMOVE = 0x0e,
    DEBUGIO_RENAME = 0x0f,
    DEBUGIO_CLOCK = 0x10,
    DEBUGIO_TIME = 0x11,
    DEBUGIO_SYSTEM = 0x12,
    DEBUGIO_ERRNO = 0x13,
    DEBUGIO_GET_CMDLINE = 0x15,
    DEBUGIO_EXIT = 0x18,
    DEBUGIO_EXIT_EXTENDED = 0x20
};

/* debug_open() modes, as for fopen(): "r", "rb", "r+", "r+b", "w", "wb", "w+", "w+b", "a",
   "ab", "a+", "a+b". */
enum {
    DEBUGIO_MODE_READ = 1,
    DEBUGIO_MODE_READ_WRITE = 3,
    DEBUGIO_MODE_WRITE = 5,
    DEBUGIO_MODE_WRITE_READ = 7,
    DEBUGIO_MODE_APPEND = 9,
    DEBUGIO_MODE_APPEND_READ = 11
};

/* Performs one request; `parameters` points at its parameter block (or is the single
   argument of a request that takes one). Provided by the channel library. */
int debug_operation(int request, void *parameters);

/* Files of the host; a handle is -1 on failure. */
int debug_open(const char *path, int mode);
int debug_close(int handle);
/* Both return the number of bytes transferred, or -1. */
long debug_write(int handle, const void *buffer, unsigned long length);
long debug_read(int handle, void *buffer, unsigned long length);
int debug_seek(int handle, long position);
long debug_flen(int handle);
int debug_istty(int handle);
int debug_remove(const char *path);
int debug_rename(const char *from, const char *to);

/* The host console: handles of its input, output and error streams. */
int debug_stdin(void);
int debug_stdout(void);
int debug_stderr(void);
int debug_putchar(int c);
int debug_puts(const char *text); /* writes `text` and a newline */
int debug_getchar(void);

long debug_time(void);  /* seconds since 1970 on the host */
long debug_clock(void); /* centiseconds since the program started */
int debug_errno(void);  /* the host's error number of the last failed request */
int debug_system(const char *command);
int debug_getargs(char *buffer, int size);

/* Ends the debug session with the status given to exit(). */
void debug_exit(int status) __attribute__((noreturn));
void debug_abort(void) __attribute__((noreturn));

#ifdef __cplusplus
}
#endif

#endif
