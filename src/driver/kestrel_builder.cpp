#include "driver/kestrel_builder.h"

#include "driver/build_jobs.h"
#include "engine/compile_command.h"
#include "host/interruption.h"
#include "host/path.h"
#include "host/qtx.h"
#include "project/project_element.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

namespace {

// How a worker thread runs one command of a job: exactly as doit runs it.
BuildJobs::Runner commandRunner(const KestrelBuilder::Hooks &hooks)
{
    return [builtin = hooks.builtinCommand](const QString &directory, QStringList &command) {
        BuildJobs::CommandResult result;
        if (builtin && builtin(directory, command, result.builtinError)) {
            result.builtin = true;
            return result;
        }
        result.status = QTx::spawnProcess(command, true, directory, false, &result.outputLines,
                                          &result.errorLines, true);
        result.interrupted = Interruption::signal() != 0;
        return result;
    };
}

// Job slot n shows as lane n + 1; commands run one at a time use the first slot's lane.
int laneOf(int worker)
{
    return std::max(worker, 0) + 1;
}

QString projectOf(ProjectElement *element)
{
    while (element && !element->isProject())
        element = element->parent;
    return element ? element->getName() : QString();
}

QString phaseName(Builder::Phase phase, const QString &subject)
{
    switch (phase) {
    case Builder::Phase::Resolving:
        return QStringLiteral("Resolving ") + subject;
    case Builder::Phase::UpToDateCheck:
        return QStringLiteral("Checking ") + subject;
    case Builder::Phase::LinkerScript:
        return QStringLiteral("Generating linker script ") + QFileInfo(subject).fileName();
    }
    return subject;
}

} // namespace

KestrelBuilder::KestrelBuilder(bool echo_, bool show_, Hooks hooks, int jobs)
    : echo(echo_), show(show_), m_hooks(std::move(hooks))
{
    // Shown commands do not run, so there is nothing to run at the same time.
    if (jobs > 1 && !show)
        m_jobs = std::make_unique<BuildJobs>(jobs, commandRunner(m_hooks),
                                             [this](const QByteArray &bytes) { write(bytes); });
    if (m_jobs)
        m_jobs->setObserver(
            [this](int group, int worker, qint64 started, qint64 ended, bool failing) {
                traceCommand(group, laneOf(worker), started, ended, failing);
            });
}

KestrelBuilder::~KestrelBuilder() = default;

QByteArray KestrelBuilder::printable(const QString &text)
{
    QByteArray result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code >= 32 && code <= 126)
            result.append(char(code));
    }
    return result;
}

// Flushed per line so that progress shows while a long command runs, also through a pipe.
void KestrelBuilder::printLine(const QString &text) const
{
    const QByteArray line = QByteArray(indent, ' ') + printable(text) + '\n';
    if (m_jobs)
        m_jobs->line(line);
    else
        write(line);
}

void KestrelBuilder::write(const QByteArray &bytes) const
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void KestrelBuilder::beginGroup(ProjectElement *element, const QString &text, int)
{
    openGroup(element, text, text);
}

void KestrelBuilder::openGroup(ProjectElement *element, const QString &label, const QString &shown)
{
    indent += 2;
    printLine(shown);
    if (!m_trace)
        return;
    // A group opened without an element (an archive's) belongs to the project around it.
    QString category = projectOf(element);
    if (category.isNull() && !m_openGroups.empty())
        category = m_traceGroups[size_t(m_openGroups.back())].category;
    m_openGroups.push_back(int(m_traceGroups.size()));
    m_traceGroups.push_back({label, category});
}

void KestrelBuilder::endGroup(ProjectElement *)
{
    indent -= 2;
    if (!m_openGroups.empty())
        m_openGroups.pop_back();
}

// A new step begins: whatever the last one announced is complete.
void KestrelBuilder::init()
{
    workingDirectory = QString();
    command.clear();
    environmentList.clear();
    m_announced.clear();
    m_directoryFailed = false;
    m_pass = Pass::Other;
    m_madeObject = false;
    stopIfInterrupted();
}

void KestrelBuilder::setDirectory(const QString &dir)
{
    workingDirectory = dir;
}

void KestrelBuilder::setCommand(const QStringList &words)
{
    command = words;
}

void KestrelBuilder::setEnvironment(const QStringList &env)
{
    environmentList = env;
}

