#include "driver/kestrel_builder.h"

#include "captured_output.h"
#include "host/interruption.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

namespace {

struct Exited
{
    int status;
};

// A builder whose build system is a recorder and whose process exit is an exception.
struct Harness
{
    bool failedMarked = false;
    QStringList builtinCalls;
    bool builtinAccepts = false;
    QString builtinError;

    KestrelBuilder builder(bool echo, bool show)
    {
        KestrelBuilder::Hooks hooks;
        hooks.builtinCommand = [this](const QString &dir, QStringList &words, QString &error) {
            builtinCalls.append(dir + "|" + words.join(u' '));
            error = builtinError;
            return builtinAccepts;
        };
        hooks.markBuildFailed = [this] { failedMarked = true; };
        hooks.exitProcess = [](int status) { throw Exited{status}; };
        return KestrelBuilder(echo, show, hooks);
    }
};

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

QByteArray runCommand(KestrelBuilder &b, const QStringList &words, int *exitStatus = nullptr,
                      const QString &dir = QString())
{
    QByteArray out;
    const int status = capture(
        [&] {
            b.init();
            if (!dir.isNull())
                b.setDirectory(dir);
            b.setCommand(words);
            b.doit();
        },
        out);
    if (exitStatus && status != -1)
        *exitStatus = status;
    return out;
}

// The builder after an interruption (the test interrupts itself with raise()) and when an
// output directory cannot be made.
class BuilderStops : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        Interruption::install();
        Interruption::reset();
    }
    void TearDown() override { Interruption::reset(); }

    QString path(const QString &name) const { return m_dir.filePath(name); }
    void write(const QString &name) const { ASSERT_TRUE(writeTextFile(path(name), "complete\n")); }

    Harness harness;
    KestrelBuilder builder = harness.builder(false, false);

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(KestrelBuilderConsole, OnlyPrintableLatin1CharactersAreWritten)
{
    const std::pair<QString, QByteArray> cases[] = {
        {"plain text ~", "plain text ~"}, {"tab\there\nnext\r", "tabherenext"},
        {QString::fromLatin1("caf\xe9 \x7f") + QChar(0x263A) + "!", "caf !"}, {"", ""},
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        EXPECT_EQ(KestrelBuilder::printable(text), expected);
    }
}

TEST(KestrelBuilderConsole, GroupsIndentByTwoColumns)
{
    Harness h;
    KestrelBuilder b = h.builder(false, false);
    CapturedOutput out(1);
    b.message("top");
    b.beginGroup(nullptr, "Building \"app\" in configuration \"Debug\"", 0);
    b.note("inside");
    b.beginGroup(nullptr, "Compiling main.c", 0);
    b.error("oops\tthere");
    b.endGroup(nullptr);
    b.success("done");
    b.endGroup(nullptr);
    b.message("");
    EXPECT_EQ(out.text(), "top\n"
                          "  Building \"app\" in configuration \"Debug\"\n"
                          "  inside\n"
                          "    Compiling main.c\n"
                          "    oopsthere\n"
                          "  done\n"
                          "\n");
    EXPECT_FALSE(h.failedMarked); // error() alone does not fail the build
}

// -echo prints the command at the indentation, -show prints it and runs nothing (not even a
// builtin), a child's error output comes first and unfiltered, and a failing or missing
// program ends the process with status 1. A builtin runs inside, in the step's directory, and
// its failure fails the build without ending the process.
TEST(KestrelBuilderCommands, EchoShowRelayBuiltinsAndFailure)
{
    struct Case
    {
        bool echo, show;
        int indent;
        QStringList words;
        QByteArray out;
        int status;                        // -1: the process goes on
        const char *builtinError = nullptr; // the builtin takes the command, failing with this
    };
    const QString dir = QDir::tempPath(); // where the commands run
    const Case cases[] = {
        {true, false, 4, {"sh", "-c", "echo ran"}, "    sh -c echo ran\nran\n", -1},
        {true, true, 0, {"arm-gcc", "-c", "a.c"}, "arm-gcc -c a.c\n", -1},
        {false, false, 6, {"sh", "-c", "echo done; printf 'warning\\t\\351\\n\\n' >&2"},
         "warning\t\xe9\n\ndone\n", -1},
        {false, false, 0, {"sh", "-c", "echo partial; exit 2"}, "partial\n", 1},
        {false, false, 2, {"no-such-tool-xyz", "-c", "a.c"},
         "  can't execute command \"no-such-tool-xyz\"\n", 1},
        {false, false, 0, {"pwd", "-P"}, QDir(dir).canonicalPath().toLatin1() + "\n", -1},
        {false, false, 2, {"cp", "a", "b"}, "", -1, ""},
        {false, false, 2, {"cp", "a", "b"}, "  cannot copy a to b\n", -1, "cannot copy a to b"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words.join(u' ').toStdString());
        Harness h;
        h.builtinAccepts = c.show || c.builtinError;
        h.builtinError = QString::fromLatin1(c.builtinError);
        KestrelBuilder b = h.builder(c.echo, c.show);
        b.indent = c.indent;
        int status = -1;
        EXPECT_EQ(runCommand(b, c.words, &status, dir), c.out);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(h.failedMarked, c.status == 1 || !h.builtinError.isEmpty());
        EXPECT_EQ(h.builtinCalls.isEmpty(), c.show); // -show does not even ask
        if (c.builtinError) {
            EXPECT_EQ(h.builtinCalls, QStringList{dir + "|" + c.words.join(u' ')});
        }
    }
}

