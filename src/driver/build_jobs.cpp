#include "driver/build_jobs.h"

#include "driver/kestrel_builder.h"
#include "driver/trace_recorder.h"

#include <vector>

// One thing a job does, in order: print a line the walk produced, or run a command and print
// what it printed.
struct BuildJobs::Item
{
    QByteArray line;
    bool isCommand = false;
    QString directory;
    QStringList words;
    int indent = 0;
    QStringList outputs;
    int tag = -1;
    QString launcher;
    bool ran = false;
    int worker = -1;
    qint64 started = 0;
    qint64 ended = 0;
    CommandResult result;

    bool failed() const
    {
        return result.interrupted || (result.builtin && !result.builtinError.isEmpty()) ||
               (!result.builtin && result.status != 0);
    }
};

struct BuildJobs::Job
{
    std::vector<Item> items;
    Outcome outcome = Running; // how the job failed, if it did
    bool interrupted = false;
    std::function<void(bool succeeded)> done;
};

namespace {

QByteArray consoleLine(int indent, const QString &text)
{
    return QByteArray(indent, ' ') + KestrelBuilder::printable(text) + '\n';
}

QByteArray relayed(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toLatin1() + '\n';
    return bytes;
}

} // namespace

BuildJobs::BuildJobs(int jobs, Runner runner, Writer writer)
    : m_runner(std::move(runner)), m_writer(std::move(writer)), m_pool(jobs)
{
}

BuildJobs::~BuildJobs()
{
    m_pool.waitForAll();
    flush();
}

void BuildJobs::begin(bool barrier)
{
    m_current = std::make_shared<Job>();
    m_currentBarrier = barrier;
}

void BuildJobs::line(const QByteArray &bytes)
{
    if (m_current) {
        Item item;
        item.line = bytes;
        m_current->items.push_back(std::move(item));
        return;
    }
    if (m_blocks.empty()) {
        m_writer(bytes);
        return;
    }
    if (m_blocks.back().job < 0)
        m_blocks.back().lines += bytes;
    else
        m_blocks.push_back({-1, nullptr, bytes});
}

void BuildJobs::command(const QString &directory, const QStringList &words, int indent,
                        const QStringList &outputs, int tag, const QString &launcher)
{
    Item item;
    item.isCommand = true;
    item.tag = tag;
    item.launcher = launcher;
    item.directory = directory;
    item.words = words;
    item.indent = indent;
    item.outputs = outputs;
    m_current->items.push_back(std::move(item));
}

// A job without commands (its step stopped before running any) is only console lines.
void BuildJobs::end()
{
    std::shared_ptr<Job> job = std::move(m_current);
    m_current = nullptr;
    if (!job)
        return;
    bool hasCommand = false;
    for (const Item &item : job->items)
        hasCommand = hasCommand || item.isCommand;
    if (!hasCommand) {
        for (const Item &item : job->items)
            line(item.line);
        // Its step stopped before it could hand over a command: it did not make its output.
        if (job->done)
            job->done(false);
        return;
    }
    const Runner *runner = &m_runner;
    const int number = m_pool.submit([job, runner] { return run(*job, *runner); },
                                     m_currentBarrier);
    m_blocks.push_back({number, job, {}});
    // The walk stays at most one queue's length ahead of the workers.
    while (m_pool.queued() >= m_pool.workers() && !m_pool.failed()) {
        m_pool.waitForAny();
        flush();
    }
}

// Runs on a worker thread. A job stops at its first failing command, as a build running one
// command at a time stops there.
bool BuildJobs::run(Job &job, const Runner &runner)
{
    for (Item &item : job.items) {
        if (!item.isCommand)
            continue;
        item.worker = JobPool::currentWorker();
        item.started = TraceRecorder::now();
        item.result = runner(item.directory, item.words);
        item.ended = TraceRecorder::now();
        item.ran = true;
        // The step was cut short: what it was writing must not look up to date later.
        if (item.result.interrupted) {
            KestrelBuilder::removeOutputs(item.outputs);
            job.interrupted = true;
            job.outcome = CommandFailed;
            return false;
        }
        if (item.result.builtin && !item.result.builtinError.isEmpty()) {
            job.outcome = BuiltinFailed;
            return false;
        }
        if (!item.result.builtin && item.result.status != 0) {
            job.outcome = CommandFailed;
            return false;
        }
    }
    return true;
}

void BuildJobs::print(const Job &job) const
{
    QByteArray bytes;
    for (const Item &item : job.items) {
        if (!item.isCommand) {
            bytes += item.line;
            continue;
        }
        if (!item.ran)
            break;
        if (m_observer)
            m_observer(item.tag, item.worker, item.started, item.ended, item.failed());
        const CommandResult &result = item.result;
        if (result.builtin) {
            if (!result.builtinError.isEmpty())
                bytes += consoleLine(item.indent, result.builtinError);
            continue;
        }
        bytes += relayed(result.errorLines) + relayed(result.outputLines);
        if (result.status == -1 && !result.interrupted) {
            const QString program = item.words.isEmpty() ? QString() : item.words.first();
            bytes += consoleLine(item.indent,
                                 QStringLiteral("can't execute command \"") + program + u'"');
        } else if (result.status > 0 && !item.launcher.isEmpty() && result.errorLines.isEmpty() &&
                   result.outputLines.isEmpty() && !result.interrupted) {
            bytes += consoleLine(item.indent,
                                 KestrelBuilder::launcherFailure(item.launcher, result.status));
        }
    }
    m_writer(bytes);
}

// Prints the blocks at the head of the console queue whose jobs have ended.
void BuildJobs::flush()
{
    while (!m_blocks.empty()) {
        Block &block = m_blocks.front();
        if (block.job < 0) {
            m_writer(block.lines);
        } else {
            const JobPool::State state = m_pool.state(block.job);
            if (state == JobPool::Queued || state == JobPool::Running)
                return;
            if (state != JobPool::Dropped)
                print(*block.record);
            const Job &job = *block.record;
            if (job.done && state != JobPool::Dropped && !job.interrupted)
                job.done(job.outcome == Running);
            if (block.record->outcome > m_outcome)
                m_outcome = block.record->outcome;
        }
        m_blocks.pop_front();
    }
}

void BuildJobs::whenEnds(const std::function<void(bool succeeded)> &done)
{
    if (m_current)
        m_current->done = done;
}

BuildJobs::Outcome BuildJobs::failure()
{
    m_pool.waitForAll();
    flush();
    return m_outcome;
}

BuildJobs::Outcome BuildJobs::settle()
{
    flush();
    return m_pool.failed() ? failure() : Running;
}

BuildJobs::Outcome BuildJobs::waitForAll()
{
    m_pool.waitForAll();
    flush();
    return m_pool.failed() ? failure() : Running;
}
