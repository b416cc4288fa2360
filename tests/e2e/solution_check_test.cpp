// kestrel -check: each mistake the build would pass over silently is reported with its file,
// line and a suggestion, and a correct solution gets no word at all.
#include "e2e.h"

namespace {

// Line numbers matter: the expected report below names them.
const char kMistakes[] = R"zav(<!DOCTYPE Quillmark_Project_File>
<solution Name="mistakes" version="2">
  <project Name="app">
    <configuration Name="Common" project_type="Executable"
                   c_preprocesor_definitions="X"
                   project_dependencies="lib;libz"/>
    <folder Name="a" fliter="c">
      <file file_name="a/util.c"/>
    </folder>
    <file file_name="b/util.c">
      <configuration Name="Debug" build_quiet="Yes"/>
    </file>
    <file file_name="main.c" c_user_include_directories="inc"/>
  </project>
  <project Name="lib">
    <configuration Name="Common" project_type="Library"/>
  </project>
  <configuration Name="Debug" gcc_optimization_level="Level 4"
                 c_user_include_directory="inc" build_quietly="yes"/>
</solution>
)zav";

using SolutionCheck = WorkDir;

TEST_F(SolutionCheck, ReportsEachMistakeWithItsLineAndTheNearestName)
{
    ASSERT_TRUE(writeTextFile(at("s.zav"), kMistakes));
    const RunResult r = kestrel({"-check", "s.zav"});
    EXPECT_EQ(r.status, 1) << qPrintable(r.err);
    const QStringList expected{
        "s.zav:5: unknown property c_preprocesor_definitions (did you mean "
        "c_preprocessor_definitions?)",
        "s.zav:6: project_dependencies names \"libz\", which is no project of the solution (did "
        "you mean lib?)",
        "s.zav:7: unknown attribute fliter of <folder> (did you mean filter?)",
        "s.zav:10: b/util.c compiles to the same object file as a/util.c (line 8): "
        "Debug/util.o in configuration Debug; set build_object_file_name on one of them",
        "s.zav:11: unknown property build_quiet (did you mean build_quietly?)",
        "s.zav:13: c_user_include_directories is a property: it takes effect only on a "
        "configuration element",
        "s.zav:18: value \"Level 4\" of gcc_optimization_level is not one of None, Level 1, "
        "Level 2, Level 3, Optimize For Size",
        "s.zav:19: value \"yes\" of build_quietly is not one of Yes, No",
        "s.zav:19: unknown property c_user_include_directory (did you mean "
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
