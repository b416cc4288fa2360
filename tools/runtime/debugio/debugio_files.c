/* Host file requests of the debug I/O library. */
#include <debugio.h>

#include <string.h>

int debug_open(const char *path, int mode)
{
    long block[3] = {(long)path, mode, (long)strlen(path)};
    return debug_operation(DEBUGIO_OPEN, block);
}

int debug_close(int handle)
{
    long block[1] = {handle};
    return debug_operation(DEBUGIO_CLOSE, block);
}

/* The host answers with the number of bytes it did NOT transfer. */
long debug_write(int handle, const void *buffer, unsigned long length)
{
    long block[3] = {handle, (long)buffer, (long)length};
    long left = debug_operation(DEBUGIO_WRITE, block);
    return left < 0 || (unsigned long)left > length ? -1 : (long)(length - left);
}

long debug_read(int handle, void *buffer, unsigned long length)
{
    long block[3] = {handle, (long)buffer, (long)length};
    long left = debug_operation(DEBUGIO_READ, block);
    return left < 0 || (unsigned long)left > length ? -1 : (long)(length - left);
}

int debug_seek(int handle, long position)
{
    long block[2] = {handle, position};
    return debug_operation(DEBUGIO_SEEK, block) == 0 ? 0 : -1;
}

long debug_flen(int handle)
{
    long block[1] = {handle};
    return debug_operation(DEBUGIO_FLEN, block);
}

int debug_istty(int handle)
{
    long block[1] = {handle};
    return debug_operation(DEBUGIO_ISTTY, block) == 1;
}

int debug_remove(const char *path)
{
    long block[2] = {(long)path, (long)strlen(path)};
    return debug_operation(DEBUGIO_REMOVE, block) == 0 ? 0 : -1;
}

int debug_rename(const char *from, const char *to)
{
    long block[4] = {(long)from, (long)strlen(from), (long)to, (long)strlen(to)};
    return debug_operation(DEBUGIO_RENAME, block) == 0 ? 0 : -1;
}
