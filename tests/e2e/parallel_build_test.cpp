// Parallel builds (-j): the same outputs and console as a serial build, steps really running
// at the same time, a failing compilation reported once, and nothing to do the second time.
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

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

void removeOutputs(const QString &root, const QStringList &directories)
{
    for (const QString &directory : directories)
        QDir(root + u'/' + directory).removeRecursively();
}

// A library of half the files and an executable of the other half, main and the board's
// start-up code; every source includes the shared header. `probe` makes each compilation run
// probe.sh first, which notes how many compilations are running at that moment.
void writeProject(const QString &root, bool probe)
{
    writeTextFile(root + QStringLiteral("/inc/shared.h"),
                  QStringLiteral("#define SCALE 3\nint lib_f0(int x);\n"));
    QString libraryFiles;
    QString appFiles;
    for (int i = 0; i < kFiles; ++i) {
        const bool inLibrary = i < kFiles / 2;
        const QString name = QStringLiteral("f%1.c").arg(i);
        writeTextFile(root + (inLibrary ? QStringLiteral("/lib/") : QStringLiteral("/app/")) + name,
                      QStringLiteral("#include \"shared.h\"\nint %1_f%2(int x) { return x * SCALE "
                                     "+ %2; }\n")
                          .arg(inLibrary ? QStringLiteral("lib") : QStringLiteral("app"))
                          .arg(i));
        (inLibrary ? libraryFiles : appFiles) +=
            QStringLiteral("    <file file_name=\"%1\"/>\n").arg(name);
    }
    writeTextFile(root + QStringLiteral("/app/main.c"),
                  QStringLiteral("#include \"shared.h\"\nint main(void) { return lib_f0(1) & 1; "
                                 "}\n"));
    writeTextFile(root + QStringLiteral("/lib/probe.sh"),
                  QStringLiteral("touch running.$1\nsleep 0.4\nls running.* | wc -l >> "
                                 "overlap.log\nrm running.$1\n"));
    const QString preBuild =
        probe ? QStringLiteral(" compile_pre_build_command=\"sh probe.sh $(InputName)\"")
              : QString();
    writeTextFile(
        root + QStringLiteral("/parallel.zav"),
        QStringLiteral(
            "<!DOCTYPE Quillmark_Project_File>\n<solution Name=\"parallel\" version=\"2\">\n"
            "  <project Name=\"lib\">\n"
            "    <configuration Name=\"Common\" project_type=\"Library\" "
            "project_directory=\"lib\"%1/>\n%2  </project>\n"
            "  <project Name=\"app\">\n"
            "    <configuration Name=\"Common\" project_type=\"Executable\" "
            "project_directory=\"app\" project_dependencies=\"lib\" link_IOLibraryName=\"debug\" "
            "linker_memory_map_file=\"$(StudioDir)/targets/lm3s6965evb/memory_map.xml\"/>\n"
            "%3    <file file_name=\"main.c\"/>\n"
            "    <file file_name=\"$(StudioDir)/targets/lm3s6965evb/startup.s\"/>\n"
            "  </project>\n"
            "  <configuration Name=\"Common\" arm_architecture=\"v7M\" arm_core_type=\"Cortex-M3\" "
            "arm_instruction_set=\"Thumb\" arm_fp_abi=\"None\" "
            "c_user_include_directories=\"../inc\"/>\n"
            "  <configuration Name=\"Release\" build_debug_information=\"No\"/>\n"
            "</solution>\n")
            .arg(preBuild, libraryFiles, appFiles));
}

class ParallelBuild : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    RunResult kestrel(const QStringList &args, const QString &solution)
    {
        return runKestrel(QStringList{"-config", "Release"} + args + QStringList{solution},
                          m_dir.path(), m_dir.filePath(QStringLiteral("user")));
    }

    QString path(const QString &relative) const { return m_dir.filePath(relative); }

    QTemporaryDir m_dir;
};

// Builds once with one job and once with four, each from scratch, and compares everything.
void expectSameAsSerial(const std::function<RunResult(QStringList)> &build, const QString &root,
                        const QStringList &outputDirectories)
{
    const RunResult serial = build({"-echo"});
    ASSERT_EQ(serial.status, 0) << qPrintable(serial.out);
    const QMap<QString, QByteArray> serialFiles = outputs(root, outputDirectories);
    removeOutputs(root, outputDirectories);

    const RunResult parallel = build({"-echo", "-j", "4"});
    ASSERT_EQ(parallel.status, 0) << qPrintable(parallel.out);
    EXPECT_EQ(withoutTemporaryNames(parallel.out), withoutTemporaryNames(serial.out));
    const QMap<QString, QByteArray> parallelFiles = outputs(root, outputDirectories);
    EXPECT_EQ(parallelFiles.keys(), serialFiles.keys());
    for (auto it = serialFiles.cbegin(); it != serialFiles.cend(); ++it)
        EXPECT_TRUE(parallelFiles.value(it.key()) == it.value()) << qPrintable(it.key());
}

