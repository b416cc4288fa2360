/* The heap of malloc(): the memory between __heap_start__ and __heap_end__, the symbols the
   linker script defines around the heap section (sized by the project's heap size). An
   application with another memory layout links its own _sbrk instead. */
#include <errno.h>
#include <stddef.h>

#undef errno
extern int errno;

extern char __heap_start__[];
extern char __heap_end__[];

static char *heapTop;

void *_sbrk(ptrdiff_t increment)
{
    if (!heapTop)
        heapTop = __heap_start__;
    if (increment > __heap_end__ - heapTop || increment < __heap_start__ - heapTop) {
        errno = ENOMEM;
        return (void *)-1;
    }
    char *previous = heapTop;
    heapTop += increment;
    return previous;
}
