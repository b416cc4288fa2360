// Questions an interactive host asks the engine about an element without building it: the files
// a step depends on and where an include file is found.
#include "engine/standard_build_system.h"

#include "engine/build_property_catalogue.h"
#include "project/project_element.h"
#include "project/project_system.h"

#include <QDir>
#include <QFileInfo>

namespace {

bool readable(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

} // namespace

void StandardBuildSystem::getDependencies(ProjectElement *element, const QString &config,
                                          QStringList &list)
{
    const BuildAction action = buildAction(element, config);
    const QString directory =
        projectSystem->projectDirectoryPath(projectSystem->projectContaining(element));
    if (isCompileAction(action)) {
        const QString abs = output(action, element, config, true);
        element->checkDoFileStuff();
        QStringList dependencies = cachedDependencies(abs);
        if (dependencies.isEmpty())
            dependencies = getObjectFileDependencies(directory, element->filePath, abs);
        if (dependencies.isEmpty())
            dependencies.append(element->absolutePath.filePath());
        list += dependencies;
    } else if (action == LinkAction) {
        bool rebuild = false;
        findOutputs(element->firstChild, config, list, false);
        addDependencyInputs(element, config, list, rebuild);
        list += stringListSetting(QString(), element, properties().linker_additional_files,
                                  config, true, false);
        addLinkerScriptInputs(element, config, list);
    }
}

QString StandardBuildSystem::findIncludeFile(bool systemInclude, const QString &name,
                                             ProjectElement *element, const QString &config)
{
    if (readable(name))
        return name;
    element->checkDoFileStuff();
    const QString projectDir =
        projectSystem->projectDirectoryPath(projectSystem->projectContaining(element));
    // A quoted include is looked for beside the including file first, as the compiler does.
    const QString fileDir = systemInclude || !element->isFile()
                                ? QString()
                                : QFileInfo(element->absolutePath.filePath()).path();
    const QStringList user = stringListSetting(
        QString(), element, properties().c_user_include_directories, config, true, true);
    QString found = findIncludeFile(name, projectDir, fileDir, user);
    if (!found.isEmpty())
        return found;
    const QStringList system = stringListSetting(
        QString(), element, properties().c_system_include_directories, config, true, true);
    return findIncludeFile(name, projectDir, QString(), system);
}

QString StandardBuildSystem::findIncludeFile(const QString &name, const QString &projectDir,
                                             const QString &fileDir,
                                             const QStringList &directories)
{
    if (!fileDir.isEmpty() && readable(fileDir + u'/' + name))
        return fileDir + u'/' + name;
    for (const QString &directory : directories) {
        const QString base =
            Path::isAbsolute(directory) ? directory : projectDir + u'/' + directory;
        const QString path = base + u'/' + name;
        if (readable(path))
            return path;
    }
    return QString();
}
