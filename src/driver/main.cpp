// Entry point of the kestrel command-line build tool.
#include "driver/driver_services.h"

int main(int argc, char **argv)
{
    return kestrelMain(argc, argv, kestrelServices());
}
