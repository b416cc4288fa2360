#include "driver/kestrel_build.h"

#include "engine/arm_build_system.h"
#include "engine/compile_commands_recorder.h"
#include "engine/standard_build_system.h"
#include "driver/kestrel_arg_parse.h"
#include "driver/kestrel_builder.h"
#include "driver/kestrel_main.h"
#include "driver/memory_usage_report.h"
#include "driver/progress_builder.h"
#include "driver/solution_check.h"
#include "driver/solution_vocabulary.h"
#include "driver/trace_recorder.h"
#include "host/h_exception.h"
#include "host/interruption.h"
#include "macros/default_system_macros.h"
#include "macros/macro_system.h"
#include "macros/package_system.h"
#include "project/arm_project_system.h"
#include "project/project_element.h"
#include "project/project_templates.h"
#include "project/property_class.h"
#include "project/property_value.h"
#include "project/property_value_list.h"
#include "settings/arm_quillmark_environment_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kFailed = 1;

QByteArray local(const QString &text)
{
    return text.toLocal8Bit();
}

// A "can't find" message on standard output, then the names there are, one per line.
[[noreturn]] void cannotFind(const char *format, const QString &name, const QStringList &names)
{
    std::printf(format, local(name).constData());
    for (const QString &item : names)
        std::puts(local(item).constData());
    std::fflush(stdout);
    throw RunEnds{kFailed};
}

void createSystems()
{
    projectSystem = new ARMProjectSystem(QStringLiteral(".elf"));
    auto *arm = new ARMBuildSystem(QStringList());
    buildSystem = arm;
    standardBuildSystem = arm;
}

ProjectElement *selectFromSolutionFile(const KestrelArgParse &args)
{
    const QString path = QFileInfo(args.solutionFileName).absoluteFilePath();
    projectSystem->loadSolution(path, nullptr, nullptr);
    ProjectElement *solution = projectSystem->solutionElement();
    if (!args.projectName.isEmpty()) {
        ProjectElement *project = projectSystem->findProject(solution, args.projectName);
        if (!project)
            cannotFind("can't find project '%s' supported projects:\n", args.projectName,
                       projectSystem->solutionProjects(nullptr).keys());
        return project;
    }
    if (!args.solutionName.isEmpty()) {
        const QMap<QString, ProjectElement *> &solutions = projectSystem->solutionSolutions();
        const auto found = solutions.constFind(args.solutionName);
        if (found == solutions.constEnd())
            cannotFind("can't find solution '%s' supported solutions:\n", args.solutionName,
                       solutions.keys());
        return found.value();
    }
    return solution;
}

void checkProjectType(const QString &type)
{
    if (type.isEmpty())
        return;
    const QStringList types = projectSystem->projectTypeProperty()->enumerates();
    if (!types.contains(type))
        cannotFind("can't find project type '%s' project types:\n", type, types);
}

void fillFromTemplate(ProjectElement *solution, ProjectElement *project, const QString &name)
{
    ProjectTemplates templates;
    XMLElement *templ = templates.findTemplate(name);
    if (!templ)
        cannotFind("can't find template '%s' installed templates:\n", name,
                   templates.listTemplates());
    templates.createProjectFromTemplate(solution, project, templ);
}

void addFiles(ProjectElement *project, const QStringList &files)
{
    for (const QString &file : files) {
        auto *element = new ProjectElement(QStringLiteral("file"));
        project->appendChild(element);
        element->setFileName(file, false);
    }
}

bool isApplicable(const PropertyValueList &values, const QString &name)
{
    for (const PropertyValue *value : values) {
        if (value->propertyClass() && value->propertyClass()->saveName() == name)
            return true;
    }
    return false;
}

[[noreturn]] void cannotFindProperty(const QString &name, const PropertyValueList &values)
{
    std::printf("can't find property '%s' supported properties:\n", local(name).constData());
    for (const PropertyValue *value : values) {
        const QString saveName = value->propertyClass() ? value->propertyClass()->saveName()
                                                        : QString();
        std::printf("%s=%s\n", local(saveName).constData(),
                    local(value->propertyValue()).constData());
    }
    std::fflush(stdout);
    throw RunEnds{kFailed};
}

