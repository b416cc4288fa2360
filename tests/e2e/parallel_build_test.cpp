// Parallel builds (-j): the same outputs and console as a serial build, steps really running
// at the same time, a failing compilation reported once, and nothing to do the second time.
#include "e2e.h"

namespace {

constexpr int kFiles = 40;

// The temporary assembly files are named at random; nothing else may differ between runs.
QString withoutTemporaryNames(QString text)
{
    static const QRegularExpression temporary(QStringLiteral("kestrel_[A-Za-z0-9]+"));
    return text.replace(temporary, QStringLiteral("kestrel_TMP"));
}

// Every file of the build's output directories, by path relative to `root`, with its bytes.
QMap<QString, QByteArray> outputs(const QString &root, const QStringList &directories)
{
    QMap<QString, QByteArray> files;
    for (const QString &directory : directories) {
        QDirIterator it(root + u'/' + directory, QDir::Files);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.fileName().endsWith(u".map") || !file.open(QIODevice::ReadOnly))
                continue; // a map file names the temporary files
            files.insert(QDir(root).relativeFilePath(file.fileName()), file.readAll());
        }
    }
    return files;
}

// The fixture's library takes half the files and its executable the other half, with main and
// the board's start-up code; every source includes the shared header. `probe` makes each
// compilation of the library run probe.sh first, which notes how many compilations are running
// at that moment.
void writeProject(const QString &root, bool probe)
{
    ASSERT_TRUE(copyFixture("parallel", root));
    for (int i = 0; i < kFiles; ++i) {
        const QString project = i < kFiles / 2 ? "lib" : "app";
        ASSERT_TRUE(writeTextFile(
            QStringLiteral("%1/%2/f%3.c").arg(root, project).arg(i),
            QStringLiteral("#include \"shared.h\"\nint %1_f%2(int x) { return x * SCALE + %2; }\n")
                .arg(project)
                .arg(i)));
    }
    const QString zav = root + "/parallel.zav";
    const QString preBuild = " compile_pre_build_command=\"sh probe.sh $(InputName)\"";
    ASSERT_TRUE(!probe || writeTextFile(zav, readTextFile(zav).replace("\"lib\"/>",
                                                                       "\"lib\"" + preBuild + "/>")));
}

class ParallelBuild : public WorkDir
{
protected:
    RunResult build(const QStringList &args)
    {
        return kestrel(QStringList{"-config", "Release"} + args + QStringList{"parallel.zav"});
    }
};

// Builds once with one job and once with four, each from scratch, and compares everything:
// with -echo each step's lines come out together, as in the serial build.
TEST_F(ParallelBuild, FortyFilesBuildAsTheyDoSeriallyWithEachStepsLinesTogether)
{
    writeProject(dir, false);
    const QStringList directories{"lib/Release", "app/Release"};
    const RunResult serial = build({"-echo"});
    ASSERT_EQ(serial.status, 0) << qPrintable(serial.out);
    const QMap<QString, QByteArray> serialFiles = outputs(dir, directories);
    for (const QString &directory : directories)
        QDir(at(directory)).removeRecursively();

    const RunResult parallel = build({"-echo", "-j", "4"});
    ASSERT_EQ(parallel.status, 0) << qPrintable(parallel.out);
    EXPECT_EQ(withoutTemporaryNames(parallel.out), withoutTemporaryNames(serial.out));
    const QMap<QString, QByteArray> parallelFiles = outputs(dir, directories);
    EXPECT_EQ(parallelFiles.keys(), serialFiles.keys());
    for (auto it = serialFiles.cbegin(); it != serialFiles.cend(); ++it)
        EXPECT_TRUE(parallelFiles.value(it.key()) == it.value()) << qPrintable(it.key());

    // One job per processor core.
    const RunResult again = build({"-j", "0"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(steps(again.out), QStringList()) << qPrintable(again.out);
}

// Each compilation of the library notes how many were running when it ended: with four jobs
// some overlap, with one none do.
TEST_F(ParallelBuild, CompilationsOverlapOnlyWithMoreThanOneJob)
{
    writeProject(dir, true);
    struct Case { QStringList jobs; bool overlap; };
    const Case cases[] = {{{"-j", "4"}, true}, {{}, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.jobs.join(u' ').toStdString());
        QFile::remove(at("lib/overlap.log"));
        const RunResult run = build(QStringList{"-rebuild", "-project", "lib"} + c.jobs);
        ASSERT_EQ(run.status, 0) << qPrintable(run.out);
        int most = 0;
        const QStringList counts = readTextFile(at("lib/overlap.log")).split(u'\n',
                                                                                Qt::SkipEmptyParts);
        EXPECT_EQ(counts.size(), kFiles / 2);
        for (const QString &count : counts)
            most = std::max(most, count.trimmed().toInt());
        EXPECT_EQ(most > 1, c.overlap) << "at most " << most << " running together";
        EXPECT_LE(most, 4);
    }
}

TEST_F(ParallelBuild, ACompileErrorIsReportedOnceAndFailsTheBuild)
{
    writeProject(dir, false);
    writeTextFile(at("lib/f7.c"), QStringLiteral("int broken(void) { return undefined_thing; }\n"));
    const RunResult run = build({"-j", "4"});
    EXPECT_EQ(run.status, 1);
    const QString all = run.out + run.err;
    EXPECT_EQ(all.count(QStringLiteral("'undefined_thing' undeclared")), 1) << qPrintable(all);
    EXPECT_EQ(all.count(QStringLiteral("Compiling f7.c")), 1) << qPrintable(all);
    EXPECT_FALSE(all.contains(u"Archiving")) << qPrintable(all);
    EXPECT_FALSE(all.contains(u"Linking")) << qPrintable(all);
    EXPECT_FALSE(QFileInfo::exists(at("lib/Release/f7.o")));
}

} // namespace
