// The walk over one project's tree and the build step of each kind of element: compile,
// archive, link, stage, combine and the externally built executable.
#include "engine/standard_build_system.h"

#include "engine/build_flags.h"
#include "engine/build_property_catalogue.h"
#include "engine/builder.h"
#include "engine/dependency_file.h"
#include "engine/linker/memory_map.h"
#include "engine/linker/memory_map_open_files.h"
#include "host/dequotify.h"
#include "macros/macro_system.h"
#include "project/project_element.h"
#include "project/project_system.h"

#include <QDir>

namespace {

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

QString absoluteIn(const QString &dir, const QString &path)
{
    return Path::isAbsolute(path) ? path : dir + u'/' + path;
}

// An object whose dependency file is there but unreadable cannot be judged up to date; the
// compilation that follows rewrites the file or fails naming it.
bool unreadableDependencyFile(const QString &object, Builder *builder, bool quiet)
{
    const QString file = dependencyFileName(object);
    if (!dependencyFileUnreadable(file))
        return false;
    if (!quiet && builder)
        builder->message(file + QStringLiteral(" cannot be read."));
    return true;
}

QStringList chmodCommand(bool readOnly, const QString &path)
{
    return {QStringLiteral("chmod"), readOnly ? QStringLiteral("-w") : QStringLiteral("+w"),
            path};
}

// Marks the commands of one step as one job, which a parallel builder may run beside others.
// A barrier job (an archive) runs only after every job before it, so that one library's
// archive can run while the next library compiles.
class JobScope
{
public:
    JobScope(Builder *builder, bool barrier) : m_builder(builder) { builder->beginJob(barrier); }
    ~JobScope() { m_builder->endJob(); }
    JobScope(const JobScope &) = delete;
    JobScope &operator=(const JobScope &) = delete;

private:
    Builder *m_builder;
};

} // namespace

// The record of one step's output: from the first command on, the output counts as failed
// until the step is known to have succeeded. Commands that are only shown change nothing. A
// compilation names the directory its ".d" file is read against, to log it once it succeeded.
class StandardBuildSystem::StepRecord
{
public:
    StepRecord(StandardBuildSystem &system, Builder *builder, const QString &output,
               quint64 signature, const QString &dependencyDir = QString())
        : m_system(system), m_builder(builder), m_output(output), m_signature(signature),
          m_dependencyDir(dependencyDir), m_active(builder->runsCommands())
    {
        if (m_active)
            system.startStep(output);
    }
    ~StepRecord()
    {
        if (m_active)
            m_system.settleStep(m_builder, m_output, m_signature, m_dependencyDir);
    }
    StepRecord(const StepRecord &) = delete;
    StepRecord &operator=(const StepRecord &) = delete;

private:
    StandardBuildSystem &m_system;
    Builder *m_builder;
    QString m_output;
    quint64 m_signature;
    QString m_dependencyDir;
    bool m_active;
};

bool StandardBuildSystem::platformBuild1(ProjectElement *element, const QString &config,
                                         Builder *builder, int flags)
{
    if (builder)
        builder->idle();
    bool rebuild = (flags & BuildRebuild)
                   || settingIs(element, properties().build_always_rebuild, config, kYes);
    const BuildAction action = buildAction(element, config);
    if (action != LoadAction && !(flags & BuildThisOnly)) {
        for (ProjectElement *child = element->firstChild; child; child = child->nextSibling) {
            if (stopping())
                return false;
            if (platformBuild1(child, config, builder, flags))
                rebuild = true;
        }
    }
    if (stopping())
        return false;

    switch (action) {
    case NoAction:
    case ExcludeAction:
        return rebuild;
    case ReservedAction:
        return false;
    case CompileCAction:
    case CompileCppAction:
    case ReservedCompileAction:
    case CompileForthAction:
    case CompileBasicAction:
    case AssembleAction:
        return compileStep(element, config, action, rebuild, builder, flags);
    case ArchiveAction:
        return archiveStep(element, config, rebuild, builder, flags);
    case LinkAction:
    case StageAction:
    case CombineAction:
        // These read what earlier jobs are still making, and a link generates its linker script
        // before it runs: nothing of them may happen ahead of those jobs.
        if (builder)
            builder->waitForJobs();
        if (stopping())
            return false;
        if (action == LinkAction)
            return linkStep(element, config, rebuild, builder, flags);
        return action == StageAction ? stageStep(element, config, rebuild, builder, flags)
                                     : combineStep(element, config, rebuild, builder, flags);
    case LoadAction:
        return externalBuildStep(element, config, rebuild, builder, flags);
    }
    return false;
}