void setProperties(ProjectElement *project, const QString &config, const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    const std::unique_ptr<PropertyValueList> values(
        projectSystem->applicableSettingsFor(project, config));
    for (const QString &entry : entries) {
        QString name;
        QString value;
        splitAssignment(entry, name, value);
        if (!isApplicable(*values, name))
            cannotFindProperty(name, *values);
        projectSystem->setProperty(project, name, config, value, false);
    }
}

ProjectElement *createFromTypeOrTemplate(const KestrelArgParse &args)
{
    const QString here = QDir::currentPath();
    ProjectElement *solution = projectSystem->createSolution(args.projectName, here);
    checkProjectType(args.projectType);
    ProjectElement *project =
        projectSystem->createProject(solution, args.projectName, here, args.projectType);
    if (!args.templateName.isEmpty())
        fillFromTemplate(solution, project, args.templateName);
    addFiles(project, args.files);
    setProperties(project, args.configName, args.properties);
    projectSystem->loadedSolution();
    return project;
}

void checkConfiguration(ProjectElement *element, const QString &config)
{
    const QStringList configurations =
        projectSystem->configurations(element, ProjectSystem::WithVisible);
    if (!configurations.contains(config))
        cannotFind("can't find configuration '%s' supported configurations:\n", config,
                   configurations);
}

// Relative to the current directory when the file is below it, as the user most likely named it.
QString displayPath(const QString &file)
{
    const QString relative = QDir::current().relativeFilePath(file);
    return relative.startsWith(QStringLiteral("..")) ? file : relative;
}

int checkSolutionFile(const KestrelArgParse &args)
{
    projectSystem->loadSolution(QFileInfo(args.solutionFileName).absoluteFilePath(), nullptr,
                                nullptr);
    const SolutionVocabulary vocabulary;
    const QList<SolutionFinding> findings =
        checkSolution(projectSystem->solutionElement(), vocabulary);
    for (const SolutionFinding &finding : findings)
        std::printf("%s:%d: %s\n", local(displayPath(finding.file)).constData(), finding.line,
                    local(finding.message).constData());
    std::fflush(stdout);
    return findings.isEmpty() ? 0 : kFailed;
}

// What -trace and -memory-usage-json collect during the run, written once on whichever way
// the run ends: a finished build, a failed or interrupted one, or an error that ends it early.
class RunRecords
{
public:
    explicit RunRecords(const KestrelArgParse &args) : m_args(args) {}
    ~RunRecords() { (void)write(); }
    RunRecords(const RunRecords &) = delete;
    RunRecords &operator=(const RunRecords &) = delete;

    TraceRecorder *trace() { return m_args.traceFile.isNull() ? nullptr : &m_trace; }
    bool wantsMemoryUsage() const { return m_args.memoryUsage || !m_args.memoryUsageFile.isNull(); }

    QStringList memoryUsage(ProjectElement *element, const QString &config, const QString &output)
    {
        ProjectElement *project = projectSystem->projectContaining(element);
        const QString script = standardBuildSystem->linkerScriptFor(element, config, output);
        const QStringList lines =
            m_memory.add(project ? project->getName() : element->getName(), config, output, script);
        return m_args.memoryUsage ? lines : QStringList();
    }

    // False, after saying why on standard error, when a file could not be written.
    [[nodiscard]] bool write()
    {
        if (m_written)
            return true;
        m_written = true;
        QString error;
        bool written = true;
        if (!m_args.traceFile.isNull() && !m_trace.write(m_args.traceFile, &error))
            written = reportFailure(error);
        if (!m_args.memoryUsageFile.isNull() && !m_memory.write(m_args.memoryUsageFile, &error))
            written = reportFailure(error);
        return written;
    }

private:
    static bool reportFailure(const QString &error)
    {
        std::fprintf(stderr, "error: %s\n", local(error).constData());
        return false;
    }

    const KestrelArgParse &m_args;
    TraceRecorder m_trace;
    MemoryUsageReport m_memory;
    bool m_written = false;
};

