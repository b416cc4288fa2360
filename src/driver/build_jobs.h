// BuildJobs: the console builder's side of a parallel build. Records the commands and console
// lines of one build step as a job, runs the jobs on a JobPool and prints what they printed.
#pragma once

#include "driver/job_pool.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

// Console output stays in the order in which the walk produced it: a job's lines (its group
// line, echoed commands and the tools' relayed output) are printed together once the job and
// every job before it have ended, and a line produced outside any job while jobs are still
// running waits behind them. So a parallel build that succeeds prints exactly what a build
// running one command at a time prints.
class BuildJobs
{
public:
    // What one command did. `builtin` is true when the builder carried it out itself; its
    // failure is then `builtinError` (not empty). Otherwise `status` is the exit status of the
    // child process (-1: it could not be run).
    struct CommandResult
    {
        bool builtin = false;
        QString builtinError;
        int status = 0;
        QStringList outputLines;
        QStringList errorLines;
        bool interrupted = false; // the build was interrupted while the command ran
    };
    // Runs one command on a worker thread; it may rewrite the words, as built-ins do.
    using Runner =
        std::function<CommandResult(const QString &directory, QStringList &command)>;
    // Writes console bytes; called on the owner's thread only.
    using Writer = std::function<void(const QByteArray &bytes)>;
    // Told of each command that ran, when its job's lines are printed (on the owner's
    // thread): the tag given to command(), the worker that ran it, when it started and ended
    // (TraceRecorder::now()) and whether it failed.
    using Observer =
        std::function<void(int tag, int worker, qint64 started, qint64 ended, bool failed)>;
    enum Outcome { Running, BuiltinFailed, CommandFailed };

    BuildJobs(int jobs, Runner runner, Writer writer);
    ~BuildJobs();

    void begin(bool barrier);
    bool recording() const { return m_current != nullptr; }
    // A finished console line (indentation and line end included).
    void line(const QByteArray &bytes);
    // `indent` is the indentation of a "can't execute command" line about it; `outputs` are the
    // files its step announced, removed when an interruption stops the command; `launcher` is
    // the compiler launcher it runs through, if any, named when it fails silently.
    void command(const QString &directory, const QStringList &words, int indent,
                 const QStringList &outputs = {}, int tag = -1, const QString &launcher = {});
    void setObserver(Observer observer) { m_observer = std::move(observer); }
    void end();
    // `done` learns, when the job being recorded has run, whether all its commands succeeded;
    // it is not called for a job that never ran or that an interruption cut short.
    void whenEnds(const std::function<void(bool succeeded)> &done);

    // Prints what the ended jobs printed and reports a failure. After a failure it lets the
    // running jobs end and prints them too, and no further job starts.
    Outcome settle();
    Outcome waitForAll();

private:
    struct Item;
    struct Job;
    struct Block
    {
        int job = -1; // -1: lines printed outside any job
        std::shared_ptr<Job> record;
        QByteArray lines;
    };

    static bool run(Job &job, const Runner &runner);
    void print(const Job &job) const;
    void flush();
    Outcome failure();

    Runner m_runner;
    Writer m_writer;
    Observer m_observer;
    JobPool m_pool;
    std::shared_ptr<Job> m_current;
    bool m_currentBarrier = false;
    std::deque<Block> m_blocks;
    Outcome m_outcome = Running;
};
