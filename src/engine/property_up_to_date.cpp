// The property side of the up-to-date checks: has a setting that shapes an output been changed
// (in this run) after the output was written? Change times live on the configuration children
// of the tree (see ProjectElement::propertyHasChanged).
#include "project/project_system.h"

#include "engine/build_system.h"
#include "engine/builder.h"
#include "host/path.h"
#include "project/property_class.h"

#include <QDir>

namespace {

const QString kCommon = QStringLiteral("Common");

// The configurations asked at each level, most specific first.
QStringList searchOrder(const ProjectSystem &system, ProjectElement *e, const QString &config)
{
    if (config == kCommon)
        return {kCommon};
    QStringList order{config};
    order += system.getInheritedConfigurations(e, config);
    order.append(kCommon);
    return order;
}

// Whether any configuration of `n` holds a change record at all. Records are made only by
// settings changed in this run, so almost always none does, and this answers every property of
// the level without looking up configurations by name.
bool hasChangeRecords(const ProjectElement *n)
{
    for (const ProjectElement *c : std::as_const(n->configurationElements)) {
        if (c && !c->attributeTimes.isEmpty())
            return true;
    }
    return false;
}

} // namespace

bool ProjectSystem::upToDate1(ProjectElement *e, const PropertyClass *p, const QString &config,
                              const QDateTime &time)
{
    if (!ProjectElement::changeRecordsMade())
        return true;
    const QString &name = p->saveName();
    // String lists add up along the hierarchy, so a change at any level counts; for any other
    // type the nearest level holding a record decides alone.
    const bool accumulates = p->type() == PropertyClass::StringList;
    QStringList order;
    for (ProjectElement *n = e; n; n = n->parent) {
        if (!hasChangeRecords(n))
            continue;
        if (order.isEmpty())
            order = searchOrder(*this, e, config);
        for (const QString &configuration : std::as_const(order)) {
            bool changed = false;
            if (!n->propertyHasChanged(configuration, name, time, changed))
                continue;
            if (!accumulates || changed)
                return !changed;
        }
    }
    return true;
}

bool ProjectSystem::upToDate(ProjectElement *e, const PropertyClass *p, const QString &config,
                             const QDateTime &time, Builder *b, bool quiet, bool isFile)
{
    if (!upToDate1(e, p, config, time)) {
        if (!quiet && b)
            b->message(p->shortDescription() + QStringLiteral(" property has changed."));
        return false;
    }
    if (!isFile || !buildSystem)
        return true;
    const QString file = buildSystem->settingForExpanded(e, p, config);
    if (file.isEmpty())
        return true;
    const QString path = Path::isAbsolute(file)
                             ? file
                             : projectDirectoryPath(projectContaining(e)) + u'/' + file;
    const QDateTime modified = buildSystem->fileTime(path);
    if (modified.isValid() && modified > time) {
        if (!quiet && b)
            b->message(file + QStringLiteral(" has been modified."));
        return false;
    }
    return true;
}
