#include "engine/standard_build_system.h"

#include "engine/build_flags.h"
#include "engine/build_property_catalogue.h"
#include "engine/builder.h"
#include "engine/dependency_file.h"
#include "host/qtx.h"
#include "macros/macro_system.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_class.h"

#include <QDir>
#include <QFileInfo>

StandardBuildSystem *standardBuildSystem = nullptr;

namespace {

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

} // namespace

StandardBuildSystem::StandardBuildSystem()
{
    if (!buildPropertyCatalogue) {
        buildPropertyCatalogue = new BuildPropertyCatalogue();
        m_ownsCatalogue = true;
    }
    m_catalogue = buildPropertyCatalogue;
}

StandardBuildSystem::~StandardBuildSystem()
{
    if (m_ownsCatalogue && buildPropertyCatalogue == m_catalogue) {
        delete buildPropertyCatalogue;
        buildPropertyCatalogue = nullptr;
    }
    if (standardBuildSystem == this)
        standardBuildSystem = nullptr;
    if (buildSystem == this)
        buildSystem = nullptr;
}

QString StandardBuildSystem::setting(ProjectElement *element, const PropertyClass *property,
                                     const QString &config) const
{
    return projectSystem->settingFor(element, property, config);
}

bool StandardBuildSystem::settingIs(ProjectElement *element, const PropertyClass *property,
                                    const QString &config, const QString &value) const
{
    return setting(element, property, config) == value;
}

bool StandardBuildSystem::platformBuild(ProjectElement *element, const QString &config,
                                        Builder *builder, int flags)
{
    // The group file chosen decides settings, the steps among them: chosen before the steps are
    // counted, so that the steps counted are the steps walked.
    selectPropertyGroupFile(element, config);
    m_outputs.clear();
    m_actions.clear();
    m_cacheOutputs = true;
    if (element->isProject()) {
        const PhaseScope resolving(builder, Builder::Phase::Resolving, element->getName());
        const BuildAction action = buildAction(element, config);
        int jobs = 0;
        if (action != LoadAction && action != ExcludeAction && !(flags & BuildThisOnly)) {
            jobs = action != NoAction ? 1 : 0;
            for (ProjectElement *child = element->firstChild; child && !stopping();
                 child = child->nextSibling)
                jobs += countJobs(child, config, flags);
        }
        if (builder)
            builder->setTotalSteps(element, jobs);
    }
    projectDirectory =
        projectSystem->projectDirectoryPath(projectSystem->projectContaining(element));
    resetSignatures();
    const bool rebuilt = platformBuild1(element, config, builder, flags);
    dependencyLog.save();
    m_cacheOutputs = false;
    m_outputs.clear();
    m_actions.clear();
    return rebuilt;
}

int StandardBuildSystem::countJobs(ProjectElement *element, const QString &config, int flags)
{
    const BuildAction action = buildAction(element, config);
    if (action == LoadAction || action == ExcludeAction || (flags & BuildThisOnly))
        return 0;
    int jobs = action != NoAction ? 1 : 0;
    if (buildFailed)
        return jobs;
    for (ProjectElement *child = element->firstChild; child && !stopping();
         child = child->nextSibling)
        jobs += countJobs(child, config, flags);
    return jobs;
}

StandardBuildSystem::BuildAction StandardBuildSystem::buildAction(ProjectElement *element,
                                                                  const QString &config)
{
    if (!m_cacheOutputs)
        return computeBuildAction(element, config);
    const auto cached = m_actions.constFind(element);
    if (cached != m_actions.constEnd() && cached->first == config)
        return cached->second;
    const BuildAction action = computeBuildAction(element, config);
    m_actions.insert(element, {config, action});
    return action;
}

StandardBuildSystem::BuildAction StandardBuildSystem::computeBuildAction(ProjectElement *element,
                                                                         const QString &config)
{
    if (element->isFile()) {
        if (settingIs(element, properties().build_exclude_from_build, config, kYes))
            return ExcludeAction;
        const QString projectType =
            projectSystem->getProjectType(projectSystem->projectContaining(element));
        if (projectType == u"Staging")
            return StageAction;
        if (projectType == u"Combining")
            return NoAction;
        const QString fileType = projectSystem->getFileType(element);
        if (fileType == u"C")
            return CompileCAction;
        if (fileType == u"C++")
            return CompileCppAction;
        if (fileType == u"Basic")
            return CompileBasicAction;
        if (fileType == u"Forth")
            return CompileForthAction;
        if (fileType == u"Assembly")
            return AssembleAction;
        if (fileType == u"Object file" || fileType == u"Executable" || fileType == u"Library")
            return LoadAction;
        return NoAction;
    }
    if (element->isProject()) {
        const QString projectType = projectSystem->getProjectType(element);
        if (projectType == u"Library")
            return ArchiveAction;
        if (projectType == u"Object file")
            return NoAction;
        if (projectType == u"Staging")
            return StageAction;
        if (projectType == u"Combining")
            return CombineAction;
        if (projectType == u"Externally Built Executable")
            return LoadAction;
        return LinkAction;
    }
    return NoAction;
}

QString StandardBuildSystem::output(BuildAction action, ProjectElement *element,
                                    const QString &config, bool absolute)
{
    if (!m_cacheOutputs)
        return computeOutput(action, element, config, absolute);
    const OutputKey key{element, config, action, absolute};
    const auto cached = m_outputs.constFind(key);
    if (cached != m_outputs.constEnd())
        return *cached;
    const QString value = computeOutput(action, element, config, absolute);
    m_outputs.insert(key, value);
    return value;
}

