// -progress on real builds: each step's group line carries its number and the project's step
// count, the count matches the steps a build from scratch runs, and numbers skip what is up to
// date.
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The group lines of the projects' steps (one level inside the project's line).
QStringList stepLines(const QString &out)
{
    QStringList lines;
    for (const QString &line : out.split(u'\n')) {
        if (line.startsWith("    ") && !line.startsWith("     "))
            lines.append(line.mid(4));
    }
    return lines;
}

// Per project, in order: the step lines printed inside its "Building" line.
QMap<QString, QStringList> stepLinesByProject(const QString &out)
{
    static const QRegularExpression project(R"re(^  Building "([^"]*)")re");
    QMap<QString, QStringList> steps;
    QString current;
    for (const QString &line : out.split(u'\n')) {
        const QRegularExpressionMatch match = project.match(line);
        if (match.hasMatch())
            current = match.captured(1);
        else if (line.startsWith("    ") && !line.startsWith("     "))
            steps[current].append(line.mid(4));
    }
    return steps;
}

class ToolboxProgress : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(copyTree(kestrelSourceDir() + "/examples", m_dir.path()));
    }

    // Built with the -j of the parameter: a parallel build prints the same numbered lines.
    RunResult build(QStringList args = {"-progress"})
    {
        args << "-j" << GetParam() << "-config"
             << "Debug"
             << "hello.zav";
        return runKestrel(args, m_dir.path());
    }

    QTemporaryDir m_dir;
};

TEST_P(ToolboxProgress, NumbersEachProjectsStepsAndSkipsWhatIsUpToDate)
{
    const RunResult first = build();
    ASSERT_EQ(first.status, 0) << qPrintable(first.out) << qPrintable(first.err);
    const QStringList expected{"[1/2] Compiling fixedpoint.c", "[2/2] Archiving fixedpoint.a",
                               "[1/3] Compiling main.c", "[2/3] Assembling startup.s",
                               "[3/3] Linking hello.elf"};
    EXPECT_EQ(stepLines(first.out), expected) << qPrintable(first.out);
    // A group inside a step is not a step.
    EXPECT_TRUE(first.out.contains("\n      Generating linker script\n")) << qPrintable(first.out);

    // The source changed after its object: the up-to-date steps keep their numbers unprinted.
    ASSERT_TRUE(setFileTime(
        m_dir.filePath("hello/main.c"),
        QFileInfo(m_dir.filePath("hello/Debug/hello.elf")).lastModified().toSecsSinceEpoch() + 10));
    const RunResult second = build();
    ASSERT_EQ(second.status, 0) << qPrintable(second.out);
    EXPECT_EQ(stepLines(second.out),
              (QStringList{"[1/3] Compiling main.c", "[3/3] Linking hello.elf"}))
        << qPrintable(second.out);
}

INSTANTIATE_TEST_SUITE_P(Jobs, ToolboxProgress, ::testing::Values("1", "2"));

// On a build from scratch every project that announces steps runs all of them: its last step
// is [N/N], numbers rise by one, and every step line is numbered. The fixtures cover each kind
// of project: executables, a library, C++, staging, combining and an external build.
TEST(ToolboxProgressCount, EveryProjectsCountMatchesTheStepsItRuns)
{
    struct Case
    {
        const char *fixture;
        const char *solution;
    };
    for (const Case &c : {Case{"toolbox_mixed", "mixed.zav"}, Case{"engine_special", "special.zav"},
                          Case{"arm_cortex_m3", "firmware.zav"}}) {
        SCOPED_TRACE(c.fixture);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(copyFixture(c.fixture, dir.path()));
        const RunResult r = runKestrel({"-progress", "-config", "Debug", c.solution}, dir.path());
        ASSERT_EQ(r.status, 0) << qPrintable(r.out) << qPrintable(r.err);

        static const QRegularExpression numbered(R"(^\[(\d+)/(\d+)\] )");
        const QMap<QString, QStringList> projects = stepLinesByProject(r.out);
        ASSERT_FALSE(projects.isEmpty()) << qPrintable(r.out);
        for (auto project = projects.cbegin(); project != projects.cend(); ++project) {
            SCOPED_TRACE(project.key().toStdString());
            int last = 0;
            int total = -1;
            for (const QString &line : project.value()) {
                const QRegularExpressionMatch match = numbered.match(line);
                if (!match.hasMatch()) {
                    // Only a project without counted steps (an external build) may show an
                    // unnumbered group.
                    EXPECT_EQ(total, -1) << qPrintable(line);
                    continue;
                }
                EXPECT_EQ(match.captured(1).toInt(), last + 1) << qPrintable(line);
                last = match.captured(1).toInt();
                total = match.captured(2).toInt();
            }
            if (total >= 0) {
                EXPECT_EQ(last, total) << qPrintable(project.value().join('\n'));
            }
        }
    }
}

} // namespace
