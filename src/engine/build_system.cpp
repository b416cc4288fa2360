#include "engine/build_system.h"

#include "engine/build_flags.h"
#include "engine/builder.h"
#include "host/qtx.h"
#include "macros/build_expansion.h"
#include "macros/build_macros.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_class.h"
#include "xml/xml_entities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

BuildSystem *buildSystem = nullptr;

namespace {

const QString kNo = QStringLiteral("No");
constexpr int kProjectGroupFlags = 0x14000;

QList<PropertyClass *> &registry()
{
    static QList<PropertyClass *> classes;
    return classes;
}

QString quoted(const QString &text)
{
    return ldquot() + text + rdquot();
}

qsizetype countElements(const ProjectElement *element)
{
    qsizetype count = 1;
    for (const ProjectElement *c = element->firstChild; c; c = c->nextSibling)
        count += countElements(c);
    return count;
}

} // namespace

BuildSystem::BuildSystem() = default;
BuildSystem::~BuildSystem() = default;

int BuildSystem::build(ProjectElement *element, const QString &config, Builder *builder,
                       int flags, bool buildDependencies, bool batch)
{
    fileTimes.clear();
    m_statCache.clear();
    m_statByAddress.clear();
    // A build looks at a source and an object per file, and the headers they share: sized up
    // front, the tables are not rehashed again and again as a big project fills them.
    const qsizetype elements = countElements(element);
    m_statCache.reserve(size_t(2 * elements + 64));
    fileTimes.reserve(size_t(2 * elements + 64));
    m_building = true;
    m_inProgress.clear();
    stopRequested = false;
    buildFailed = false;
    builtList.clear();

    bool rebuilt = false;
    if (element->isSolution()) {
        rebuilt = solutionBuild(element, config, builder, flags, batch);
    } else if (element->isProject() && buildDependencies) {
        rebuilt = projectBuild(element, config, builder, flags, batch, config);
    } else {
        if (builder)
            displayProjectConfiguration(element, config, builder, flags);
        rebuilt = platformBuild(element, config, builder, flags);
        builtList.append({element, config, rebuilt});
        if (builder)
            builder->endGroup(element);
    }

    // A parallel builder may still be running the last steps.
    if (builder)
        builder->waitForJobs();
    buildEnded();
    m_building = false;
    m_statCache.clear();
    m_statByAddress.clear();
    if (stopping()) {
        if (builder)
            builder->endGroup(element);
        return stopRequested ? 3 : 2;
    }
    return rebuilt ? 1 : 0;
}

bool BuildSystem::solutionBuild(ProjectElement *solution, const QString &config,
                                Builder *builder, int flags, bool batch)
{
    bool rebuilt = false;
    for (ProjectElement *child = solution->firstChild; child; child = child->nextSibling) {
        if (stopping())
            break;
        if (child->isProject())
            rebuilt |= projectBuild(child, config, builder, flags, batch, config);
        else if (child->isSolution())
            rebuilt |= solutionBuild(child, config, builder, flags, batch);
    }
    return rebuilt;
}

bool BuildSystem::projectBuild(ProjectElement *project, const QString &config, Builder *builder,
                               int flags, bool batch, const QString &solutionConfig)
{
    const QStringList configurations =
        batch ? projectSystem->getBatchBuildConfigurations(project, solutionConfig)
              : QStringList{config};
    bool rebuilt = false;
    for (const QString &c : configurations) {
        if (stopping())
            break;
        rebuilt |= projectBuildIn(project, c, builder, flags, batch, solutionConfig);
    }
    return rebuilt;
}

// Builds one project in one configuration, its dependencies first. Returns what the
// configuration contributed to "anything rebuilt".
bool BuildSystem::projectBuildIn(ProjectElement *project, const QString &config,
                                 Builder *builder, int flags, bool batch,
                                 const QString &solutionConfig)
{
    const PropertyClass *exclude = findPropertyClass(QStringLiteral("build_exclude_from_build"));
    if (exclude && projectSystem->settingFor(project, exclude, config) != kNo)
        return false;

    bool rebuilt = false;
    if (justBuilt(project, config, rebuilt))
        return rebuilt;

    const QPair<ProjectElement *, QString> key(project, config);
    if (m_inProgress.contains(key))
        return reportCycle(project, config, builder);
    m_inProgress.append(key);
    const QList<ProjectElement *> dependencies = directlyDependsOn(project, config);
    for (ProjectElement *dependency : dependencies) {
        if (stopping())
            break;
        rebuilt |= projectBuild(dependency, config, builder, flags, batch, solutionConfig);
    }
    m_inProgress.removeLast();
    // A project may use what its dependencies make in any step, not only in its link.
    if (builder && !dependencies.isEmpty())
        builder->waitForJobs();
    if (stopping())
        return rebuilt;

    if (builder)
        displayProjectConfiguration(project, config, builder, flags);
    rebuilt |= platformBuild(project, config, builder, flags);
    builtList.append({project, config, rebuilt});
    if (builder)
        builder->endGroup(nullptr);
    return rebuilt;
}

