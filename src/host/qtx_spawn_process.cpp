// QTx::spawnProcess: runs a tool as a child process and collects what it printed.
#include "host/qtx.h"

#include "host/interruption.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int kPollTimeoutMs = 100;
constexpr size_t kReadSize = 64 * 1024;
// How long an interrupted tool may take to end by itself (and remove its own temporary files)
// before the rest of its process group is killed.
constexpr int kGraceMs = 1000;

// Owns the 8-bit copies of the words so that the child gets a plain argv. They are encoded as
// file names are, so a path read from the command line or a solution reaches the tool as the
// same bytes.
struct ArgumentVector
{
    std::vector<QByteArray> words;
    std::vector<char *> argv;

    explicit ArgumentVector(const QStringList &command)
    {
        for (const QString &word : command)
            words.push_back(QFile::encodeName(word));
        for (QByteArray &word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
    }
};

// Starts the tool with posix_spawn, which shares our memory with the child until it execs
// instead of copying it: a fork marks every page of a large build copy-on-write, and the
// build then pays a page fault for each page it touches after every tool it starts. The child
// leads a process group of its own, so that ending an interrupted step reaches every process
// the tool started. From there it cannot read the terminal (it would be stopped for trying,
// and the build would hang), so when our input is the terminal it reads an empty input
// instead. Caught signals are back to their defaults in the child, as after any exec.
pid_t startChild(const ArgumentVector &args, const QByteArray &directory, int out, int err,
                 bool inputIsTerminal)
{
    if (args.argv.empty() || !args.argv.front())
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
    ::posix_spawnattr_setpgroup(&attributes, 0);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    if (inputIsTerminal)
        ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out >= 0) {
        ::posix_spawn_file_actions_adddup2(&actions, out, 1);
        ::posix_spawn_file_actions_adddup2(&actions, err, 2);
    }
    // A directory that cannot be entered leaves the tool in ours; its own messages will tell.
    struct stat info;
    if (!directory.isNull() && ::stat(directory.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        ::posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
    pid_t child = -1;
    if (::posix_spawnp(&child, args.argv.front(), &actions, &attributes, args.argv.data(),
                       environ) != 0) {
        child = -1;
    }
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return child;
}

// Reads both pipes until each has hung up, so a child that fills one pipe while we wait on
// the other can never block, and nothing written just before exit is lost. Returns false when
// an interruption came first.
bool drainPipes(int out, int err, QByteArray &outData, QByteArray &errData)
{
    struct pollfd fds[3] = {{out, POLLIN, 0}, {err, POLLIN, 0}, {-1, POLLIN, 0}};
    QByteArray *data[2] = {&outData, &errData};
    std::vector<char> buffer(kReadSize);
    int open = 2;
    while (open > 0) {
        fds[2].fd = Interruption::descriptor();
        const int ready = ::poll(fds, 3, kPollTimeoutMs);
        if (ready < 0 && errno != EINTR)
            break;
        if (Interruption::signal())
            return false;
        for (int i = 0; i < 2 && ready > 0; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t got = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (got > 0) {
                data[i]->append(buffer.data(), got);
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1; // poll ignores negative descriptors
                --open;
            }
        }
    }
    return true;
}

int exitResult(int status)
{
    if (!WIFEXITED(status))
        return -1;
    return static_cast<signed char>(WEXITSTATUS(status));
}

int reap(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return exitResult(status);
}

// A descriptor that becomes readable when the child ends; -1 where the kernel has none, and
// then the waits below look every few milliseconds instead.
class PidDescriptor
{
public:
    explicit PidDescriptor(pid_t child)
#ifdef SYS_pidfd_open
        : fd(int(::syscall(SYS_pidfd_open, child, 0)))
#endif
    {
    }
    ~PidDescriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    PidDescriptor(const PidDescriptor &) = delete;
    PidDescriptor &operator=(const PidDescriptor &) = delete;

    int fd = -1;
};

constexpr int kLookAgainMs = 10;

bool hasEnded(pid_t child)
{
    siginfo_t info = {};
    return ::waitid(P_PID, id_t(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == child;
}

// Waits up to `timeoutMs` (-1: no limit) for the child to end; true when it has. A wait without
// limit also ends at an interruption. The child is left unreaped, so its process id (and with
// it the id of its process group) cannot be taken by another process meanwhile.
bool waitForEnd(pid_t child, const PidDescriptor &pid, int timeoutMs)
{
    const bool watchInterruption = timeoutMs < 0;
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (hasEnded(child))
            return true;
        if ((watchInterruption && Interruption::signal()) || deadline.hasExpired())
            return false;
        const int slice = pid.fd >= 0 ? int(deadline.remainingTime()) : kLookAgainMs;
        struct pollfd fds[2] = {{pid.fd, POLLIN, 0},
                                {watchInterruption ? Interruption::descriptor() : -1, POLLIN, 0}};
        ::poll(fds, 2, slice);
    }
}

// Passes the interruption on to the child's whole process group, gives it a moment to end,
// kills whatever is left of the group and reaps the child. The result is -1 unless the tool
// managed to finish normally.
int endInterrupted(pid_t child, const PidDescriptor &pid)
{
    ::kill(-child, Interruption::signal());
    waitForEnd(child, pid, kGraceMs);
    ::kill(-child, SIGKILL);
    return reap(child);
}

// Waits for the child, or for an interruption, whichever comes first.
int waitForExit(pid_t child)
{
    const PidDescriptor pid(child);
    if (waitForEnd(child, pid, -1))
        return reap(child);
    return endInterrupted(child, pid);
}

int waitFor(pid_t child, bool wait)
{
    if (wait)
        return waitForExit(child);
    int status = 0;
    for (int i = 0; i < 10; ++i) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return exitResult(status);
        ::usleep(1000);
    }
    return 0;
}

} // namespace

namespace QTx {

// Splits collected output into lines at LF or CR. A CR also swallows the character after it,
// so CR LF ends one line. An empty line is a null string; a final fragment without a line
// end is a line as well.
QStringList bufferListToQStringList(const QByteArray &data)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < data.size()) {
        const char c = data.at(i);
        if (c != '\n' && c != '\r') {
            ++i;
            continue;
        }
        const QByteArray line = data.mid(start, i - start);
        lines.append(line.isEmpty() ? QString() : QString::fromLatin1(line));
        i += c == '\r' ? 2 : 1;
        start = i;
    }
    if (start < data.size())
        lines.append(QString::fromLatin1(data.mid(start)));
    return lines;
}

int spawnProcess(const QStringList &command, bool wait, const QString &directory, bool,
                 QStringList *outputLines, QStringList *errorLines, bool)
{
    // An interrupted build starts nothing more.
    if (Interruption::signal())
        return -1;
    const bool collect = outputLines && errorLines;
    int outPipe[2] = {-1, -1};
    int errPipe[2] = {-1, -1};
    if (collect && (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0))
        return -1;

    const ArgumentVector args(command);
    const QByteArray dir = directory.isNull() ? QByteArray() : QFile::encodeName(directory);
    const bool inputIsTerminal = ::isatty(0);
    const pid_t child = startChild(args, dir, outPipe[1], errPipe[1], inputIsTerminal);

    if (!collect)
        return child < 0 ? -1 : waitFor(child, wait);

    ::close(outPipe[1]);
    ::close(errPipe[1]);
    QByteArray outData;
    QByteArray errData;
    int result = -1;
    if (child > 0) {
        result = drainPipes(outPipe[0], errPipe[0], outData, errData)
                     ? waitFor(child, wait)
                     : endInterrupted(child, PidDescriptor(child));
    }
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    *outputLines = bufferListToQStringList(outData);
    *errorLines = bufferListToQStringList(errData);
    return result;
}

} // namespace QTx
