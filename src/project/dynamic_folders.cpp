#include "project/dynamic_folders.h"

#include "macros/macro_system.h"
#include "project/project_element.h"
#include "project/project_system.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QString kFilter = QStringLiteral("filter");
const QString kPath = QStringLiteral("path");

QString lowerExtension(const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

// A folder's own `filter` attribute, or else its folder filter in "Common": the extensions,
// without dots, of the files that belong in it.
QStringList folderExtensions(const ProjectSystem &system, ProjectElement *folder)
{
    QString filter = folder->attribute(kFilter);
    if (filter.isEmpty())
        filter = system.settingFor(folder, system.folderFilterProperty(), QStringLiteral("Common"));
    static const QRegularExpression separators(QStringLiteral("[,;]"));
    return filter.split(separators, Qt::SkipEmptyParts);
}

ProjectElement *folderFor(const ProjectSystem &system, ProjectElement *parent,
                          const QString &fileName)
{
    if (parent->isFolder())
        return parent;
    const QString extension = lowerExtension(fileName);
    if (extension.isEmpty())
        return parent;
    for (ProjectElement *c = parent->firstChild; c; c = c->nextSibling)
        if (c->isFolder() && folderExtensions(system, c).contains(extension))
            return c;
    return parent;
}

bool listsFile(ProjectElement *folder, const QString &fileName)
{
    for (ProjectElement *c = folder->firstChild; c; c = c->nextSibling)
        if (c->isFile() && c->getFileName() == fileName)
            return true;
    return false;
}

QString baseDirectory(const ProjectSystem &system, ProjectElement *folder)
{
    ProjectElement *owner = system.projectContaining(folder);
    if (!owner)
        owner = system.solutionContaining(folder);
    if (!owner)
        return QDir::currentPath();
    owner->checkDoFileStuff();
    if (owner->isProject())
        return owner->directory;
    return QFileInfo(owner->absolutePath.osPathQString()).absolutePath();
}

QString folderDirectory(const ProjectSystem &system, ProjectElement *folder, const QString &spec)
{
    if (spec.startsWith(QLatin1Char('$')))
        return macroSystem.replaceGlobalMacros(spec);
    return baseDirectory(system, folder) + QLatin1Char('/') + spec;
}

} // namespace

ProjectElement *addFile(const ProjectSystem &system, ProjectElement *parent,
                        const QString &fileName, bool flag)
{
    auto *file = new ProjectElement(QStringLiteral("file"));
    file->creationFlag = flag;
    folderFor(system, parent, fileName)->appendChild(file);
    file->setFileName(fileName, flag);
    return file;
}

void populateDynamicFolder(const ProjectSystem &system, ProjectElement *folder)
{
    const QString spec = folder->attribute(kPath);
    const QString pattern = folder->attribute(kFilter);
    static const QRegularExpression separators(QStringLiteral("[;\\s]+"));
    const QStringList patterns = pattern.split(separators, Qt::SkipEmptyParts);
    const QDir directory(folderDirectory(system, folder, spec));
    const QStringList names = directory.entryList(patterns, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const QString fileName = spec + QLatin1Char('/') + name;
        if (!listsFile(folder, fileName))
            addFile(system, folder, fileName, false);
    }
}