QString StandardBuildSystem::computeOutput(BuildAction action, ProjectElement *element,
                                           const QString &config, bool absolute)
{
    BuildPropertyCatalogue &p = properties();
    QString value;
    switch (action) {
    case NoAction:
    case ExcludeAction:
        return QString();
    case CompileCAction:
    case CompileCppAction:
    case ReservedCompileAction:
    case CompileForthAction:
    case CompileBasicAction:
    case AssembleAction:
        value = setting(element, p.build_object_file_name, config);
        break;
    case LinkAction:
        value = setting(element, p.build_output_file_name, config);
        break;
    case ArchiveAction:
        value = setting(element, p.build_output_file_name_library, config);
        break;
    case LoadAction:
        if (element->isFile()) {
            element->checkDoFileStuff();
            value = element->filePath;
        } else if (element->isProject()) {
            value = setting(element, p.external_build_file_name, config);
            if (value.isNull())
                return value;
        } else {
            value = QStringLiteral("");
        }
        break;
    case StageAction:
        if (element->isProject())
            return QString();
        value = setting(element, p.stage_output_filepath, config);
        if (value.isNull())
            return value;
        break;
    case CombineAction:
        if (element->isFile())
            return QString();
        value = setting(element, p.combine_output_filepath, config);
        break;
    case ReservedAction:
        value = QStringLiteral("");
        break;
    }
    value = replaceMacros(element, value, config);
    if (absolute && !value.isEmpty() && !Path::isAbsolute(value)) {
        value = projectSystem->projectDirectoryPath(projectSystem->projectContaining(element))
                + u'/' + value;
    }
    return value;
}

QString StandardBuildSystem::output(ProjectElement *element, const QString &config,
                                    bool absolute)
{
    return output(buildAction(element, config), element, config, absolute);
}

void StandardBuildSystem::findOutputs(ProjectElement *first, const QString &config,
                                      QStringList &list, bool absolute)
{
    for (ProjectElement *n = first; n; n = n->nextSibling) {
        const QString out = output(n, config, absolute);
        if (!out.isEmpty())
            list.append(out);
        findOutputs(n->firstChild, config, list, absolute);
    }
}

void StandardBuildSystem::findRelativeInputs(ProjectElement *first, const QString &config,
                                             QStringList &list)
{
    for (ProjectElement *n = first; n; n = n->nextSibling) {
        if (n->isFile()) {
            if (settingIs(n, properties().build_exclude_from_build, config, kNo)) {
                n->checkDoFileStuff();
                list.append(n->filePath);
            }
        } else {
            findRelativeInputs(n->firstChild, config, list);
        }
    }
}

ProjectElement *StandardBuildSystem::findFileOfType(ProjectElement *element,
                                                    const QString &config,
                                                    const QString &fileType)
{
    if (element->isFile()) {
        if (projectSystem->getFileType(element) == fileType
            && settingIs(element, properties().build_exclude_from_build, config, kNo))
            return element;
        return nullptr;
    }
    for (ProjectElement *child = element->firstChild; child; child = child->nextSibling) {
        if (ProjectElement *found = findFileOfType(child, config, fileType))
            return found;
    }
    return nullptr;
}

void StandardBuildSystem::cleanFile(const QString &path, bool quiet, Builder *builder)
{
    const bool existed = QFileInfo::exists(path);
    const bool removed = QTx::removeFile(path);
    forgetFileTime(path);
    if (removed || !existed)
        dependencyLog.forget(path);
    if (quiet || !existed || !builder)
        return;
    const QString shown = QDir::toNativeSeparators(path);
    if (removed)
        builder->note(QStringLiteral("Remove ") + shown);
    else
        builder->error(QStringLiteral("Cannot remove ") + shown);
}

bool StandardBuildSystem::canCompile(ProjectElement *element, const QString &config)
{
    const BuildAction action = buildAction(element, config);
    return (action >= ExcludeAction && action <= AssembleAction) || action == StageAction;
}

bool StandardBuildSystem::mustCompile(ProjectElement *element, const QString &config)
{
    const BuildAction action = buildAction(element, config);
    return isCompileAction(action) || action == StageAction;
}

bool StandardBuildSystem::canLoad(ProjectElement *element, const QString &config)
{
    if (!element)
        return false;
    const QString projectType = projectSystem->getProjectType(element);
    if (projectType == u"Executable")
        return true;
    if (projectType == u"Externally Built Executable")
        return !setting(element, properties().external_build_file_name, config).isEmpty();
    return false;
}

void StandardBuildSystem::createCommandFor(ProjectElement *, const QString &, BuildAction,
                                           const QString &, const QString &,
                                           const QStringList &, Builder *, bool, bool)
{
}

QStringList StandardBuildSystem::getObjectFileDependencies(const QString &projectDir,
                                                           const QString &,
                                                           const QString &absoluteObject)
{
    const FileIdentity object = fileIdentity(absoluteObject);
    QStringList dependencies;
    if (dependencyLog.find(absoluteObject, projectDir, object, dependencies))
        return dependencies;
    dependencies = readDependencyFile(dependencyFileName(absoluteObject), projectDir);
    dependencyLog.record(absoluteObject, projectDir, object, dependencies);
    return dependencies;
}

// The compiler writes the ".d" file with the object, so right after a compilation succeeded
// both are as it left them. Logged now, the next build finds the object in the log instead of
// reading its ".d" file and rewriting the log. The object is looked at afresh: its step may
// have ended long after the walk last asked about it.
void StandardBuildSystem::logObjectDependencies(const QString &projectDir,
                                                const QString &absoluteObject)
{
    forgetFileTime(absoluteObject);
    const FileIdentity object = fileIdentity(absoluteObject);
    if (!object.isValid())
        return;
    dependencyLog.record(absoluteObject, projectDir, object,
                         readDependencyFile(dependencyFileName(absoluteObject), projectDir));
}
