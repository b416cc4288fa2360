#include "project/munge.h"

#include "project/project_element.h"

namespace {

// Properties whose files older releases kept below the installation's targets directory.
const QString kTargetPathProperties[] = {
    QStringLiteral("file_name"),
    QStringLiteral("linker_memory_map_file"),
    QStringLiteral("linker_section_placement_file"),
    QStringLiteral("property_groups_file_path"),
    QStringLiteral("arm_target_flash_loader_file_path"),
    QStringLiteral("arm_simulator_memory_simulation_filename"),
};

const QString kStudioDir = QStringLiteral("$(StudioDir)");
const QString kOldTargets = QStringLiteral("$(StudioDir)/targets/");
const QString kTargetsDir = QStringLiteral("$(TargetsDir)");
const QString kPackagesDir = QStringLiteral("$(PackagesDir)");
const QString kLinkerAdditionalFiles = QStringLiteral("linker_additional_files");

// The chip-family support libraries that moved from the installation's lib directory into
// their packages.
const QString kMovedLibraries[] = {
    QStringLiteral("$(StudioDir)/lib/libstm32"), QStringLiteral("$(StudioDir)/lib/liblpc"),
    QStringLiteral("$(StudioDir)/lib/libsam"),   QStringLiteral("$(StudioDir)/lib/libat91"),
    QStringLiteral("$(StudioDir)/lib/libstr7"),  QStringLiteral("$(StudioDir)/lib/libstr9"),
};

// "$(StudioDir)/targets/<board>/...": the first place where the old prefix is followed by a
// directory name and a "/".
qsizetype oldTargetsPosition(const QString &value)
{
    for (qsizetype at = value.indexOf(kOldTargets); at >= 0;
         at = value.indexOf(kOldTargets, at + 1)) {
        if (value.indexOf(u'/', at + kOldTargets.size()) >= 0)
            return at;
    }
    return -1;
}

void mungeTargetPath(ProjectElement *e, const QString &name)
{
    if (!e->hasAttribute(name))
        return;
    QString value = e->attribute(name);
    const qsizetype at = oldTargetsPosition(value);
    if (at < 0)
        return;
    // "$(StudioDir)/targets" (the prefix without its last "/") becomes "$(TargetsDir)".
    value.replace(at, kOldTargets.size() - 1, kTargetsDir);
    e->setAttribute(name, value, false);
}

void mungeLibraries(ProjectElement *e)
{
    if (!e->hasAttribute(kLinkerAdditionalFiles))
        return;
    QString value = e->attribute(kLinkerAdditionalFiles);
    for (const QString &library : kMovedLibraries) {
        const qsizetype at = value.indexOf(library);
        if (at < 0)
            continue;
        value.replace(at, kStudioDir.size(), kPackagesDir);
        e->setAttribute(kLinkerAdditionalFiles, value, false);
        return;
    }
}

void mungeNode(ProjectElement *e)
{
    for (const QString &name : kTargetPathProperties)
        mungeTargetPath(e, name);
    mungeLibraries(e);
    e->attributeTimes.clear();
    for (ProjectElement *child = e->firstChild; child; child = child->nextSibling)
        mungeNode(child);
}

} // namespace

void munge(ProjectElement *e, int commandLineGenerationVersion)
{
    if (commandLineGenerationVersion == 0 || !e)
        return;
    mungeNode(e);
}
