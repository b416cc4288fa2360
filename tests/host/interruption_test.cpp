// A signal received while a child runs ends the child's whole process group; the children
// here signal the test process themselves, so the timing needs no sleeps on our side.
#include "host/interruption.h"
#include "host/qtx.h"

#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <pty.h>
#include <unistd.h>

namespace {

// A killed process ends a moment after kill() returns; wait for that with a deadline.
QStringList livingMembersAfterAWhile(qint64 group)
{
    QDeadlineTimer deadline(10000);
    QStringList living = livingMembers(group);
    while (!living.isEmpty() && !deadline.hasExpired()) {
        QThread::msleep(20);
        living = livingMembers(group);
    }
    return living;
}

class Interrupted : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Interruption::install();
        Interruption::reset();
    }
    void TearDown() override { Interruption::reset(); }

    // Runs `script` with sh; the script knows the test's process as $PPID and writes its own
    // process id (its process group) to $GROUP.
    int run(const QString &script, bool collect)
    {
        QStringList out;
        QStringList err;
        const QString prelude = "echo $$ > '" + groupFile() + "'; ";
        return QTx::spawnProcess({"/bin/sh", "-c", prelude + script}, true, m_dir.path(), false,
                                 collect ? &out : nullptr, collect ? &err : nullptr, true);
    }

    qint64 group() const { return readTextFile(groupFile()).trimmed().toLongLong(); }
    QString path(const char *name) const { return m_dir.filePath(name); }

private:
    QString groupFile() const { return m_dir.filePath("group"); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(Interrupted, SignalEndsTheWholeProcessGroupOfTheChild)
{
    const std::pair<int, bool> cases[] = {
        {SIGTERM, true}, {SIGINT, true}, {SIGTERM, false}, {SIGINT, false}};
    for (const auto &[signal, collect] : cases) {
        SCOPED_TRACE(testing::Message() << "signal " << signal << " collect " << collect);
        Interruption::reset();
        QElapsedTimer timer;
        timer.start();
        // The grandchild sleeps long; only the group kill ends it in time.
        const int status = run(QString("sleep 60 & kill -%1 $PPID; wait").arg(signal), collect);
        EXPECT_LT(timer.elapsed(), 20000);
        EXPECT_EQ(status, -1);
        EXPECT_EQ(Interruption::signal(), signal);
        EXPECT_EQ(Interruption::exitStatus(), 128 + signal);
        ASSERT_GT(group(), 0);
        EXPECT_EQ(livingMembersAfterAWhile(group()), QStringList());
    }
}

// A tool that ignores the signal is killed after a grace period; one that handles it gets the
// chance to clean up, and its status counts.
TEST_F(Interrupted, ToolsGetAGracePeriodToCleanUp)
{
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(run("trap '' TERM; kill -TERM $PPID; sleep 60", true), -1);
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_EQ(livingMembersAfterAWhile(group()), QStringList());

    Interruption::reset();
    EXPECT_EQ(run("trap 'echo cleaned > cleaned; exit 3' TERM; kill -TERM $PPID; sleep 60 & wait",
                  true),
              3);
    EXPECT_TRUE(QFile::exists(path("cleaned")));
}

TEST_F(Interrupted, NothingStartsOnceInterrupted)
{
    ASSERT_EQ(std::raise(SIGINT), 0);
    ASSERT_EQ(Interruption::signal(), SIGINT);
    for (bool collect : {true, false}) {
        EXPECT_EQ(run("touch started", collect), -1);
        EXPECT_FALSE(QFile::exists(path("started")));
    }
}

namespace {

// Runs a child that tells whether it could read a line, with `input` as our standard input.
QStringList readLineWithInput(int input)
{
    const int saved = ::dup(0);
    ::dup2(input, 0);
    QStringList out;
    QStringList err;
    QTx::spawnProcess({"/bin/sh", "-c", "if read x; then echo \"read $x\"; else echo eof; fi"},
                      true, QString(), false, &out, &err, true);
    ::dup2(saved, 0);
    ::close(saved);
    return out;
}

} // namespace

// A child in a process group of its own would be stopped for reading the terminal.
TEST(ChildInput, TerminalIsReplacedByAnEmptyInputOtherInputIsInherited)
{
    int master = -1;
    int terminal = -1;
    ASSERT_EQ(::openpty(&master, &terminal, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(::write(master, "typed\n", 6), 6);
    EXPECT_EQ(readLineWithInput(terminal), QStringList{"eof"});
    ::close(terminal);
    ::close(master);

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ASSERT_EQ(::write(pipeEnds[1], "piped\n", 6), 6);
    ::close(pipeEnds[1]);
    EXPECT_EQ(readLineWithInput(pipeEnds[0]), QStringList{"read piped"});
    ::close(pipeEnds[0]);
}
