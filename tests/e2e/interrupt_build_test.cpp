// Ctrl-C or SIGTERM in the middle of a firmware build: the running tool chain pass ends, the
// file it was writing is removed, the run exits with 128 + the signal, and the next build
// redoes exactly the step that was cut short. The compiler or assembler pass working on
// slow.c (or the compiler launcher) is a wrapper that writes a partial output, then sleeps
// before running the real pass. Outputs that cannot be written are never taken for finished
// ones either.
#include "e2e.h"

#include <csignal>

namespace {

const char kSlowPass[] = R"sh(#!/bin/sh
tool=$(basename "$0")
echo "$tool $*" >> "$KESTREL_TEST_LOG"
if [ "$tool" = "$KESTREL_SLOW_TOOL" ]; then
    case " $* " in
    *slow.*)
        out= prev=
        for a; do [ "$prev" = -o ] && out=$a; prev=$a; done
        echo partial > "$out"
        echo "$$ $out" > "$KESTREL_TEST_STARTED.new"
        mv "$KESTREL_TEST_STARTED.new" "$KESTREL_TEST_STARTED"
        sleep 600
        ;;
    esac
fi
[ "$tool" = launch ] && exec "$@"
exec "$KESTREL_REAL_TOOLS/$tool" "$@"
)sh";

class InterruptBuild : public WorkDir
{
protected:
    void SetUp() override
    {
        WorkDir::SetUp();
        work = at("work");
        ASSERT_TRUE(copy("interrupt_firmware", "work"));
        const QString tools = at("tools");
        for (const char *pass : {"cc1", "cc1plus", "as", "launch"})
            ASSERT_TRUE(writeScript(tools + u'/' + pass, kSlowPass));
        for (const char *tool : {"ld", "ar", "objcopy", "arm-none-eabi-gcc"})
            ASSERT_TRUE(QFile::link(kestrelRootDir() + "/gcc/bin/" + tool, tools + u'/' + tool));
        ASSERT_TRUE(useToolChainRoot(at("user"), tools));
    }

    // "NAME=value" for a build whose `slowTool` pass stalls on slow.c.
    QStringList environment(const QString &slowTool) const
    {
        QStringList env{"KESTREL_TEST_LOG=" + at("tools.log"), "KESTREL_TEST_STARTED=" + at("started"),
                        "KESTREL_REAL_TOOLS=" + kestrelRootDir() + "/gcc/bin",
                        "KESTREL_SLOW_TOOL=" + slowTool};
        if (slowTool == u"launch")
            env.append("KESTREL_LAUNCHER=" + at("tools/launch"));
        return env;
    }

    QStringList arguments(const QStringList &options) const
    {
        return QStringList{"-config", "Debug"} + options + QStringList{"firmware.zav"};
    }

    // A build without a stalling pass.
    RunResult finish(const QStringList &options = {})
    {
        return kestrel(arguments(options), environment(QString()), work);
    }

    // "<process id of the stalled pass> <file it is writing>", once it is writing.
    QStringList stalledPass() const
    {
        return readTextFile(at("started")).trimmed().split(u' ', Qt::SkipEmptyParts);
    }

    QString objectOf(const char *source) const
    {
        return work + "/Debug/" + QFileInfo(source).completeBaseName() + ".o";
    }

    QString work;
};

struct Case
{
    const char *slowTool;
    int signal;
    QStringList options;
};

class InterruptedPass : public InterruptBuild, public ::testing::WithParamInterface<Case>
{
};

} // namespace

