/* The handle that registers the destructors of static C++ objects with atexit(). A firmware
   is one module, so the handle only has to exist. */
void *__dso_handle = 0;
