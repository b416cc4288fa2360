/* The host console of the debug I/O library. The three streams are opened on first use
   under the name ":tt", which the host takes as its console. */
#include <debugio.h>

#include <string.h>

static int consoleHandle(int *handle, int mode)
{
    if (*handle < 0)
        *handle = debug_open(":tt", mode);
    return *handle;
}

static int stdinHandle = -1;
static int stdoutHandle = -1;
static int stderrHandle = -1;

int debug_stdin(void) { return consoleHandle(&stdinHandle, 0); }
int debug_stdout(void) { return consoleHandle(&stdoutHandle, 4); }
int debug_stderr(void) { return consoleHandle(&stderrHandle, 8); }

int debug_putchar(int c)
{
    unsigned char byte = (unsigned char)c;
    return debug_write(debug_stdout(), &byte, 1) == 1 ? byte : -1;
}

int debug_puts(const char *text)
{
    unsigned long length = strlen(text);
    if (debug_write(debug_stdout(), text, length) != (long)length)
        return -1;
    return debug_putchar('\n') < 0 ? -1 : 0;
}

int debug_getchar(void)
{
    unsigned char byte;
    return debug_read(debug_stdin(), &byte, 1) == 1 ? byte : -1;
}
