// The property-group side of a build: which group file applies to a project, and whether a
// changed group selection changes the definitions a compilation sees.
#include "build/standard_build_system.h"

// TODO(engine): select the group file and compare group selections once the property group
// catalogue lands in project/.
void StandardBuildSystem::selectPropertyGroupFile(ProjectElement *, const QString &) {}

bool StandardBuildSystem::propertyGroupsDefinesUpToDate(ProjectElement *, const QString &,
                                                        const QDateTime &, Builder *, bool)
{
    return true;
}
