#include "macros/package_system.h"

#include "host/h_exception.h"
#include "host/path.h"
#include "host/qtx.h"
#include "macros/macro_system.h"

#include <QFile>
#include <QFileInfo>

namespace {

const char kProjectTemplates[] =
    "<!DOCTYPE Project_Templates_File>\n"
    "<projects>\n"
    "  <include filename=\"$(StudioDir)/targets/project_templates.xml\" no_root=\"1\" />\n"
    "</projects>\n";

const char kFrequencies[] =
    "<envelope>\n"
    "  <include filename=\"$(StudioDir)/targets/frequencies.xml\" />\n"
    "</envelope>\n";

// Writes `text` to `path` unless the file is already there: the user may have edited it.
void createUnlessPresent(const QString &path, const char *text)
{
    if (QFileInfo::exists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(text) != qint64(qstrlen(text)) || !file.flush())
        throw HException{QStringLiteral("cannot create ") + path};
}

} // namespace

void PackageSystem::setupPackageMacros(const QString &packagesDir)
{
    const Path packages(macroSystem.replaceMacros(macroSystem.systemMacros(), packagesDir));
    const Path targets = packages + QStringLiteral("/targets");
    macroSystem.setSystemMacroPath(QStringLiteral("PackagesDir"), packages);
    macroSystem.setSystemMacroPath(QStringLiteral("TargetsDir"), targets);
    macroSystem.setSystemMacroPath(QStringLiteral("SamplesDir"),
                                   packages + QStringLiteral("/samples"));

    const QString targetsDir = targets.osPathQString();
    if (!QFileInfo(targetsDir).isDir())
        QTx::makeDir(targetsDir);
    createUnlessPresent(targetsDir + QStringLiteral("/project_templates.xml"), kProjectTemplates);
    createUnlessPresent(targetsDir + QStringLiteral("/frequencies.xml"), kFrequencies);
}