TEST_P(InterruptedPass, RemovesThePartialOutputAndTheNextBuildRedoesThatStep)
{
    const Case &c = GetParam();
    QProcess process;
    process.setEnvironment(QProcess::systemEnvironment() + environment(c.slowTool) +
                           QStringList{"TESSARY_ROOT_USER_DIR=" + at("user")});
    process.setWorkingDirectory(work);
    // The signals get their default actions back, in case the test runs with them ignored.
    process.setChildProcessModifier([] {
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
    });
    process.start(kestrelBinary(), arguments(c.options));
    ASSERT_TRUE(process.waitForStarted(10000));
    ASSERT_TRUE(within(60000, [&] {
        return stalledPass().size() == 2 || process.state() == QProcess::NotRunning;
    }));
    ASSERT_EQ(process.state(), QProcess::Running) << process.readAllStandardOutput().data();
    const QStringList stalled = stalledPass();
    const QString partial = QDir(work).absoluteFilePath(stalled.at(1));
    ASSERT_TRUE(QFileInfo::exists(partial));

    ASSERT_EQ(::kill(pid_t(process.processId()), c.signal), 0);
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 128 + c.signal) << out.toStdString();
    EXPECT_TRUE(out.endsWith("build interrupted\n")) << out.toStdString();
    EXPECT_FALSE(out.contains("can't execute command")) << out.toStdString();

    EXPECT_FALSE(QFileInfo::exists(partial));
    EXPECT_FALSE(QFileInfo::exists(objectOf("slow.c")));
    EXPECT_TRUE(within(10000, [&] { return livingMembers(stalled.at(0).toLongLong()).isEmpty(); }))
        << livingMembers(stalled.at(0).toLongLong()).join(u' ').toStdString();
    EXPECT_TRUE(readTextFile(at("user/Tessary for ARM/settings.xml"))
                    .contains("Tool Chain Root Directory"));

    // Whatever a parallel build stopped along with slow.c has lost its object as well; every
    // object left is complete and stays.
    QStringList redone;
    for (const char *source : {"main.c", "startup.s", "fast.c", "slow.c"}) {
        if (!QFileInfo::exists(objectOf(source)))
            redone.append(
                QString(QFileInfo(source).suffix() == u"s" ? "Assembling " : "Compiling ") +
                source);
    }
    EXPECT_TRUE(redone.contains("Compiling slow.c"));
    redone.append("Linking app.elf");
    // A parallel build may have reached the link and written the script (completely: the
    // builder writes no part of it in the background) before the interruption.
    if (!QFileInfo::exists(work + "/Debug/app.ld"))
        redone.append("Generating linker script");
    const RunResult next = finish(c.options);
    ASSERT_EQ(next.status, 0) << next.out.toStdString();
    EXPECT_EQ(steps(next.out), redone) << next.out.toStdString();
    EXPECT_EQ(finish(c.options).out.count("Compiling"), 0);

    if (!haveQemu())
        GTEST_SKIP() << "qemu-system-arm is not installed";
    const RunResult run = runOnLM3S6965(QStringLiteral("Debug/app.elf"), work);
    EXPECT_EQ(run.out, "fast 21, slow 42\n");
}

INSTANTIATE_TEST_SUITE_P(EachPassAndSignal, InterruptedPass,
                         ::testing::Values(Case{"cc1", SIGINT, {}}, Case{"as", SIGINT, {}},
                                           Case{"cc1", SIGTERM, {}}, Case{"as", SIGTERM, {}},
                                           Case{"as", SIGINT, {"-j", "2"}},
                                           Case{"launch", SIGINT, {}},
                                           Case{"launch", SIGTERM, {"-j", "2"}},
                                           Case{"cc1", SIGTERM, {"-j", "2"}}),
                         [](const ::testing::TestParamInfo<Case> &param) {
                             return std::string(param.param.slowTool) +
                                    (param.param.signal == SIGINT ? "_SIGINT" : "_SIGTERM") +
                                    (param.param.options.isEmpty() ? "" : "_parallel");
                         });

// Outputs that cannot be written fail the build with one line naming the file and status 1,
// and are never taken for finished ones either: once the obstacle is gone the next build
// succeeds. Each obstacle stops the build at the step that needs the path.
TEST_F(InterruptBuild, SomethingInTheWayFailsWithOneLineNamingIt)
{
    struct Case
    {
        const char *name;
        bool builtFirst;      // the obstacle appears after a complete build
        const char *obstacle; // a directory where a file goes, or a file where a directory
        bool obstacleIsFile;
        const char *named;   // what the one error line names
        const char *missing; // an output the failed build did not make
    };
    const Case cases[] = {
        {"staging directory", true, "Debug/stage", true,
         "can't create directory \"%1/Debug/stage\"", "Debug/stage/readme.txt"},
        {"linker script", false, "Debug/app.ld", false,
         "cannot write linker script file: %1/Debug/app.ld", "Debug/app.elf"},
        // The compiler cannot rewrite it either and says so; the object must not pass for
        // up to date because its dependencies are unknown.
        {"dependency file", true, "Debug/fast.d", false, "opening dependency file Debug/fast.d",
         "Debug/app.elf"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString obstacle = work + u'/' + c.obstacle;
        const QString missing = work + u'/' + c.missing;
        QDir(work).removeRecursively();
        ASSERT_TRUE(copy("interrupt_firmware", "work"));
        if (c.builtFirst) {
            const RunResult first = finish();
            ASSERT_EQ(first.status, 0) << first.out.toStdString();
            QFile::remove(work + "/Debug/app.elf");
            QDir(work + "/Debug/stage").removeRecursively();
            QFile::remove(obstacle);
            // The build logged what fast.d said; without the log the ".d" file is read again.
            QFile::remove(work + "/Debug/.kestrel_deps");
        }
        ASSERT_TRUE(c.obstacleIsFile ? writeTextFile(obstacle, "") : QDir().mkpath(obstacle));

        const RunResult failed = finish();
        const QString all = failed.out + failed.err;
        EXPECT_EQ(failed.status, 1) << all.toStdString();
        EXPECT_EQ(all.split(u'\n').filter(QString(c.named).replace("%1", work)).size(), 1)
            << all.toStdString();
        EXPECT_FALSE(QFileInfo::exists(missing));

        ASSERT_TRUE(c.obstacleIsFile ? QFile::remove(obstacle) : QDir(obstacle).removeRecursively());
        const RunResult next = finish();
        EXPECT_EQ(next.status, 0) << next.out.toStdString() << next.err.toStdString();
        EXPECT_TRUE(QFileInfo::exists(missing));
    }
}
