// KestrelBuilder: the console builder of the command-line tool.
#pragma once

#include "driver/trace_recorder.h"
#include "engine/builder.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class BuildJobs;

// Prints indented progress lines on standard output, echoes command lines on request, runs
// built-in file commands through the build system and everything else as a child process,
// relays the child's output, and ends the process when an external command fails.
class KestrelBuilder : public Builder
{
public:
    // How the builder reaches the build system and the process. The driver points them at
    // the process-wide build system; left empty, no command is built-in, a failure marks
    // nothing, and exitProcess ends the process with std::exit.
    struct Hooks
    {
        // True when `command` is a built-in file command and was carried out; fills
        // `errorText` when it failed.
        std::function<bool(const QString &directory, QStringList &command, QString &errorText)>
            builtinCommand;
        std::function<void()> markBuildFailed;
        std::function<void(int status)> exitProcess;
        // -memory-usage: the lines to print after `output` was linked or found up to date.
        std::function<QStringList(ProjectElement *element, const QString &config,
                                  const QString &output)>
            memoryUsage;
    };

    // With more than one job (and without `show`), the commands of each step the walk marks
    // as a job run on that many worker threads, and each step's console lines are printed
    // together when it ends; with one job every command runs at once, as it is handed over.
    KestrelBuilder(bool echo, bool show, Hooks hooks = {}, int jobs = 1);
    ~KestrelBuilder() override;

    void beginGroup(ProjectElement *element, const QString &text, int flags) override;
    void endGroup(ProjectElement *element) override;
    void init() override;
    void setDirectory(const QString &dir) override;
    void setCommand(const QStringList &words) override;
    void setEnvironment(const QStringList &env) override;
    void setOutputFiles(const QStringList &files) override;
    void setTemporaryFiles(const QStringList &files) override;
    void doit() override;
    void setPass(Pass pass) override;
    void error(const QString &text) override;
    void note(const QString &text) override;
    void success(const QString &text) override;
    void message(const QString &text) override;
    void idle() override;
    void beginJob(bool barrier) override;
    void endJob() override;
    void waitForJobs() override;
    void beginPhase(Phase phase, const QString &subject) override;
    void endPhase() override;
    void linked(ProjectElement *element, const QString &config, const QString &output) override;

    // -trace: where each step that ran and the engine's phases are recorded (null: nowhere).
    void setTrace(TraceRecorder *trace) { m_trace = trace; }
    // Records the step whose commands ran last, which stays open while further commands of
    // its group may follow. The builder does so itself before it ends the process.
    void flushTrace();
    bool runsCommands() const override { return !show; }
    bool whenStepEnds(const std::function<void(bool succeeded)> &done) override;

    // Ends the run with 128 + the signal number when an interruption has been received (see
    // host/interruption.h), after the running jobs have ended; returns otherwise. The builder
    // also looks by itself at the start of each step and around each command.
    void stopIfInterrupted();
    // Removes those of `files` that are regular files (what a stopped step was writing).
    static void removeOutputs(const QStringList &files);

    // Only characters printable in the C locale survive: each character is taken as its
    // Latin-1 code (above 255 counts as 0) and kept when it is in 32..126.
    static QByteArray printable(const QString &text);

    // The compiler launcher and its own options ("ccache", "distcc"); empty: none. With one,
    // the compilations the walk marks run as the launcher's words followed by their compiler
    // driver form (the compile commands file's entry), and the assembler passes that form
    // makes redundant are left out. What the walk hands over is unchanged.
    QStringList launcher;
    // "the launcher ... failed" when a launched command fails without printing anything (a
    // compiler that fails always says why).
    static QString launcherFailure(const QString &launcher, int status);

    bool echo;
    bool show;
    QString workingDirectory;
    QStringList command;
    QStringList environmentList;
    int indent = 0;

protected:
    // Opens a group whose console line is `shown`; a trace names its step `label`.
    void openGroup(ProjectElement *element, const QString &label, const QString &shown);

private:
    // An open group as a trace names it: the step's label, its project as the category.
    struct TraceGroup
    {
        QString label;
        QString category;
    };

    void printLine(const QString &text) const;
    void endProcess(int status);
    int traceGroup() const; // the innermost open group's number; -1 when not tracing
    void traceCommand(int group, int lane, qint64 started, qint64 ended, bool failing);
    void relay(const QStringList &lines) const;
    void failed(int status, bool printed);
    void write(const QByteArray &bytes) const;
    void settled(int outcome);
    void stopIfInterruptedInStep();
    bool launch();

    Hooks m_hooks;
    QStringList m_announced;           // output and temporary files of the current step
    bool m_directoryFailed = false;    // the step's output directory could not be made
    Pass m_pass = Pass::Other;         // of the next doit
    bool m_madeObject = false;         // a launched command of the step has made the object
    bool m_launched = false;           // the current command runs through the launcher
    std::unique_ptr<BuildJobs> m_jobs; // null when commands run one at a time
    TraceRecorder *m_trace = nullptr;
    // Tracing only: every group opened so far, by number, and the numbers of the open ones.
    std::vector<TraceGroup> m_traceGroups;
    std::vector<int> m_openGroups;
    TraceRecorder::Event m_step; // the step being recorded, while m_stepOpen
    int m_stepGroup = -1;
    bool m_stepOpen = false;
};
