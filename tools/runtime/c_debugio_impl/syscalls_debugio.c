/* The C library's system interface through debug I/O: files and the console of the host,
   time, and exit() ending the debug session with its status. File descriptors 0, 1 and 2
   are the host console; others map to host file handles. */
#include <debugio.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/times.h>
#include <unistd.h>

#undef errno
extern int errno;

#define MAX_FILES 20

/* Host handle + 1 of every open descriptor (0 is a free slot), and where the next transfer
   of it starts: the host keeps a position but cannot be asked for it. */
static int handles[MAX_FILES];
static long positions[MAX_FILES];

static int hostHandle(int fd)
{
    if (fd == 0)
        return debug_stdin();
    if (fd == 1)
        return debug_stdout();
    if (fd == 2)
        return debug_stderr();
    if (fd < 3 || fd >= MAX_FILES || handles[fd] == 0)
        return -1;
    return handles[fd] - 1;
}

static int fail(int error)
{
    errno = error;
    return -1;
}

static int openMode(int flags)
{
    int mode = DEBUGIO_MODE_READ;
    if (flags & O_APPEND)
        mode = (flags & O_RDWR) ? DEBUGIO_MODE_APPEND_READ : DEBUGIO_MODE_APPEND;
    else if (flags & O_TRUNC)
        mode = (flags & O_RDWR) ? DEBUGIO_MODE_WRITE_READ : DEBUGIO_MODE_WRITE;
    else if (flags & (O_WRONLY | O_RDWR))
        mode = (flags & O_CREAT) ? DEBUGIO_MODE_WRITE : DEBUGIO_MODE_READ_WRITE;
    return mode;
}

int _open(const char *path, int flags, ...)
{
    for (int fd = 3; fd < MAX_FILES; ++fd) {
        if (handles[fd] != 0)
            continue;
        int handle = debug_open(path, openMode(flags));
        if (handle < 0)
            return fail(ENOENT);
        handles[fd] = handle + 1;
        positions[fd] = (flags & O_APPEND) ? debug_flen(handle) : 0;
        return fd;
    }
    return fail(EMFILE);
}

int _close(int fd)
{
    int handle = hostHandle(fd);
    if (handle < 0)
        return fail(EBADF);
    if (fd < 3)
        return 0;
    handles[fd] = 0;
    return debug_close(handle) == 0 ? 0 : fail(EIO);
}

int _write(int fd, const void *buffer, int length)
{
    int handle = hostHandle(fd);
    if (handle < 0)
        return fail(EBADF);
    long written = debug_write(handle, buffer, (unsigned long)length);
    if (written < 0)
        return fail(EIO);
    positions[fd] += written;
    return (int)written;
}

int _read(int fd, void *buffer, int length)
{
    int handle = hostHandle(fd);
    if (handle < 0)
        return fail(EBADF);
    long got = debug_read(handle, buffer, (unsigned long)length);
    if (got < 0)
        return fail(EIO);
    positions[fd] += got;
    return (int)got;
}

int _lseek(int fd, int offset, int whence)
{
    int handle = hostHandle(fd);
    if (handle < 0)
        return fail(EBADF);
    if (fd < 3)
        return whence == SEEK_CUR && offset == 0 ? 0 : fail(ESPIPE);
    long position = offset;
    if (whence == SEEK_END)
        position += debug_flen(handle);
    else if (whence == SEEK_CUR)
        position += positions[fd];
    if (position < 0 || debug_seek(handle, position) != 0)
        return fail(EINVAL);
    positions[fd] = position;
    return (int)position;
}

int _isatty(int fd)
{
    int handle = hostHandle(fd);
    return handle >= 0 && debug_istty(handle);
}

int _fstat(int fd, struct stat *status)
{
    int handle = hostHandle(fd);
    if (handle < 0)
        return fail(EBADF);
    status->st_mode = debug_istty(handle) ? S_IFCHR : S_IFREG;
    status->st_size = status->st_mode == S_IFREG ? debug_flen(handle) : 0;
    status->st_blksize = 0;
    return 0;
}

int _unlink(const char *path) { return debug_remove(path) == 0 ? 0 : fail(ENOENT); }
int _rename(const char *from, const char *to) { return debug_rename(from, to) == 0 ? 0 : fail(EIO); }
int _system(const char *command) { return command ? debug_system(command) : 1; }

int _gettimeofday(struct timeval *time, void *zone)
{
    (void)zone;
    if (time) {
        time->tv_sec = debug_time();
        time->tv_usec = 0;
    }
    return 0;
}

clock_t _times(struct tms *buffer)
{
    clock_t ticks = (clock_t)debug_clock();
    if (buffer) {
        buffer->tms_utime = ticks;
        buffer->tms_stime = 0;
        buffer->tms_cutime = 0;
        buffer->tms_cstime = 0;
    }
    return ticks;
}

void _exit(int status) { debug_exit(status); }

int _kill(int pid, int signal)
{
    (void)pid;
    (void)signal;
    debug_abort();
}

int _getpid(void) { return 1; }
