// The example firmware built through real compiler launchers: ccache with a local cache, ccache
// sharing a remote storage directory between two "machines" whose checkouts lie at different
// paths, and distcc with two daemons on 127.0.0.1. The daemons run in process groups of their
// own and are stopped with them, also when a test fails halfway. icecream is not tested: its
// daemon kept to the loopback interface never comes up on Debian (see README, "Scaling out").
#include "e2e.h"

#include <arpa/inet.h>
#include <csignal>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A socket of 127.0.0.1 with `port` (0: any free one) connected to, or bound to find a free
// port: the connect status, or the port bound.
int onLoopback(quint16 port, bool connect)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t size = sizeof address;
    const int status = connect ? ::connect(fd, reinterpret_cast<sockaddr *>(&address), size)
                               : ::bind(fd, reinterpret_cast<sockaddr *>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    ::close(fd);
    return connect ? status : ntohs(address.sin_port);
}

// A daemon in a process group of its own, ended with everything it started.
class Daemon
{
public:
    Daemon(const QString &program, const QStringList &args)
    {
        m_process.setChildProcessModifier([] { ::setpgid(0, 0); });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, args);
        m_process.waitForStarted(10000);
    }
    ~Daemon()
    {
        const qint64 group = m_process.processId();
        if (group <= 0)
            return;
        ::kill(pid_t(-group), SIGTERM);
        if (!m_process.waitForFinished(10000))
            ::kill(pid_t(-group), SIGKILL);
        m_process.waitForFinished(10000);
        within(10000, [&] { return livingMembers(group).isEmpty(); });
        ::kill(pid_t(-group), SIGKILL);
    }

    bool listensOn(quint16 port)
    {
        return within(20000, [&] {
                   return onLoopback(port, true) == 0 || m_process.state() != QProcess::Running;
               }) && m_process.state() == QProcess::Running;
    }

private:
    QProcess m_process;
};

// ccache's counters ("name<tab>value" per line).
QMap<QString, qint64> ccacheStats(const QStringList &env)
{
    QMap<QString, qint64> stats;
    const RunResult run = runProgram("ccache", {"--print-stats"}, QDir::tempPath(), env);
    for (const QString &line : run.out.split(u'\n')) {
        const QStringList fields = line.split(u'\t');
        if (fields.size() == 2)
            stats.insert(fields.at(0), fields.at(1).toLongLong());
    }
    return stats;
}