// The files are remembered until the next init, so that a step cut short by an interruption
// leaves no partial file behind that a later build would take as up to date. A directory that
// cannot be made fails the step before its command runs. An empty name is no file: an
// externally built executable need not name what its command makes, and its command still runs.
void KestrelBuilder::setOutputFiles(const QStringList &files)
{
    for (const QString &file : files) {
        if (file.isEmpty())
            continue;
        if (!m_announced.contains(file))
            m_announced.append(file);
        if (Path::ensureDirExists(file) || m_directoryFailed)
            continue;
        m_directoryFailed = true;
        printLine(QStringLiteral("can't create directory \"%1\" for \"%2\"")
                      .arg(QFileInfo(file).absolutePath(), file));
        if (m_hooks.markBuildFailed)
            m_hooks.markBuildFailed();
    }
}

void KestrelBuilder::setTemporaryFiles(const QStringList &files)
{
    setOutputFiles(files);
}

// Tool output is relayed byte for byte as the tool wrote it, at column 0.
void KestrelBuilder::relay(const QStringList &lines) const
{
    for (const QString &line : lines) {
        const QByteArray bytes = line.toLatin1();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
}

QString KestrelBuilder::launcherFailure(const QString &launcher, int status)
{
    return QStringLiteral("the launcher \"%1\" failed (exit status %2)").arg(launcher).arg(status);
}

void KestrelBuilder::failed(int status, bool printed)
{
    if (status == -1) {
        const QString program = command.isEmpty() ? QString() : command.first();
        printLine(QStringLiteral("can't execute command \"") + program + u'"');
    } else if (m_launched && !printed) {
        printLine(launcherFailure(launcher.first(), status));
    }
    if (m_hooks.markBuildFailed)
        m_hooks.markBuildFailed();
    endProcess(1);
}

void KestrelBuilder::endProcess(int status)
{
    std::fflush(stdout);
    flushTrace();
    if (m_hooks.exitProcess)
        m_hooks.exitProcess(status);
    else
        std::exit(status);
}

void KestrelBuilder::setPass(Pass pass)
{
    m_pass = pass;
}

// Rewrites the command into its launched form when the walk marked it as a compilation;
// false when the command has nothing left to do: a launched command has made the step's
// object, so there is no assembly to assemble, and no temporary output to remove (the walk
// removes the file it reserved for it).
bool KestrelBuilder::launch()
{
    const Pass pass = std::exchange(m_pass, Pass::Other);
    m_launched = false;
    if (launcher.isEmpty())
        return true;
    if (pass == Pass::Assemble || pass == Pass::RemoveIntermediate)
        return !m_madeObject;
    std::optional<CompileCommand> driver;
    if (pass == Pass::Compile && !m_announced.isEmpty())
        driver = compileCommandFromPass(workingDirectory, command, m_announced.first());
    else if (pass == Pass::CompileToAssembly)
        driver = assemblyCommandFromPass(workingDirectory, command);
    if (!driver)
        return true;
    command = launcher + driver->arguments;
    m_launched = true;
    m_madeObject = pass == Pass::Compile;
    return true;
}

void KestrelBuilder::doit()
{
    if (!launch())
        return;
    if (echo)
        printLine(command.join(u' '));
    if (show || m_directoryFailed)
        return;
    if (m_jobs && m_jobs->recording()) {
        stopIfInterrupted();
        m_jobs->command(workingDirectory, command, indent, m_announced, traceGroup(),
                        m_launched ? launcher.first() : QString());
        return;
    }
    // A command outside any job may need what the jobs make: it runs after them.
    waitForJobs();
    stopIfInterruptedInStep();
    QString errorText;
    const qint64 started = TraceRecorder::now();
    if (m_hooks.builtinCommand && m_hooks.builtinCommand(workingDirectory, command, errorText)) {
        traceCommand(traceGroup(), laneOf(0), started, TraceRecorder::now(), !errorText.isEmpty());
        if (!errorText.isEmpty()) {
            printLine(errorText);
            if (m_hooks.markBuildFailed)
                m_hooks.markBuildFailed();
        }
        return;
    }
    QStringList outputLines;
    QStringList errorLines;
    const int status = QTx::spawnProcess(command, true, workingDirectory, false, &outputLines,
                                         &errorLines, true);
    traceCommand(traceGroup(), laneOf(0), started, TraceRecorder::now(),
                 status != 0 || Interruption::signal() != 0);
    relay(errorLines);
    relay(outputLines);
    stopIfInterruptedInStep();
    if (status != 0)
        failed(status, !errorLines.isEmpty() || !outputLines.isEmpty());
}

// Only regular files are removed: an output named /dev/null must survive an interruption.
void KestrelBuilder::removeOutputs(const QStringList &files)
{
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (info.isFile() && !info.isSymLink())
            QTx::removeFile(file);
    }
}

