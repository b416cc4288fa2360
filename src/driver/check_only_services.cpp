#include "driver/driver_services.h"

#include "host/h_exception.h"

namespace {

void nothing() {}

void ignoreMacro(const QString &, const QString &) {}

void ignoreFile(const QString &) {}

int cannotBuild(KestrelArgParse &)
{
    throw HException{QStringLiteral("this kestrel was built without its build engine; it can "
                                    "check a command line but cannot load or build")};
}

} // namespace

DriverServices checkOnlyServices()
{
    return DriverServices{nothing, nothing, ignoreMacro, ignoreFile, cannotBuild};
}
