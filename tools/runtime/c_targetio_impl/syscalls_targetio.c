/* The C library's system interface for a firmware that does its own character I/O: the
   console streams call __putchar() and __getchar(), which the application provides (a UART
   driver, typically). There are no files; exit() stops in an endless loop. */
#include <errno.h>
#include <sys/stat.h>

#undef errno
extern int errno;

int __putchar(int c);
int __getchar(void);

int _write(int fd, const void *buffer, int length)
{
    if (fd != 1 && fd != 2) {
        errno = EBADF;
        return -1;
    }
    const unsigned char *bytes = (const unsigned char *)buffer;
    for (int i = 0; i < length; ++i)
        if (__putchar(bytes[i]) < 0)
            return i;
    return length;
}

/* A line at most: stdio asks again for more. */
int _read(int fd, void *buffer, int length)
{
    if (fd != 0) {
        errno = EBADF;
        return -1;
    }
    unsigned char *bytes = (unsigned char *)buffer;
    int n = 0;
    while (n < length) {
        int c = __getchar();
        if (c < 0)
            break;
        bytes[n++] = (unsigned char)c;
        if (c == '\n')
            break;
    }
    return n;
}

int _open(const char *path, int flags, ...)
{
    (void)path;
    (void)flags;
    errno = ENOSYS;
    return -1;
}

int _close(int fd) { return fd >= 0 && fd <= 2 ? 0 : -1; }
int _lseek(int fd, int offset, int whence)
{
    (void)fd;
    (void)offset;
    (void)whence;
    return 0;
}
int _isatty(int fd) { return fd >= 0 && fd <= 2; }

int _fstat(int fd, struct stat *status)
{
    (void)fd;
    status->st_mode = S_IFCHR;
    return 0;
}

void _exit(int status)
{
    (void)status;
    for (;;)
        ;
}

int _kill(int pid, int signal)
{
    (void)pid;
    (void)signal;
    _exit(1);
}

int _getpid(void) { return 1; }