// Some of the step's commands may have run, and the one that was running has been stopped
// halfway: none of its outputs can be trusted.
void KestrelBuilder::stopIfInterruptedInStep()
{
    if (!Interruption::signal())
        return;
    removeOutputs(m_announced);
    stopIfInterrupted();
}

// The running jobs see the interruption too: their tools are stopped and the steps they cut
// short lose their outputs. Once all have ended the run ends with 128 + the signal number.
void KestrelBuilder::stopIfInterrupted()
{
    const int status = Interruption::exitStatus();
    if (status == 0)
        return;
    if (m_jobs)
        m_jobs->waitForAll();
    write("build interrupted\n");
    if (m_hooks.markBuildFailed)
        m_hooks.markBuildFailed();
    endProcess(status);
}

void KestrelBuilder::error(const QString &text)
{
    printLine(text);
}

void KestrelBuilder::note(const QString &text)
{
    printLine(text);
}

void KestrelBuilder::success(const QString &text)
{
    printLine(text);
}

void KestrelBuilder::message(const QString &text)
{
    printLine(text);
}

void KestrelBuilder::idle()
{
    if (m_jobs)
        settled(m_jobs->settle());
}

void KestrelBuilder::beginJob(bool barrier)
{
    if (m_jobs)
        m_jobs->begin(barrier);
}

void KestrelBuilder::endJob()
{
    if (!m_jobs)
        return;
    m_jobs->end();
    settled(m_jobs->settle());
}

void KestrelBuilder::waitForJobs()
{
    if (m_jobs && !m_jobs->recording())
        settled(m_jobs->waitForAll());
}

bool KestrelBuilder::whenStepEnds(const std::function<void(bool succeeded)> &done)
{
    if (!m_jobs || !m_jobs->recording())
        return false;
    m_jobs->whenEnds(done);
    return true;
}

// A failed built-in command stops the walk; a failed program ends the run, as it does when
// commands run one at a time, once the other running jobs have ended and been printed.
void KestrelBuilder::settled(int outcome)
{
    stopIfInterrupted();
    if (outcome == BuildJobs::Running)
        return;
    if (m_hooks.markBuildFailed)
        m_hooks.markBuildFailed();
    if (outcome != BuildJobs::CommandFailed)
        return;
    endProcess(1);
}

void KestrelBuilder::beginPhase(Phase phase, const QString &subject)
{
    if (m_trace)
        m_trace->beginPhase(phaseName(phase, subject));
}

void KestrelBuilder::endPhase()
{
    if (m_trace)
        m_trace->endPhase();
}

// Shown commands ran nothing, so there is no fresh output to look at.
void KestrelBuilder::linked(ProjectElement *element, const QString &config, const QString &output)
{
    if (show || !m_hooks.memoryUsage)
        return;
    const QStringList lines = m_hooks.memoryUsage(element, config, output);
    indent += 2;
    for (const QString &line : lines)
        printLine(line);
    indent -= 2;
}

int KestrelBuilder::traceGroup() const
{
    return m_openGroups.empty() ? -1 : m_openGroups.back();
}

// A step is the run of commands of one group on one lane: consecutive commands of the same
// group extend it, so a copy and its chmod make one step.
void KestrelBuilder::traceCommand(int group, int lane, qint64 started, qint64 ended, bool failing)
{
    if (!m_trace)
        return;
    if (m_stepOpen && group == m_stepGroup && lane == m_step.lane) {
        m_step.end = ended;
        m_step.failed = m_step.failed || failing;
        return;
    }
    flushTrace();
    static const TraceGroup outsideGroups{QStringLiteral("command"), QString()};
    const TraceGroup &named = group >= 0 ? m_traceGroups[size_t(group)] : outsideGroups;
    m_step = {named.label, named.category, lane, started, ended, failing};
    m_stepGroup = group;
    m_stepOpen = true;
}

void KestrelBuilder::flushTrace()
{
    if (!m_trace || !m_stepOpen)
        return;
    m_trace->record(m_step);
    m_stepOpen = false;
}
