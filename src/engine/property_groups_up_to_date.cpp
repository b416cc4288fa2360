// The property-group side of a build: which group file applies to a project, and whether a
// changed group selection changes the definitions a compilation sees.
#include "engine/standard_build_system.h"

#include "project/project_system.h"
#include "project/property_value_groups.h"

void StandardBuildSystem::selectPropertyGroupFile(ProjectElement *element, const QString &config)
{
    if (!propertyValueGroups)
        return;
    const QString file = propertyGroupsFileFor(element, config);
    if (!file.isEmpty())
        propertyValueGroups->setGroupFile(file);
}

// A new group selection only matters to a compilation when the entry now chosen contributes
// preprocessor definitions; an entry that merely sets other properties is covered by those.
bool StandardBuildSystem::propertyGroupsDefinesUpToDate(ProjectElement *element,
                                                        const QString &config,
                                                        const QDateTime &time, Builder *builder,
                                                        bool quiet)
{
    if (!propertyValueGroups || !propertyValueGroups->currentFile())
        return true;
    const QList<PropertyValueGroupClass *> groups = propertyValueGroups->groupClasses();
    for (const PropertyValueGroupClass *group : groups) {
        if (projectSystem->upToDate(element, group, config, time, builder, quiet, false))
            continue;
        const QString chosen = projectSystem->settingFor(element, group, config);
        if (group->getGroupEntry(chosen).hasDefines())
            return false;
    }
    return true;
}
