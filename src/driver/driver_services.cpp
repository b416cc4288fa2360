#include "driver/driver_services.h"

#include "driver/kestrel_build.h"
#include "macros/macro_system.h"
#include "settings/arm_quillmark_environment_settings.h"

namespace {

void defineGlobalMacro(const QString &name, const QString &value)
{
    macroSystem.setGlobalMacro(name, value);
}

// TODO(spine): hand the name to the project templates once their file name is public.
QString &templatesFileName()
{
    static QString file = QStringLiteral("$(TargetsDir)/project_templates.xml");
    return file;
}

void setTemplatesFile(const QString &file)
{
    templatesFileName() = file;
}

} // namespace

DriverServices kestrelServices()
{
    return DriverServices{openEnvironmentSettings, closeEnvironmentSettings, defineGlobalMacro,
                          setTemplatesFile, buildFromCommandLine};
}