void StandardBuildSystem::reportUpToDate(Builder *builder, bool quiet, const QString &output,
                                         const QString &suffix)
{
    if (!quiet && builder)
        builder->success(u'\'' + output + QStringLiteral("' is up to date") + suffix);
}

bool StandardBuildSystem::compileStep(ProjectElement *element, const QString &config,
                                      BuildAction action, bool rebuild, Builder *builder,
                                      int flags)
{
    BuildPropertyCatalogue &p = properties();
    const bool quiet = flags & BuildQuiet;
    if (builder)
        builder->nextStep();
    const QString out = output(action, element, config, false);
    element->checkDoFileStuff();
    const QString input = element->filePath;
    QString abs;
    QDateTime time;
    PhaseScope check(builder, Builder::Phase::UpToDateCheck, out);
    const quint64 signature = outputSignature(element, config, action, out, {input});
    if (exists(projectDirectory, out, abs, time, builder, quiet) && !rebuild) {
        QStringList dependencies = cachedDependencies(abs);
        if (dependencies.isEmpty())
            dependencies = getObjectFileDependencies(projectDirectory, input, abs);
        // Looked at only without dependencies, so a no-op build reads each file once.
        const bool known =
            !dependencies.isEmpty() || !unreadableDependencyFile(abs, builder, quiet);
        if (dependencies.isEmpty())
            dependencies.append(element->absolutePath.filePath());
        if (known && upToDate(projectDirectory, out, time, dependencies, builder, quiet) &&
            commandUpToDate(element, config, time, action, builder, quiet) &&
            signatureUpToDate(out, abs, signature, builder, quiet)) {
            dependencyCache.insert_or_assign(abs, dependencies);
            check.end();
            reportUpToDate(builder, quiet, out);
            return false;
        }
    }
    check.end();
    dependencyCache.erase(abs);
    if (flags & BuildClean)
        cleanFile(abs, quiet, builder);
    if ((flags & BuildNoBuild) || !builder)
        return true;

    const JobScope job(builder, false);
    const StepRecord record(*this, builder, abs, signature, projectDirectory);
    runUserCommand(element, config, p.compile_pre_build_command, p.compile_pre_build_command_wd,
                   QStringLiteral("Pre-compile command "), QString(), builder);
    if (stopping())
        return true;
    createCommandFor(element, config, action, out, abs, {input}, builder, quiet,
                     flags & BuildClean);
    forgetFileTime(abs);
    if (stopping())
        return true;
    runUserCommand(element, config, p.compile_post_build_command,
                   p.compile_post_build_command_wd, QStringLiteral("Post-compile command "), abs,
                   builder);
    return true;
}

bool StandardBuildSystem::archiveStep(ProjectElement *element, const QString &config,
                                      bool rebuild, Builder *builder, int flags)
{
    const bool quiet = flags & BuildQuiet;
    if (builder)
        builder->nextStep();
    const QString out = output(ArchiveAction, element, config, false);
    QStringList inputs;
    findOutputs(element->firstChild, config, inputs, false);
    QString abs;
    QDateTime time;
    PhaseScope check(builder, Builder::Phase::UpToDateCheck, out);
    const quint64 signature = outputSignature(element, config, ArchiveAction, out, inputs);
    if (exists(projectDirectory, out, abs, time, builder, quiet) && !rebuild &&
        upToDate(projectDirectory, out, time, inputs, builder, quiet) &&
        commandUpToDate(element, config, time, ArchiveAction, builder, quiet) &&
        signatureUpToDate(out, abs, signature, builder, quiet)) {
        check.end();
        reportUpToDate(builder, quiet, out);
        return false;
    }
    check.end();
    if (flags & BuildClean)
        cleanFile(abs, quiet, builder);
    if ((flags & BuildNoBuild) || !builder)
        return true;
    const JobScope job(builder, true);
    const StepRecord record(*this, builder, abs, signature);
    createCommandFor(element, config, ArchiveAction, out, abs, inputs, builder, quiet,
                     flags & BuildClean);
    forgetFileTime(abs);
    return true;
}