// The compiler launcher's words: -launcher, else KESTREL_LAUNCHER; an empty one is none. Its
// program must be there before anything is built, so that a build never fails halfway for it.
QStringList launcherWords(const KestrelArgParse &args)
{
    const QString text =
        args.launcher.isNull() ? qEnvironmentVariable("KESTREL_LAUNCHER") : args.launcher;
    const QStringList words = QProcess::splitCommand(text);
    if (words.isEmpty())
        return words;
    const QString &program = words.first();
    const bool found = program.contains(u'/')
                           ? QFileInfo(program).isExecutable() && QFileInfo(program).isFile()
                           : !QStandardPaths::findExecutable(program).isEmpty();
    if (!found)
        throw HException{QStringLiteral("can't find the compiler launcher \"%1\" (%2)")
                             .arg(program, args.launcher.isNull()
                                               ? QStringLiteral("KESTREL_LAUNCHER")
                                               : QStringLiteral("-launcher"))};
    return words;
}

KestrelBuilder::Hooks builderHooks(RunRecords &records)
{
    KestrelBuilder::Hooks hooks;
    hooks.builtinCommand = [](const QString &directory, QStringList &command, QString &error) {
        return standardBuildSystem->builtinCommand(directory, command, error);
    };
    hooks.markBuildFailed = [] { buildSystem->buildFailed = true; };
    // The settings are written back on this way out as on every other, and so are the records
    // of the outputs: the steps that succeeded keep theirs, the one that failed says so, and
    // one an interruption cut short leaves its output's record as it was.
    hooks.exitProcess = [&records](int status) {
        if (standardBuildSystem)
            standardBuildSystem->saveOutputRecords(status == kFailed);
        if (!records.write() && status == 0)
            status = kFailed;
        closeEnvironmentSettings();
        std::exit(status);
    };
    if (records.wantsMemoryUsage())
        hooks.memoryUsage = [&records](ProjectElement *element, const QString &config,
                                       const QString &output) {
            return records.memoryUsage(element, config, output);
        };
    return hooks;
}

} // namespace

int buildFromCommandLine(KestrelArgParse &args)
{
    createSystems();
    macroSystem.setSystemMacro(QStringLiteral("Platform"), QStringLiteral("arm"));
    const int flags = args.buildFlags();
    if (args.show)
        args.echo = true;
    setupDefaultSystemMacros(args.studioDir);
    PackageSystem::setupPackageMacros(args.packagesDir);
    if (args.check)
        return checkSolutionFile(args);

    RunRecords records(args);
    if (TraceRecorder *trace = records.trace())
        trace->beginPhase(QStringLiteral("Loading ") +
                          (args.solutionFileName.isEmpty()
                               ? args.projectName
                               : QFileInfo(args.solutionFileName).fileName()));
    ProjectElement *element = args.solutionFileName.isEmpty() ? createFromTypeOrTemplate(args)
                                                              : selectFromSolutionFile(args);
    checkConfiguration(element, args.configName);
    if (TraceRecorder *trace = records.trace())
        trace->endPhase();

    const QStringList launcher = launcherWords(args);
    // Written first: editors want the file most when the code does not compile yet.
    QString error;
    if (!args.compileCommandsFile.isNull()
        && !writeCompileCommands(*buildSystem, element, args.configName, args.batch,
                                 args.compileCommandsFile, &error))
        throw HException{error};

    const std::unique_ptr<KestrelBuilder> builder =
        args.progress ? std::make_unique<ProgressBuilder>(args.echo, args.show,
                                                          builderHooks(records), args.jobs)
                      : std::make_unique<KestrelBuilder>(args.echo, args.show,
                                                         builderHooks(records), args.jobs);
    builder->setTrace(records.trace());
    builder->launcher = launcher;
    // From here on Ctrl-C stops the running tools and removes what they were writing; before,
    // nothing is written that an interruption could leave half done.
    Interruption::install();
    buildSystem->build(element, args.configName, builder.get(), flags, true, args.batch);
    builder->stopIfInterrupted();
    builder->flushTrace();
    if (!records.write())
        return kFailed;
    // A failed external command has ended the process already; a build stopped by a failed
    // built-in command or by the engine itself fails the run too.
    return buildSystem->buildFailed ? kFailed : 0;
}
