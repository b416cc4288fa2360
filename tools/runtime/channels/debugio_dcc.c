/* Debug channel through the debug communications channel of ARM7 and ARM9 cores
   (coprocessor 14): the request word and the parameter address are sent to the debugger, which
   performs the request and sends the answer back. The coprocessor is reached from ARM state,
   so the functions are ARM code even in a Thumb library. */
#include <debugio.h>

#define DCC_WRITE_BUSY 2u
#define DCC_READ_READY 1u

__attribute__((target("arm"))) static unsigned dccControl(void)
{
    unsigned value;
    __asm__ volatile("mrc p14, 0, %0, c0, c0, 0" : "=r"(value));
    return value;
}

__attribute__((target("arm"))) static void dccWrite(unsigned value)
{
    while (dccControl() & DCC_WRITE_BUSY)
        ;
    __asm__ volatile("mcr p14, 0, %0, c1, c0, 0" : : "r"(value));
}

__attribute__((target("arm"))) static unsigned dccRead(void)
{
    unsigned value;
    while (!(dccControl() & DCC_READ_READY))
        ;
    __asm__ volatile("mrc p14, 0, %0, c1, c0, 0" : "=r"(value));
    return value;
}

__attribute__((target("arm"))) int debug_operation(int request, void *parameters)
{
    dccWrite((unsigned)request);
    dccWrite((unsigned)parameters);
    return (int)dccRead();
}