// The link inputs the project's dependencies contribute: a library's archive, an object-file
// project's objects. A dependency rebuilt in this run forces the link.
void StandardBuildSystem::addDependencyInputs(ProjectElement *element, const QString &config,
                                              QStringList &inputs, bool &rebuild)
{
    const QList<ProjectElement *> dependencies = directlyDependsOn(element, config);
    for (ProjectElement *dependency : dependencies) {
        if (!settingIs(dependency, properties().build_exclude_from_build, config, kNo))
            continue;
        const QString projectType = projectSystem->getProjectType(dependency);
        if (projectType == u"Library")
            inputs.append(output(ArchiveAction, dependency, config, true));
        else if (projectType == u"Object file")
            findOutputs(dependency->firstChild, config, inputs, true);
        bool built = false;
        if (justBuilt(dependency, config, built) && built)
            rebuild = true;
    }
}

bool StandardBuildSystem::linkStep(ProjectElement *element, const QString &config, bool rebuild,
                                   Builder *builder, int flags)
{
    BuildPropertyCatalogue &p = properties();
    const bool quiet = flags & BuildQuiet;
    if (builder)
        builder->nextStep();
    const QString out = output(LinkAction, element, config, false);
    QStringList inputs;
    findOutputs(element->firstChild, config, inputs, false);
    addDependencyInputs(element, config, inputs, rebuild);
    inputs += stringListSetting(QString(), element, p.linker_additional_files, config, true,
                                false);

    QString abs;
    QDateTime time;
    PhaseScope check(builder, Builder::Phase::UpToDateCheck, out);
    const quint64 signature = outputSignature(element, config, LinkAction, out, inputs);
    if (exists(projectDirectory, out, abs, time, builder, quiet) && !rebuild) {
        QStringList dependencies = inputs;
        addLinkerScriptInputs(element, config, dependencies);
        if (upToDate(projectDirectory, out, time, dependencies, builder, quiet) &&
            commandUpToDate(element, config, time, LinkAction, builder, quiet) &&
            signatureUpToDate(out, abs, signature, builder, quiet) &&
            additionalOutputFileUpToDate(element, config, abs, dependencies, builder, quiet) &&
            mapOutputFileUpToDate(element, config, abs, dependencies, builder, quiet)) {
            check.end();
            reportUpToDate(builder, quiet, out);
            if (builder)
                builder->linked(element, config, abs);
            return false;
        }
    }
    check.end();
    if (flags & BuildClean)
        cleanFile(abs, quiet, builder);
    if ((flags & BuildNoBuild) || !builder)
        return true;

    const StepRecord record(*this, builder, abs, signature);
    runUserCommand(element, config, p.linker_pre_build_command, p.linker_pre_build_command_wd,
                   QStringLiteral("Pre-link command "), QString(), builder);
    if (stopping())
        return true;
    createCommandFor(element, config, LinkAction, out, abs, inputs, builder, quiet,
                     flags & BuildClean);
    forgetFileTime(abs);
    if (stopping())
        return true;
    runUserCommand(element, config, p.linker_post_build_command, p.linker_post_build_command_wd,
                   QStringLiteral("Post-link command "), abs, builder);
    if (!stopping())
        builder->linked(element, config, abs);
    return true;
}

