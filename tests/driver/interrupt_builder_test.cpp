// The console builder after an interruption and when an output directory cannot be made. The
// test interrupts itself with raise(); the process exit is an exception.
#include "driver/kestrel_builder.h"

#include "captured_output.h"
#include "host/interruption.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

struct Exited
{
    int status;
};

class BuilderStops : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Interruption::install();
        Interruption::reset();
        KestrelBuilder::Hooks hooks;
        hooks.markBuildFailed = [this] { failedMarked = true; };
        hooks.exitProcess = [](int status) { throw Exited{status}; };
        builder = std::make_unique<KestrelBuilder>(false, false, hooks);
    }
    void TearDown() override { Interruption::reset(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("complete\n");
    }

    // Runs `call` with standard output captured; the exit status, or -1 when it returned.
    template <typename Call> int capture(Call call, QByteArray &out)
    {
        CapturedOutput captured(1);
        int status = -1;
        try {
            call();
        } catch (const Exited &e) {
            status = e.status;
        }
        out = captured.text();
        return status;
    }

    std::unique_ptr<KestrelBuilder> builder;
    bool failedMarked = false;

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(BuilderStops, InterruptedStepLosesWhatItAnnouncedAndTheRunEnds)
{
    write("main.o");
    write("tmp.s");
    write("target");
    ASSERT_TRUE(QFile::link(path("target"), path("link.o")));
    builder->init();
    builder->setOutputFiles({path("main.o"), path("link.o")});
    builder->setTemporaryFiles({path("tmp.s")});
    builder->setCommand({"/bin/sh", "-c", "touch ran"});
    builder->setDirectory(path(""));
    ASSERT_EQ(std::raise(SIGTERM), 0);

    QByteArray out;
    EXPECT_EQ(capture([&] { builder->doit(); }, out), 128 + SIGTERM);
    EXPECT_EQ(out, "build interrupted\n");
    EXPECT_TRUE(failedMarked);
    EXPECT_FALSE(QFile::exists(path("ran")));
    EXPECT_FALSE(QFile::exists(path("main.o")));
    EXPECT_FALSE(QFile::exists(path("tmp.s")));
    // Only regular files go: a link and what it points to stay.
    EXPECT_TRUE(QFileInfo(path("link.o")).isSymLink());
    EXPECT_TRUE(QFile::exists(path("target")));
}

TEST_F(BuilderStops, InterruptionBetweenStepsKeepsTheFinishedStep)
{
    write("main.o");
    builder->init();
    builder->setOutputFiles({path("main.o")});
    ASSERT_EQ(std::raise(SIGINT), 0);

    QByteArray out;
    EXPECT_EQ(capture([&] { builder->init(); }, out), 128 + SIGINT);
    EXPECT_EQ(out, "build interrupted\n");
    EXPECT_TRUE(QFile::exists(path("main.o")));
}

TEST_F(BuilderStops, OutputDirectoryThatCannotBeMadeFailsTheStepBeforeItsCommand)
{
    write("Debug"); // a file where the directory should be
    const QString object = path("Debug/main.o");
    const auto step = [&](const QString &output, QByteArray &out) {
        return capture(
            [&] {
                builder->init();
                builder->setDirectory(path(""));
                builder->setOutputFiles({output});
                builder->setTemporaryFiles({path("Debug/tmp.s")});
                builder->setCommand({"/bin/sh", "-c", "touch ran"});
                builder->doit();
            },
            out);
    };
    QByteArray out;
    EXPECT_EQ(step(object, out), -1);
    EXPECT_EQ(out, "can't create directory \"" + path("Debug").toUtf8() + "\" for \"" +
                       object.toUtf8() + "\"\n");
    EXPECT_TRUE(failedMarked);
    EXPECT_FALSE(QFile::exists(path("ran")));

    // The next step starts afresh.
    ASSERT_TRUE(QFile::remove(path("Debug")));
    step(path("out/app.elf"), out);
    EXPECT_TRUE(QFile::exists(path("ran")));
    EXPECT_TRUE(QFileInfo(path("out")).isDir());
}