TEST_F(ParallelBuild, FortyFilesBuildAsTheyDoSeriallyWithEachStepsLinesTogether)
{
    writeProject(m_dir.path(), false);
    const QStringList directories{"lib/Release", "app/Release"};
    expectSameAsSerial(
        [this](const QStringList &args) { return kestrel(args, "parallel.zav"); },
        m_dir.path(), directories);

    // With -echo each "Compiling" line is followed by that file's own passes.
    removeOutputs(m_dir.path(), directories);
    const RunResult run = kestrel({"-echo", "-j", "4"}, "parallel.zav");
    ASSERT_EQ(run.status, 0) << qPrintable(run.out);
    const QStringList lines = run.out.split(u'\n');
    int compiled = 0;
    for (int i = 0; i < lines.size(); ++i) {
        static const QRegularExpression group(QStringLiteral("^    Compiling (\\w+)\\.c$"));
        const QRegularExpressionMatch match = group.match(lines[i]);
        if (!match.hasMatch())
            continue;
        ++compiled;
        ASSERT_LT(i + 3, lines.size());
        const QString name = match.captured(1);
        EXPECT_TRUE(lines[i + 1].contains(u"/cc1 ") && lines[i + 1].contains(name + ".c"))
            << qPrintable(lines[i + 1]);
        EXPECT_TRUE(lines[i + 2].contains(u"/as ") && lines[i + 2].contains(name + ".o"))
            << qPrintable(lines[i + 2]);
        EXPECT_TRUE(lines[i + 3].startsWith(u"    rm ")) << qPrintable(lines[i + 3]);
    }
    EXPECT_EQ(compiled, kFiles + 1);

    const RunResult again = kestrel({"-j", "4"}, "parallel.zav");
    EXPECT_EQ(again.status, 0);
    EXPECT_FALSE(again.out.contains(u"Compiling")) << qPrintable(again.out);
    EXPECT_FALSE(again.out.contains(u"Linking")) << qPrintable(again.out);
}

// Each compilation of the library notes how many were running when it ended: with four jobs
// some overlap, with one none do.
TEST_F(ParallelBuild, CompilationsOverlapOnlyWithMoreThanOneJob)
{
    writeProject(m_dir.path(), true);
    struct Case { QStringList jobs; bool overlap; };
    const Case cases[] = {{{"-j", "4"}, true}, {{}, false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.jobs.join(u' ').toStdString());
        QFile::remove(path("lib/overlap.log"));
        const RunResult run = kestrel(QStringList{"-rebuild", "-project", "lib"} + c.jobs,
                                      "parallel.zav");
        ASSERT_EQ(run.status, 0) << qPrintable(run.out);
        int most = 0;
        const QStringList counts = readTextFile(path("lib/overlap.log")).split(u'\n',
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
    writeProject(m_dir.path(), false);
    writeTextFile(path("lib/f7.c"), QStringLiteral("int broken(void) { return undefined_thing; }\n"));
    const RunResult run = kestrel({"-j", "4"}, "parallel.zav");
    EXPECT_EQ(run.status, 1);
    const QString all = run.out + run.err;
    EXPECT_EQ(all.count(QStringLiteral("'undefined_thing' undeclared")), 1) << qPrintable(all);
    EXPECT_EQ(all.count(QStringLiteral("Compiling f7.c")), 1) << qPrintable(all);
    EXPECT_FALSE(all.contains(u"Archiving")) << qPrintable(all);
    EXPECT_FALSE(all.contains(u"Linking")) << qPrintable(all);
    EXPECT_FALSE(QFileInfo::exists(path("lib/Release/f7.o")));
}

TEST_F(ParallelBuild, TheJobCountMustBeANumber)
{
    writeProject(m_dir.path(), false);
    for (const char *bad : {"x", "-2", "4x"}) {
        SCOPED_TRACE(bad);
        const RunResult run = kestrel({"-j", bad}, "parallel.zav");
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QStringLiteral("error: -j expects a number of jobs, not '")
                                     + QLatin1String(bad) + u'\''))
            << qPrintable(run.err);
    }
    const RunResult perCore = kestrel({"-j", "0"}, "parallel.zav");
    EXPECT_EQ(perCore.status, 0) << qPrintable(perCore.out);
    EXPECT_TRUE(QFileInfo::exists(path("app/Release/app.elf")));
}

} // namespace
