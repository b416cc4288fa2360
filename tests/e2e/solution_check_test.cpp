// kestrel -check: each mistake the build would pass over silently is reported with its file,
// line and a suggestion, and a correct solution gets no word at all.
#include "e2e.h"

namespace {

using SolutionCheck = WorkDir;

TEST_F(SolutionCheck, ReportsEachMistakeWithItsLineAndTheNearestName)
{
    // Line numbers matter: the report names them.
    ASSERT_TRUE(copy("solution_check"));
    const RunResult r = kestrel({"-check", "broken.zav"});
    EXPECT_EQ(r.status, 1) << qPrintable(r.err);
    const QStringList expected{
        "broken.zav:5: unknown property c_preprocesor_definitions (did you mean "
        "c_preprocessor_definitions?)",
        "broken.zav:6: project_dependencies names \"libz\", which is no project of the solution (did "
        "you mean lib?)",
        "broken.zav:7: unknown attribute fliter of <folder> (did you mean filter?)",
        "broken.zav:10: b/util.c compiles to the same object file as a/util.c (line 8): "
        "Debug/util.o in configuration Debug; set build_object_file_name on one of them",
        "broken.zav:11: unknown property build_quiet (did you mean build_quietly?)",
        "broken.zav:13: c_user_include_directories is a property: it takes effect only on a "
        "configuration element",
        "broken.zav:18: value \"Level 4\" of gcc_optimization_level is not one of None, Level 1, "
        "Level 2, Level 3, Optimize For Size",
        "broken.zav:19: value \"yes\" of build_quietly is not one of Yes, No",
        "broken.zav:19: unknown property c_user_include_directory (did you mean "
        "c_user_include_directories?)",
    };
    EXPECT_EQ(r.out.split('\n', Qt::SkipEmptyParts), expected);
    EXPECT_EQ(r.err, "");
}

// Every fixture that is not broken or hostile by design is a correct solution.
TEST_F(SolutionCheck, SaysNothingAboutACorrectSolution)
{
    QStringList checked;
    for (const char *top : {"examples", "tests"}) {
        const QString folder = kestrelSourceDir() + '/' + top;
        for (const QString &relative : sourceFiles(folder)) {
            const QString path = folder + '/' + relative;
            if (!path.endsWith(".zav") || path.contains("/hostile/")
                || path.contains("/fixtures/bad/") || path.endsWith("/broken.zav"))
                continue;
            const RunResult r = kestrel({"-check", path});
            EXPECT_EQ(r.status, 0) << qPrintable(path) << '\n' << qPrintable(r.out + r.err);
            EXPECT_EQ(r.out + r.err, "") << qPrintable(path);
            checked.append(path);
        }
    }
    EXPECT_GT(checked.size(), 5); // the walk found the fixtures
}

} // namespace