// The objects of a built checkout, by their names within it.
QStringList objects(const QString &checkout)
{
    QStringList found;
    QDirIterator it(checkout, {"*.o"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(QDir(checkout).relativeFilePath(it.next()));
    found.sort();
    return found;
}

// The disassembly without the line that names the file.
QString disassembly(const QString &object)
{
    const RunResult run = runProgram("arm-none-eabi-objdump", {"-d", object}, QDir::tempPath());
    QStringList lines = run.out.split(u'\n');
    lines.removeIf([](const QString &line) { return line.contains(u"file format"); });
    return lines.join(u'\n');
}

const char kSquares[] = "squares: 0 1 4 9 16 25\n";

class Launcher : public WorkDir
{
protected:
    void SetUp() override
    {
        WorkDir::SetUp();
        if (!haveQemu())
            GTEST_SKIP() << "qemu-system-arm is not installed";
    }

    QString checkout(const QString &where)
    {
        EXPECT_TRUE(copy("examples", where));
        return at(where);
    }

    RunResult build(const QString &checkout, const QStringList &options,
                    const QStringList &env = {})
    {
        return kestrel(QStringList{"-config", "Debug"} + options + QStringList{"hello.zav"}, env,
                       checkout);
    }

    static void expectRuns(const QString &checkout)
    {
        const RunResult run = runOnLM3S6965(checkout + "/hello/Debug/hello.elf", checkout);
        EXPECT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_TRUE(run.out.contains(QLatin1String(kSquares))) << qPrintable(run.out);
    }
};

// A machine of its own for ccache: its cache, its checkout as the base directory, and no
// configuration of the user's.
QStringList ccacheMachine(const QString &cache, const QString &checkout, const QString &remote)
{
    return {"CCACHE_DIR=" + cache, "CCACHE_BASEDIR=" + checkout,
            "CCACHE_CONFIGPATH=" + cache + ".conf", "CCACHE_REMOTE_STORAGE=" + remote};
}

// Machine A fills its local cache and the shared remote storage; its clean rebuild is all
// local hits. Machine B has never compiled anything, and its checkout lies elsewhere and
// deeper: every compilation comes from what machine A left in the shared storage.
TEST_F(Launcher, CcacheHitsLocallyAndThroughRemoteStorageAcrossCheckoutPaths)
{
    if (!have("ccache"))
        GTEST_SKIP() << "ccache is not installed";
    const QString remote = "file:" + at("remote");
    const QString a = checkout("a");
    const QStringList envA = ccacheMachine(at("cache-a"), a, remote);

    const RunResult first = build(a, {"-echo", "-launcher", "ccache"}, envA);
    ASSERT_EQ(first.status, 0) << qPrintable(first.out);
    EXPECT_EQ(first.out.count("ccache " + kestrelRootDir() + "/gcc/bin/arm-none-eabi-gcc "), 3)
        << qPrintable(first.out);
    EXPECT_FALSE(first.out.contains("/gcc/bin/cc1 ")) << qPrintable(first.out);
    EXPECT_FALSE(first.out.contains("/gcc/bin/as ")) << qPrintable(first.out);
    EXPECT_EQ(ccacheStats(envA).value("cache_miss"), 3);
    EXPECT_EQ(ccacheStats(envA).value("remote_storage_miss"), 3);
    expectRuns(a);

    // The launched compilations left their dependency files where the up-to-date check reads
    // them: nothing is out of date with or without the launcher, a newer header is.
    for (const QStringList &options : {QStringList{"-launcher", "ccache"}, QStringList{}}) {
        const RunResult again = build(a, options, envA);
        ASSERT_EQ(again.status, 0) << qPrintable(again.out);
        EXPECT_EQ(steps(again.out), QStringList{}) << qPrintable(again.out);
    }
    ASSERT_TRUE(setFileTime(a + "/fixedpoint/fixedpoint.h", 4000000000));
    const RunResult header = build(a, {"-launcher", "ccache"}, envA);
    EXPECT_TRUE(steps(header.out).contains("Compiling main.c")) << qPrintable(header.out);

    ASSERT_EQ(runProgram("ccache", {"--zero-stats"}, a, envA).status, 0);
    ASSERT_EQ(build(a, {"-clean"}, envA).status, 0);
    ASSERT_FALSE(QFileInfo::exists(a + "/hello/Debug/main.o"));
    const RunResult clean = build(a, {"-launcher", "ccache"}, envA);
    ASSERT_EQ(clean.status, 0) << qPrintable(clean.out);
    const QMap<QString, qint64> statsA = ccacheStats(envA);
    EXPECT_EQ(statsA.value("local_storage_hit"), 3) << qPrintable(QStringList(statsA.keys()).join(u' '));
    EXPECT_EQ(statsA.value("cache_miss"), 0);
    expectRuns(a);

    const QString b = checkout("runner-2/workspace/b");
    const QStringList envB = ccacheMachine(at("cache-b"), b, remote);
    const RunResult builtOnB = build(b, {"-launcher", "ccache", "-j", "3"}, envB);
    ASSERT_EQ(builtOnB.status, 0) << qPrintable(builtOnB.out);
    const QMap<QString, qint64> statsB = ccacheStats(envB);
    EXPECT_EQ(statsB.value("remote_storage_hit"), 3);
    EXPECT_EQ(statsB.value("local_storage_hit"), 0);
    EXPECT_EQ(statsB.value("cache_miss"), 0);
    expectRuns(b);
}

TEST_F(Launcher, DistccCompilesOnTwoDaemonsWhatALocalBuildCompiles)
{
    if (!have("distcc") || !have("distccd"))
        GTEST_SKIP() << "distcc is not installed";
    // distccd started by root runs as an unprivileged user, which writes the logs.
    const QString logs = at("logs");
    ASSERT_TRUE(QDir().mkpath(logs));
    for (const QString &folder : {dir, logs})
        ASSERT_TRUE(QFile::setPermissions(folder, QFile::permissions(folder) | QFile::ReadOther |
                                                      QFile::ExeOther | QFile::WriteOther));
    QStringList hosts;
    std::vector<std::unique_ptr<Daemon>> daemons;
    for (int i = 0; i < 2; ++i) {
        const quint16 port = quint16(onLoopback(0, false));
        daemons.push_back(std::make_unique<Daemon>(
            "distccd", QStringList{"--no-detach", "--daemon", "--listen", "127.0.0.1", "--port",
                                   QString::number(port), "--allow", "127.0.0.1", "--jobs", "2",
                                   "--enable-tcp-insecure", "--log-level", "info", "--log-file",
                                   logs + QStringLiteral("/distccd-%1.log").arg(i)}));
        ASSERT_TRUE(daemons.back()->listensOn(port));
        hosts.append(QStringLiteral("127.0.0.1:%1/4").arg(port));
    }

    const QString local = checkout("local");
    ASSERT_EQ(build(local, {}).status, 0);
    const QString distributed = checkout("distributed");
    ASSERT_TRUE(QDir().mkpath(at("distcc")));
    const RunResult built =
        build(distributed, {"-launcher", "distcc", "-j", "8"},
              {"DISTCC_HOSTS=" + hosts.join(u' '), "DISTCC_DIR=" + at("distcc"),
               "DISTCC_FALLBACK=0", "DISTCC_BACKOFF_PERIOD=0"});
    ASSERT_EQ(built.status, 0) << qPrintable(built.out);

    QString logged;
    for (int i = 0; i < 2; ++i)
        logged += readTextFile(logs + QStringLiteral("/distccd-%1.log").arg(i));
    for (const char *source : {"/hello/main.c", "/fixedpoint/fixedpoint.c"})
        EXPECT_TRUE(logged.contains(
            QRegularExpression("COMPILE_OK .*" + QRegularExpression::escape(distributed + source))))
            << source << "\n"
            << qPrintable(logged);

    const QStringList made = objects(distributed);
    ASSERT_EQ(made, objects(local));
    ASSERT_EQ(made.size(), 3);
    for (const QString &object : made)
        EXPECT_EQ(disassembly(distributed + u'/' + object), disassembly(local + u'/' + object))
            << qPrintable(object);
    expectRuns(distributed);
}

// A launcher that logs its command line, then runs it.
const char kLoggingLauncher[] = "#!/bin/sh\necho \"$*\" >> \"$0.log\"\nexec \"$@\"\n";

// With renamed sections the renaming pass reads the compiler's assembly: the launcher compiles
// to assembly only, and the step renames and assembles it as without a launcher.
TEST_F(Launcher, RenamedSectionsAreCompiledToAssemblyThroughTheLauncher)
{
    const QString work = checkout("work");
    const QString launcher = at("launch");
    ASSERT_TRUE(writeScript(launcher, kLoggingLauncher));
    QString solution = readTextFile(work + "/hello.zav");
    solution.replace("project_directory=\"fixedpoint\"",
                     "project_directory=\"fixedpoint\" default_code_section=\".ramcode\"");
    ASSERT_TRUE(writeTextFile(work + "/hello.zav", solution));

    const RunResult built = build(work, {"-project", "fixedpoint", "-launcher", launcher});
    ASSERT_EQ(built.status, 0) << qPrintable(built.out);
    const QStringList launched = readTextFile(launcher + ".log").split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(launched.size(), 1);
    EXPECT_TRUE(launched.first().contains(" -S ")) << qPrintable(launched.first());
    const RunResult headers =
        runProgram("arm-none-eabi-objdump", {"-h", work + "/fixedpoint/Debug/fixedpoint.o"}, work);
    // All the code has moved; the assembler's own .text stays, empty.
    EXPECT_TRUE(headers.out.contains(" .ramcode ")) << qPrintable(headers.out);
    EXPECT_TRUE(headers.out.contains(QRegularExpression(" \\.text +00000000 ")))
        << qPrintable(headers.out);
}

// A launcher that cannot be found or fails is named once, on standard output or error.
TEST_F(Launcher, NameTheLauncherThatFails)
{
    const char kMissing[] = "kestrel-no-such-launcher";
    struct Case
    {
        QStringList options;
        QStringList env;
        int status;
        const char *printed;
    };
    // clang-format off
    const Case cases[] = {
        {{"-launcher", kMissing}, {}, 1,
         "can't find the compiler launcher \"kestrel-no-such-launcher\" (-launcher)"},
        {{}, {QStringLiteral("KESTREL_LAUNCHER=") + kMissing}, 1,
         "can't find the compiler launcher \"kestrel-no-such-launcher\" (KESTREL_LAUNCHER)"},
        {{"@options"}, {}, 1, "the launcher \"false\" failed (exit status 1)"},
        {{"-launcher", "false", "-j", "2"}, {}, 1, "the launcher \"false\" failed (exit status 1)"},
        // An empty option overrides the environment.
        {{"-launcher", ""}, {"KESTREL_LAUNCHER=false"}, 0, "Archiving fixedpoint.a"},
        {{"-show", "-launcher", "ccache -d /nowhere"}, {}, 0,
         "ccache -d /nowhere $ROOT/gcc/bin/arm-none-eabi-gcc -fmessage-length=0"},
    };
    // clang-format on
    const QString work = checkout("work");
    ASSERT_TRUE(writeTextFile(work + "/options", "-launcher false  # fails silently\n"));
    for (const Case &c : cases) {
        SCOPED_TRACE((c.options + c.env).join(u' ').toStdString());
        ASSERT_TRUE(QDir(work + "/fixedpoint/Debug").removeRecursively());
        const RunResult run = build(work, QStringList{"-project", "fixedpoint"} + c.options, c.env);
        const QString all = run.out + run.err;
        EXPECT_EQ(run.status, c.status) << qPrintable(all);
        const QString printed = QString::fromLatin1(c.printed).replace("$ROOT", kestrelRootDir());
        EXPECT_EQ(all.count(printed), 1) << qPrintable(all);
    }
}

} // namespace
