// The services kestrel's run is given (see DriverServices).
#pragma once

#include "driver/kestrel_main.h"

// The real ones: the environment settings, the macro system, the project templates file and
// the project and build systems.
DriverServices kestrelServices();
