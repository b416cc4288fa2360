/* Debug channel through the breakpoint instruction: the debugger (or simulator) stops at
   "bkpt 0xab", performs the request in r0 with the parameters in r1 and resumes with the
   answer in r0. Needs an architecture with BKPT (v5T and later). */
#include <debugio.h>

int debug_operation(int request, void *parameters)
{
    register int r0 __asm__("r0") = request;
    register void *r1 __asm__("r1") = parameters;
    __asm__ volatile("bkpt 0xab" : "+r"(r0) : "r"(r1) : "memory");
    return r0;
}
