#include "driver/kestrel_builder.h"

#include "driver/build_jobs.h"
#include "host/interruption.h"
#include "host/path.h"
#include "host/qtx.h"

#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
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

} // namespace

KestrelBuilder::KestrelBuilder(bool echo_, bool show_, Hooks hooks, int jobs)
    : echo(echo_), show(show_), m_hooks(std::move(hooks))
{
    // Shown commands do not run, so there is nothing to run at the same time.
    if (jobs > 1 && !show)
        m_jobs = std::make_unique<BuildJobs>(jobs, commandRunner(m_hooks),
                                             [this](const QByteArray &bytes) { write(bytes); });
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

void KestrelBuilder::beginGroup(ProjectElement *, const QString &text, int)
{
    indent += 2;
    printLine(text);
}

void KestrelBuilder::endGroup(ProjectElement *)
{
    indent -= 2;
}

// A new step begins: whatever the last one announced is complete.
void KestrelBuilder::init()
{
    workingDirectory = QString();
    command.clear();
    environmentList.clear();
    m_announced.clear();
    m_directoryFailed = false;
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

void KestrelBuilder::failed(int status)
{
    if (status == -1) {
        const QString program = command.isEmpty() ? QString() : command.first();
        printLine(QStringLiteral("can't execute command \"") + program + u'"');
    }
    if (m_hooks.markBuildFailed)
        m_hooks.markBuildFailed();
    std::fflush(stdout);
    if (m_hooks.exitProcess)
        m_hooks.exitProcess(1);
    else
        std::exit(1);
}

void KestrelBuilder::doit()
{
    if (echo)
        printLine(command.join(u' '));
    if (show || m_directoryFailed)
        return;
    if (m_jobs && m_jobs->recording()) {
        stopIfInterrupted();
        m_jobs->command(workingDirectory, command, indent, m_announced);
        return;
    }
    // A command outside any job may need what the jobs make: it runs after them.
    waitForJobs();
    stopIfInterruptedInStep();
    QString errorText;
    if (m_hooks.builtinCommand && m_hooks.builtinCommand(workingDirectory, command, errorText)) {
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
    relay(errorLines);
    relay(outputLines);
    stopIfInterruptedInStep();
    if (status != 0)
        failed(status);
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
    if (m_hooks.exitProcess)
        m_hooks.exitProcess(status);
    else
        std::exit(status);
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
    std::fflush(stdout);
    if (m_hooks.exitProcess)
        m_hooks.exitProcess(1);
    else
        std::exit(1);
}
