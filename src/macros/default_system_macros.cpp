#include "macros/default_system_macros.h"

#include "host/path.h"
#include "host/product.h"
#include "host/user_data_dir.h"
#include "macros/macro_system.h"

void setupDefaultSystemMacros(const QString &studioDir)
{
    macroSystem.setSystemMacro(QStringLiteral("StudioMajorVersion"),
                               QString::number(Get_RELEASE_MAJOR_NUMBER()));
    macroSystem.setSystemMacro(QStringLiteral("StudioMinorVersion"),
                               QString::number(Get_RELEASE_MINOR_NUMBER()));
    macroSystem.setSystemMacro(QStringLiteral("StudioRevision"),
                               QString::number(Get_RELEASE_REVISION_NUMBER()));
    macroSystem.setSystemMacro(QStringLiteral("StudioName"), Get_STUDIO_BRANDING());
    macroSystem.setSystemMacroPath(QStringLiteral("StudioDir"), Path(studioDir));
    macroSystem.setSystemMacroPath(QStringLiteral("StudioUserDir"),
                                   Path(studioUserDataDir()));
}
