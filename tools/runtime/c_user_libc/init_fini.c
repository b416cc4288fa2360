/* The C library runs _init() before the constructors of __libc_init_array() and _fini()
   after the destructors of exit(). A firmware's start-up code and linker script handle the
   constructor and destructor tables themselves, so there is nothing more to do here. */
void _init(void) {}
void _fini(void) {}