// What a link depends on besides its inputs: the project's own linker script, or else the
// memory map and section placement files a script is generated from.
void StandardBuildSystem::addLinkerScriptInputs(ProjectElement *element, const QString &config,
                                                QStringList &dependencies)
{
    if (ProjectElement *script = findFileOfType(element, config, QStringLiteral("Linker Script"))) {
        script->checkDoFileStuff();
        dependencies.append(script->absolutePath.filePath());
        return;
    }
    QString path;
    if (useMemoryMapFileForLink(element, config, path)) {
        dependencies.append(path);
        // A file the map imports shapes the generated script as much as the map itself. The
        // map is loaded as the script step loads it, so it is read once per run.
        const QString directory =
            projectSystem->projectDirectoryPath(projectSystem->projectContaining(element));
        const QString macros = setting(element, properties().linker_memory_map_macros, config);
        if (MemoryMap *map =
                MemoryMapOpenFiles::getMemoryMapFile(getAbsPath(directory, path), macros, true))
            dependencies += map->importedFiles();
    }
    if (useSectionPlacementFileForLink(element, config, path))
        dependencies.append(path);
}

bool StandardBuildSystem::stageStep(ProjectElement *element, const QString &config, bool rebuild,
                                    Builder *builder, int flags)
{
    BuildPropertyCatalogue &p = properties();
    if (element->isProject()) {
        // The project itself is one of the steps counted for it, like each staged file.
        if (builder)
            builder->nextStep();
        const QString command = settingForExpanded(element, p.stage_post_build_command, config);
        if (command.isEmpty() || !rebuild)
            return false;
        if ((flags & BuildNoBuild) || !builder)
            return true;
        builder->beginGroup(element, QStringLiteral("Post-stage command "), 0);
        builder->init();
        builder->setDirectory(workingDirectory(element, p.stage_post_build_command_wd, config));
        builder->setCommand(dequotify(command));
        builder->doit();
        builder->endGroup(element);
        return true;
    }

    const bool quiet = flags & BuildQuiet;
    if (builder)
        builder->nextStep();
    const QString out = output(StageAction, element, config, false);
    element->checkDoFileStuff();
    const QString input = absoluteIn(projectDirectory, element->filePath);
    QString abs;
    QDateTime time;
    PhaseScope check(builder, Builder::Phase::UpToDateCheck, out);
    const quint64 signature = outputSignature(element, config, StageAction, out, {input});
    if (exists(projectDirectory, out, abs, time, builder, quiet) && !rebuild &&
        upToDate(projectDirectory, out, time, {input}, builder, quiet) &&
        commandUpToDate(element, config, time, StageAction, builder, quiet) &&
        signatureUpToDate(out, abs, signature, builder, quiet)) {
        check.end();
        reportUpToDate(builder, quiet, out, QStringLiteral("."));
        return false;
    }
    check.end();
    if (flags & BuildClean)
        cleanFile(abs, quiet, builder);
    if ((flags & BuildNoBuild) || !builder)
        return true;

    const QMap<QString, QString> table{{QStringLiteral("StageOutputFilePath"), abs}};
    const QStringList command = dequotify(
        macroSystem.replaceMacros(table, settingForExpanded(element, p.stage_command, config)));
    const StepRecord record(*this, builder, abs, signature);
    builder->beginGroup(element, QStringLiteral("Copying ") + element->getName(), 0);
    builder->init();
    builder->setDirectory(workingDirectory(element, p.stage_command_wd, config));
    builder->setCommand(command);
    builder->setOutputFiles({abs});
    builder->doit();
    forgetFileTime(abs);
    if (!stopping()) {
        builder->setCommand(chmodCommand(settingIs(element, p.stage_set_readonly, config, kYes),
                                         abs));
        builder->doit();
        builder->endGroup(element);
    }
    return true;
}

