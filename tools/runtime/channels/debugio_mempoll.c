/* Debug channel through a block of memory the debugger polls while the target runs: the
   target fills in the request and sets `pending`; the debugger performs it, stores the answer
   and clears `pending`. Works on every core, also where neither BKPT nor DCC exist. */
#include <debugio.h>

struct DebugIOMailbox
{
    volatile int request;
    void *volatile parameters;
    volatile int answer;
    volatile int pending;
};

/* The debugger finds the mailbox by this symbol. */
struct DebugIOMailbox __debugio_mailbox;

int debug_operation(int request, void *parameters)
{
    __debugio_mailbox.request = request;
    __debugio_mailbox.parameters = parameters;
    __sync_synchronize();
    __debugio_mailbox.pending = 1;
    while (__debugio_mailbox.pending)
        ;
    __sync_synchronize();
    return __debugio_mailbox.answer;
}