// A project that (through its dependencies) depends on itself can never be built: say which
// projects form the loop and stop the build.
bool BuildSystem::reportCycle(ProjectElement *project, const QString &config, Builder *builder)
{
    QStringList names;
    bool inCycle = false;
    for (const auto &entry : std::as_const(m_inProgress)) {
        inCycle = inCycle || (entry.first == project && entry.second == config);
        if (inCycle)
            names.append(quoted(entry.first->getName()));
    }
    names.append(quoted(project->getName()));
    if (builder) {
        builder->error(QStringLiteral("cyclic project dependencies in configuration ")
                       + quoted(config) + QStringLiteral(": ") + names.join(QStringLiteral(" -> ")));
    }
    buildFailed = true;
    return false;
}

void BuildSystem::displayProjectConfiguration(ProjectElement *element, const QString &config,
                                              Builder *builder, int flags)
{
    QString verb = QStringLiteral("Building");
    if (flags & BuildCheck)
        verb = QStringLiteral("Checking");
    else if ((flags & BuildClean) && (flags & BuildNoBuild))
        verb = QStringLiteral("Cleaning");
    else if (flags & BuildClean)
        verb = QStringLiteral("Rebuilding");
    ProjectElement *project = projectSystem->projectContaining(element);
    const QString name = project ? project->getName() : element->getName();
    builder->beginGroup(element,
                        verb + u' ' + quoted(name) + QStringLiteral(" in configuration ")
                            + quoted(config),
                        kProjectGroupFlags);
}

bool BuildSystem::justBuilt(ProjectElement *project, const QString &config, bool &result) const
{
    for (const builtStruct &built : builtList) {
        if (built.project == project && built.configuration == config) {
            result = built.result;
            return true;
        }
    }
    return false;
}

bool BuildSystem::platformBuild(ProjectElement *, const QString &, Builder *, int)
{
    return false;
}

QList<ProjectElement *> BuildSystem::directlyDependsOn(ProjectElement *project,
                                                       const QString &config)
{
    QList<ProjectElement *> projects;
    const QString names =
        projectSystem->settingFor(project, projectSystem->projectDependenciesProperty(), config);
    for (const QString &name : names.split(u';', Qt::SkipEmptyParts)) {
        if (ProjectElement *found = projectSystem->findProject(project, name))
            projects.append(found);
    }
    return projects;
}

QList<ProjectElement *> BuildSystem::buildOrder(ProjectElement *element, const QString &config)
{
    QList<ProjectElement *> order;
    if (!element)
        element = projectSystem->solutionElement();
    if (!element)
        return order;
    if (element->isProject()) {
        buildOrder(element, config, order);
    } else if (element->isSolution()) {
        const QMap<QString, ProjectElement *> &projects = projectSystem->solutionProjects(element);
        for (ProjectElement *project : projects)
            buildOrder(project, config, order);
    }
    return order;
}

void BuildSystem::buildOrder(ProjectElement *project, const QString &config,
                             QList<ProjectElement *> &order)
{
    // A project enters the order only after its dependencies, so one that is being visited
    // and not yet in the order is part of a cycle: skip it rather than recurse without end
    // (the build itself reports the cycle).
    if (order.contains(project) || m_visiting.contains(project))
        return;
    m_visiting.insert(project);
    const QList<ProjectElement *> dependencies = directlyDependsOn(project, config);
    for (ProjectElement *dependency : dependencies)
        buildOrder(dependency, config, order);
    m_visiting.remove(project);
    order.append(project);
}

QMap<QString, QString> BuildSystem::macros(ProjectElement *element, const QString &config)
{
    QMap<QString, QString> table = buildMacros(element, config);
    addMacros(element, config, table);
    return table;
}

void BuildSystem::addMacros(ProjectElement *, const QString &, QMap<QString, QString> &) {}

bool BuildSystem::hasOwnMacros(ProjectElement *) const
{
    return false;
}

QString BuildSystem::replaceMacros(ProjectElement *element, const QString &text,
                                   const QString &config)
{
    return ::replaceMacros(*this, element, text, config);
}

QStringList BuildSystem::replaceStringListMacros(ProjectElement *element,
                                                 const QStringList &items, const QString &config)
{
    return ::replaceStringListMacros(*this, element, items, config);
}

QString BuildSystem::settingForExpanded(ProjectElement *element, const PropertyClass *property,
                                        const QString &config)
{
    return ::settingForExpanded(*this, element, property, config);
}

QStringList BuildSystem::stringListSetting(const QString &prefix, ProjectElement *element,
                                           const PropertyClass *property, const QString &config,
                                           bool expand, bool escaped)
{
    return ::stringListSetting(*this, prefix, element, property, config, expand, escaped);
}