bool StandardBuildSystem::combineStep(ProjectElement *element, const QString &config,
                                      bool rebuild, Builder *builder, int flags)
{
    BuildPropertyCatalogue &p = properties();
    const bool quiet = flags & BuildQuiet;
    if (builder)
        builder->nextStep();
    const QString out = output(CombineAction, element, config, false);
    QStringList inputs;
    findRelativeInputs(element->firstChild, config, inputs);
    QString abs;
    QDateTime time;
    PhaseScope check(builder, Builder::Phase::UpToDateCheck, out);
    const quint64 signature = outputSignature(element, config, CombineAction, out, inputs);
    if (exists(projectDirectory, out, abs, time, builder, quiet) && !rebuild &&
        upToDate(projectDirectory, out, time, inputs, builder, quiet) &&
        commandUpToDate(element, config, time, CombineAction, builder, quiet) &&
        signatureUpToDate(out, abs, signature, builder, quiet)) {
        check.end();
        reportUpToDate(builder, quiet, out);
        return false;
    }
    check.end();
    if (flags & BuildClean)
        cleanFile(abs, quiet, builder);
    if ((flags & BuildNoBuild) || !builder)
        return true;

    const QMap<QString, QString> table{
        {QStringLiteral("CombiningOutputFilePath"), abs},
        {QStringLiteral("CombiningRelInputPaths"), inputs.join(u' ')}};
    const QStringList command = dequotify(
        macroSystem.replaceMacros(table, settingForExpanded(element, p.combine_command, config)));
    const StepRecord record(*this, builder, abs, signature);
    builder->beginGroup(element, QStringLiteral("Combining ") + element->getName(), 0);
    builder->init();
    builder->setDirectory(workingDirectory(element, p.combine_command_wd, config));
    builder->setCommand(command);
    builder->setOutputFiles({abs});
    builder->doit();
    forgetFileTime(abs);
    if (stopping())
        return false;
    builder->setCommand(chmodCommand(settingIs(element, p.combine_set_readonly, config, kYes),
                                     abs));
    builder->doit();
    builder->endGroup(element);
    return true;
}

// An externally built executable is made by the user's own commands, which the engine cannot
// see into: its dependents always treat it as changed.
bool StandardBuildSystem::externalBuildStep(ProjectElement *element, const QString &config,
                                            bool rebuild, Builder *builder, int flags)
{
    if (!element->isProject() || !builder)
        return rebuild;
    builder->waitForJobs();
    if (stopping())
        return false;
    BuildPropertyCatalogue &p = properties();
    builder->init();
    builder->setDirectory(projectSystem->projectDirectoryPath(element));
    const QString clean = settingForExpanded(element, p.external_clean_command, config);
    if ((flags & BuildClean) && !clean.isEmpty()) {
        builder->beginGroup(element, QStringLiteral("Running Clean command ") + element->getName(),
                            0);
        builder->setCommand(clean.split(u' ', Qt::SkipEmptyParts));
        builder->doit();
        builder->endGroup(element);
    }
    const QString build = settingForExpanded(element, p.external_build_command, config);
    if (!stopping() && !(flags & BuildNoBuild) && !build.isEmpty()) {
        const QString abs = output(LoadAction, element, config, true);
        builder->beginGroup(element, QStringLiteral("Running Build command ") + element->getName(),
                            0);
        builder->setCommand(build.split(u' ', Qt::SkipEmptyParts));
        builder->setOutputFiles({abs});
        builder->doit();
        forgetFileTime(abs);
        builder->endGroup(element);
    }
    return true;
}

QString StandardBuildSystem::workingDirectory(ProjectElement *element,
                                              const PropertyClass *property,
                                              const QString &config)
{
    // An empty working directory setting means the project directory rather than wherever the
    // tool happened to be started.
    const QString directory = settingForExpanded(element, property, config);
    return directory.isEmpty() ? projectDirectory : directory;
}

// Runs a user's pre- or post-step. `targetPath`, when not null, is offered as $(TargetPath).
void StandardBuildSystem::runUserCommand(ProjectElement *element, const QString &config,
                                         const PropertyClass *command,
                                         const PropertyClass *workingDirectoryProperty,
                                         const QString &label, const QString &targetPath,
                                         Builder *builder)
{
    QString text = settingForExpanded(element, command, config);
    if (!targetPath.isNull())
        text = macroSystem.replaceMacros({{QStringLiteral("TargetPath"), targetPath}}, text);
    const QStringList words = dequotify(text);
    if (words.isEmpty())
        return;
    builder->init();
    builder->setDirectory(workingDirectory(element, workingDirectoryProperty, config));
    builder->beginGroup(element, label, 0);
    builder->setCommand(words);
    builder->doit();
    builder->endGroup(element);
}
