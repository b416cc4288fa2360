#include "driver/kestrel_builder.h"

#include "captured_output.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

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

QByteArray runCommand(KestrelBuilder &b, const QStringList &words, int *exitStatus = nullptr,
                      const QString &dir = QString())
{
    CapturedOutput out(1);
    b.init();
    if (!dir.isNull())
        b.setDirectory(dir);
    b.setCommand(words);
    try {
        b.doit();
    } catch (const Exited &e) {
        if (exitStatus)
            *exitStatus = e.status;
    }
    return out.text();
}

} // namespace

TEST(KestrelBuilderConsole, OnlyPrintableLatin1CharactersAreWritten)
{
    struct Case
    {
        QString text;
        QByteArray expected;
    };
    const Case cases[] = {
        {"plain text ~", "plain text ~"},
        {"tab\there\nnext\r", "tabherenext"},
        {QString::fromLatin1("caf\xe9 \x7f") + QChar(0x263A) + "!", "caf !"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        EXPECT_EQ(KestrelBuilder::printable(c.text), c.expected);
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
// program ends the process with status 1.
TEST(KestrelBuilderCommands, EchoShowRelayAndFailure)
{
    struct Case
    {
        bool echo, show;
        int indent;
        QStringList words;
        QByteArray out;
        int status; // -1: the process goes on
    };
    const Case cases[] = {
        {true, false, 4, {"sh", "-c", "echo ran"}, "    sh -c echo ran\nran\n", -1},
        {true, true, 0, {"arm-gcc", "-c", "a.c"}, "arm-gcc -c a.c\n", -1},
        {false,
         false,
         6,
         {"sh", "-c", "echo done; printf 'warning\\t\\351\\n\\n' >&2"},
         "warning\t\xe9\n\ndone\n",
         -1},
        {false, false, 0, {"sh", "-c", "echo partial; exit 2"}, "partial\n", 1},
        {false,
         false,
         2,
         {"no-such-tool-xyz", "-c", "a.c"},
         "  can't execute command \"no-such-tool-xyz\"\n",
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.words.join(u' ').toStdString());
        Harness h;
        h.builtinAccepts = c.show;
        KestrelBuilder b = h.builder(c.echo, c.show);
        b.indent = c.indent;
        int status = -1;
        EXPECT_EQ(runCommand(b, c.words, &status), c.out);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(h.failedMarked, c.status == 1);
        EXPECT_EQ(h.builtinCalls.isEmpty(), c.show); // -show does not even ask
    }
}

TEST(KestrelBuilderCommands, BuiltinCommandsRunInsideAndFailWithoutExiting)
{
    Harness h;
    h.builtinAccepts = true;
    KestrelBuilder b = h.builder(false, false);
    b.indent = 2;
    EXPECT_EQ(runCommand(b, {"cp", "a", "b"}, nullptr, "/work/dir"), "");
    EXPECT_EQ(h.builtinCalls, QStringList{"/work/dir|cp a b"});
    EXPECT_FALSE(h.failedMarked);

    h.builtinError = "cannot copy a to b";
    int status = 0;
    EXPECT_EQ(runCommand(b, {"cp", "a", "b"}, &status), "  cannot copy a to b\n");
    EXPECT_TRUE(h.failedMarked);
    EXPECT_EQ(status, 0);
}

TEST(KestrelBuilderCommands, RunsInTheWorkingDirectoryUntilInit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Harness h;
    KestrelBuilder b = h.builder(false, false);
    const QString canonical = QDir(dir.path()).canonicalPath();
    EXPECT_EQ(runCommand(b, {"pwd", "-P"}, nullptr, dir.path()), canonical.toLatin1() + "\n");
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
