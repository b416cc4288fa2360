#include "driver/build_jobs.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <future>
#include <mutex>

namespace {

// Commands are named after what they do: "slow" waits for the test, "fail" exits 2, "missing"
// cannot be run, "rm" is a built-in that fails; anything else succeeds. Each prints its name.
class Fixture
{
public:
    explicit Fixture(int workers)
        : jobs(workers, [this](const QString &, QStringList &words) { return run(words); },
               [this](const QByteArray &bytes) { written += bytes; })
    {
    }

    BuildJobs::CommandResult run(const QStringList &words)
    {
        {
            std::lock_guard lock(mutex);
            ran.append(words.first());
        }
        BuildJobs::CommandResult result;
        const QString &name = words.first();
        if (name == u"slow")
            released.wait();
        if (name == u"rm") {
            result.builtin = true;
            result.builtinError = QStringLiteral("rm failed: can't remove \"x\"");
            return result;
        }
        result.outputLines = QStringList{name + QStringLiteral(" out")};
        result.errorLines = QStringList{name + QStringLiteral(" err")};
        result.status = name == u"fail" ? 2 : name == u"missing" ? -1 : 0;
        if (name == u"fast")
            fastDone.set_value();
        return result;
    }

    void job(const char *title, const QStringList &commands)
    {
        jobs.begin(false);
        jobs.line(QByteArray("  ") + title + '\n');
        for (const QString &command : commands)
            jobs.command(QString(), {command}, 2);
        jobs.end();
    }

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> fastDone;
    std::mutex mutex;
    QStringList ran;
    QByteArray written;
    BuildJobs jobs;
};

TEST(BuildJobs, LinesComeOutInTheWalksOrderWhateverOrderJobsEndIn)
{
    Fixture f(2);
    std::future<void> fast = f.fastDone.get_future();
    f.job("Compiling a.c", {"slow"});
    f.job("Compiling b.c", {"fast"});
    f.job("Compiling empty.c", {}); // only its lines
    f.jobs.line("  outside any job\n");
    fast.wait();
    EXPECT_EQ(f.jobs.settle(), BuildJobs::Running);
    EXPECT_TRUE(f.written.isEmpty()) << f.written.constData();

    f.release.set_value();
    EXPECT_EQ(f.jobs.waitForAll(), BuildJobs::Running);
    EXPECT_EQ(f.written, QByteArray("  Compiling a.c\nslow err\nslow out\n"
                                    "  Compiling b.c\nfast err\nfast out\n"
                                    "  Compiling empty.c\n  outside any job\n"));
    EXPECT_EQ(f.ran.size(), 2);
}

TEST(BuildJobs, AJobStopsAtItsFailingCommandAndSaysHow)
{
    struct Case
    {
        const char *failing;
        BuildJobs::Outcome outcome;
        QByteArray printed;
    };
    const Case cases[] = {
        {"fail", BuildJobs::CommandFailed, "  Step\nfirst err\nfirst out\nfail err\nfail out\n"},
        {"missing", BuildJobs::CommandFailed,
         "  Step\nfirst err\nfirst out\nmissing err\nmissing out\n"
         "  can't execute command \"missing\"\n"},
        {"rm", BuildJobs::BuiltinFailed,
         "  Step\nfirst err\nfirst out\n  rm failed: can't remove \"x\"\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.failing);
        Fixture f(1);
        f.job("Step", {"first", c.failing, "never"});
        EXPECT_EQ(f.jobs.waitForAll(), c.outcome);
        EXPECT_EQ(f.written, c.printed);
        EXPECT_FALSE(f.ran.contains("never"));
    }
}

TEST(BuildJobs, AfterAFailureQueuedJobsAreDroppedAndRunningOnesPrinted)
{
    {
        // The job still running when another fails ends and its lines come out in order.
        Fixture f(2);
        f.job("Compiling slow.c", {"slow"});
        f.job("Compiling bad.c", {"fail"});
        f.release.set_value();
        EXPECT_EQ(f.jobs.waitForAll(), BuildJobs::CommandFailed);
        EXPECT_EQ(f.written, QByteArray("  Compiling slow.c\nslow err\nslow out\n"
                                        "  Compiling bad.c\nfail err\nfail out\n"));
    }
    {
        // One worker: the job queued behind the failing one can only start after the failure,
        // so it must never start.
        Fixture f(1);
        f.job("Compiling bad.c", {"fail"});
        f.job("Compiling later.c", {"later"});
        EXPECT_EQ(f.jobs.waitForAll(), BuildJobs::CommandFailed);
        EXPECT_EQ(f.written, QByteArray("  Compiling bad.c\nfail err\nfail out\n"));
        EXPECT_FALSE(f.ran.contains("later"));
    }
}

} // namespace
