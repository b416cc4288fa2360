// The inputs of a link besides the objects: a linker script of the project, or the memory map
// and section placement files a script is generated from; and the temporary files of a build.

#include "engine/standard_build_system.h"

#include "engine/build_property_catalogue.h"
#include "project/project_element.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

const QString kLinkerScript = QStringLiteral("Linker Script");
const QString kMemoryMap = QStringLiteral("Memory Map");
const QString kSectionPlacement = QStringLiteral("Section Placement");

// A file of the project of type `fileType` wins over the file the property names.
bool linkInputFile(StandardBuildSystem &bs, ProjectElement *element, const QString &config,
                   const QString &fileType, const PropertyClass *property, QString &path)
{
    if (ProjectElement *file = bs.findFileOfType(element, config, fileType)) {
        file->checkDoFileStuff();
        path = file->absolutePath.osPathQString();
        return true;
    }
    const QString value = bs.settingForExpanded(element, property, config);
    if (value.isEmpty())
        return false;
    path = value;
    return true;
}

} // namespace

bool StandardBuildSystem::useLinkerScriptFileForLink(ProjectElement *element, const QString &config,
                                                     QString &path)
{
    ProjectElement *file = findFileOfType(element, config, kLinkerScript);
    if (!file)
        return false;
    file->checkDoFileStuff();
    path = file->absolutePath.osPathQString();
    return true;
}

QString StandardBuildSystem::linkerScriptFor(ProjectElement *element, const QString &config,
                                             const QString &)
{
    QString path;
    return useLinkerScriptFileForLink(element, config, path) ? path : QString();
}

bool StandardBuildSystem::useMemoryMapFileForLink(ProjectElement *element, const QString &config,
                                                  QString &path)
{
    return linkInputFile(*this, element, config, kMemoryMap, properties().linker_memory_map_file,
                         path);
}

bool StandardBuildSystem::useSectionPlacementFileForLink(ProjectElement *element,
                                                         const QString &config, QString &path)
{
    return linkInputFile(*this, element, config, kSectionPlacement,
                         properties().linker_section_placement_file, path);
}

// The file is created (empty) here, so that no other process can take the same name before the
// tool writes it; a name from the system's temporary-name functions would give no such
// guarantee.
QString BuildSystem::createTmpFile(ProjectElement *element, const QString &config,
                                   QString *error)
{
    const auto *standard = dynamic_cast<const StandardBuildSystem *>(this);
    QString directory = standard ? standard->projectDirectory : QDir::currentPath();
    const QString intermediate = settingForExpanded(
        element, findPropertyClass(QStringLiteral("build_intermediate_directory")), config);
    if (!intermediate.isEmpty())
        directory = StandardBuildSystem::getAbsPath(directory, intermediate);
    QDir().mkpath(directory);
    QByteArray name = QFile::encodeName(directory + QLatin1String("/kestrel_XXXXXX"));
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        if (error) {
            *error = QStringLiteral("cannot create a temporary file in \"%1\": %2")
                         .arg(directory, QString::fromLocal8Bit(std::strerror(errno)));
        }
        return QString();
    }
    ::close(fd);
    return QFile::decodeName(name);
}
