// -progress on real builds: each step's group line carries its number and the project's step
// count, the count matches the steps a build from scratch runs, and numbers skip what is up to
// date.
#include "e2e.h"

namespace {

// Per project, in order: the step lines printed inside its "Building" line (one level in).
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

struct Case
{
    const char *fixture;
    const char *solution;
    const char *jobs; // a parallel build prints the same numbered lines
};

// On a build from scratch every project that announces steps runs all of them: its last step
// is [N/N], numbers rise by one, and every step line is numbered. The fixtures cover each kind
// of project: executables, a library, C++, staging, combining and an external build.
using ToolboxProgress = WorkDirWith<Case>;

TEST_P(ToolboxProgress, EveryProjectsCountMatchesTheStepsItRunsAndSkipsWhatIsUpToDate)
{
    const Case &c = GetParam();
    ASSERT_TRUE(copy(c.fixture));
    const QStringList args{"-progress", "-j", c.jobs, "-config", "Debug", c.solution};
    const RunResult r = kestrel(args);
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
    if (QLatin1String(c.fixture) != "examples")
        return;
    // A group inside a step is not a step.
    EXPECT_TRUE(r.out.contains("\n      Generating linker script\n")) << qPrintable(r.out);
    // The source changed after its object: the up-to-date steps keep their numbers unprinted.
    ASSERT_TRUE(setFileTime(
        at("hello/main.c"),
        QFileInfo(at("hello/Debug/hello.elf")).lastModified().toSecsSinceEpoch() + 10));
    const RunResult second = kestrel(args);
    ASSERT_EQ(second.status, 0) << qPrintable(second.out);
    EXPECT_EQ(stepLinesByProject(second.out).value("hello"),
              (QStringList{"[1/3] Compiling main.c", "[3/3] Linking hello.elf"}))
        << qPrintable(second.out);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ToolboxProgress,
                         ::testing::Values(Case{"examples", "hello.zav", "1"},
                                           Case{"examples", "hello.zav", "2"},
                                           Case{"toolbox_mixed", "mixed.zav", "1"},
                                           Case{"engine_special", "special.zav", "2"},
                                           Case{"arm_cortex_m3", "firmware.zav", "1"}));

} // namespace