namespace {

QString resolve(const QString &dir, const QString &name)
{
    if (Path::isAbsolute(name))
        return name;
    return dir + u'/' + name;
}

// The modification time (and the finer identity the dependency log keeps), read with one
// stat() call: QFileInfo costs several times as much, and a no-op build asks for every source,
// header and object once.
template <typename Stat> void readStat(const QString &absolutePath, Stat &seen)
{
    seen = Stat();
    struct stat info;
    if (::stat(QTx::NativePath(absolutePath).c_str(), &info) != 0)
        return;
    seen.exists = true;
    seen.msecs = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
    seen.identity.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    seen.identity.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    seen.identity.size = qint64(info.st_size);
}

// Invalid when the file does not exist. In UTC: comparing two local times asks the C library
// for the time zone each time.
template <typename Stat> QDateTime timeOf(const Stat &seen)
{
    return seen.exists ? QDateTime::fromMSecsSinceEpoch(seen.msecs, Qt::UTC) : QDateTime();
}

} // namespace

bool BuildSystem::exists(const QString &dir, const QString &name, QString &path,
                         QDateTime &time, Builder *builder, bool quiet)
{
    path = resolve(dir, name);
    const QDateTime modified = fileTime(path);
    if (modified.isValid()) {
        time = modified;
        return true;
    }
    if (!quiet && builder)
        builder->message(name + QStringLiteral(" does not exist."));
    return false;
}

bool BuildSystem::upToDate(const QString &dir, const QString &name, const QDateTime &time,
                           const QStringList &dependencies, Builder *builder, bool quiet)
{
    const qint64 limit = time.toMSecsSinceEpoch();
    for (const QString &dependency : dependencies) {
        const bool absolute = dependency.startsWith(u'/');
        const QString path = absolute ? dependency : resolve(dir, dependency);
        Stat &seen = stat(path, absolute);
        if (!seen.exists) {
            if (!quiet && builder)
                builder->message(dependency + QStringLiteral(" does not exist."));
            return false;
        }
        // Headers are seen again for every source that includes them: record each once.
        if (!seen.recorded) {
            fileTimes.insert_or_assign(path, timeOf(seen));
            seen.recorded = true;
        }
        if (seen.msecs > limit) {
            if (!quiet && builder)
                builder->message(dependency + QStringLiteral(" is newer than ") + name
                                 + u'.');
            return false;
        }
    }
    return true;
}

BuildSystem::Stat &BuildSystem::stat(const QString &absolutePath, bool shared)
{
    if (!m_building) {
        readStat(absolutePath, m_uncached);
        return m_uncached;
    }
    // Only characters of the string's own can be held; borrowed ones may be reused.
    shared = shared && absolutePath.data_ptr().isMutable();
    Stat *seen = nullptr;
    if (shared) {
        const auto known = m_statByAddress.find(absolutePath.constData());
        if (known != m_statByAddress.end() && known->second.name.size() == absolutePath.size())
            seen = known->second.stat;
    }
    if (!seen) {
        const auto [cached, added] = m_statCache.try_emplace(absolutePath);
        seen = &cached->second;
        if (added)
            readStat(absolutePath, *seen);
        if (shared)
            m_statByAddress.insert_or_assign(absolutePath.constData(),
                                             SharedName{absolutePath, seen});
    }
    if (seen->stale)
        readStat(absolutePath, *seen);
    return *seen;
}

QDateTime BuildSystem::fileTime(const QString &absolutePath)
{
    return timeOf(stat(absolutePath));
}

FileIdentity BuildSystem::fileIdentity(const QString &absolutePath)
{
    return stat(absolutePath).identity;
}

// The entry stays, marked, so that the addresses that lead to it stay good.
void BuildSystem::forgetFileTime(const QString &absolutePath)
{
    const auto cached = m_statCache.find(absolutePath);
    if (cached != m_statCache.end())
        cached->second.stale = true;
}

void BuildSystem::addPropertyClass(PropertyClass *property)
{
    registry().append(property);
}

PropertyClass *BuildSystem::findPropertyClass(const QString &name)
{
    for (PropertyClass *property : std::as_const(registry())) {
        if (property->saveName() == name)
            return property;
    }
    return nullptr;
}

void BuildSystem::removePropertyClass(const QString &name)
{
    QList<PropertyClass *> &classes = registry();
    for (qsizetype i = 0; i < classes.size(); ++i) {
        if (classes.at(i)->saveName() == name) {
            classes.removeAt(i);
            return;
        }
    }
}

void BuildSystem::removePropertyClass(const PropertyClass *property)
{
    registry().removeOne(const_cast<PropertyClass *>(property));
}

const QList<PropertyClass *> &BuildSystem::propertyClasses()
{
    return registry();
}