TEST(KestrelBuilderCommands, InitForgetsTheLastStep)
{
    Harness h;
    KestrelBuilder b = h.builder(false, false);
    b.setDirectory("/work/dir");
    b.setCommand({"true"});
    b.setEnvironment({"A=1"});
    b.init();
    EXPECT_TRUE(b.workingDirectory.isNull());
    EXPECT_TRUE(b.command.isEmpty());
    EXPECT_TRUE(b.environmentList.isEmpty());
}

TEST(KestrelBuilderFiles, OutputAndTemporaryDirectoriesAreCreatedEvenWhenShowing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Harness h;
    KestrelBuilder b = h.builder(true, true);
    b.setOutputFiles({dir.path() + "/obj/Debug/main.o", dir.path() + "/exe/app.elf"});
    b.setTemporaryFiles({dir.path() + "/tmp/x/main.s"});
    EXPECT_TRUE(QDir(dir.path() + "/obj/Debug").exists());
    EXPECT_TRUE(QDir(dir.path() + "/exe").exists());
    EXPECT_TRUE(QDir(dir.path() + "/tmp/x").exists());
    EXPECT_FALSE(QFile::exists(dir.path() + "/obj/Debug/main.o"));
}

TEST_F(BuilderStops, InterruptedStepLosesWhatItAnnouncedAndTheRunEnds)
{
    write("main.o");
    write("tmp.s");
    write("target");
    ASSERT_TRUE(QFile::link(path("target"), path("link.o")));
    builder.init();
    builder.setOutputFiles({path("main.o"), path("link.o")});
    builder.setTemporaryFiles({path("tmp.s")});
    builder.setCommand({"/bin/sh", "-c", "touch ran"});
    builder.setDirectory(path(""));
    ASSERT_EQ(std::raise(SIGTERM), 0);

    QByteArray out;
    EXPECT_EQ(capture([&] { builder.doit(); }, out), 128 + SIGTERM);
    EXPECT_EQ(out, "build interrupted\n");
    EXPECT_TRUE(harness.failedMarked);
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
    builder.init();
    builder.setOutputFiles({path("main.o")});
    ASSERT_EQ(std::raise(SIGINT), 0);

    QByteArray out;
    EXPECT_EQ(capture([&] { builder.init(); }, out), 128 + SIGINT);
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
                builder.init();
                builder.setDirectory(path(""));
                builder.setOutputFiles({output});
                builder.setTemporaryFiles({path("Debug/tmp.s")});
                builder.setCommand({"/bin/sh", "-c", "touch ran"});
                builder.doit();
            },
            out);
    };
    QByteArray out;
    EXPECT_EQ(step(object, out), -1);
    EXPECT_EQ(out, "can't create directory \"" + path("Debug").toUtf8() + "\" for \"" +
                       object.toUtf8() + "\"\n");
    EXPECT_TRUE(harness.failedMarked);
    EXPECT_FALSE(QFile::exists(path("ran")));

    // The next step starts afresh.
    ASSERT_TRUE(QFile::remove(path("Debug")));
    step(path("out/app.elf"), out);
    EXPECT_TRUE(QFile::exists(path("ran")));
    EXPECT_TRUE(QFileInfo(path("out")).isDir());
}
