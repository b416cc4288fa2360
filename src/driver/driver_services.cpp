#include "driver/driver_services.h"

#include "driver/kestrel_build.h"
#include "macros/macro_system.h"
#include "project/project_templates.h"
#include "settings/arm_quillmark_environment_settings.h"

namespace {

void defineGlobalMacro(const QString &name, const QString &value)
{
    macroSystem.setGlobalMacro(name, value);
}

void setTemplatesFile(const QString &file)
{
    templatesFile = file;
}

} // namespace

DriverServices kestrelServices()
{
    return DriverServices{openEnvironmentSettings, closeEnvironmentSettings, defineGlobalMacro,
                          setTemplatesFile, buildFromCommandLine};
}
