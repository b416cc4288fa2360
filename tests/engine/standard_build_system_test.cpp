#include "engine_harness.h"

#include "project/project_system.h"

namespace {

class ProjectWalk : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        source("main.c", "#include \"inc/main.h\"\n#include \"my header.h\"\n");
        source("util.c");
        source("skip.c");
        source("notes.txt");
        source("inc/main.h");
        source("my header.h");
        loadProjects(app(QString(), R"(<folder Name="src">
          <file file_name="main.c"/><file file_name="util.c"/>
          <file file_name="skip.c"><configuration Name="Common" build_exclude_from_build="Yes"/></file>
        </folder><file file_name="notes.txt"/>)"));
        ASSERT_EQ(build(), 1);
    }

    // Starts again from a fresh build.
    void restart()
    {
        QDir(root + "/Debug").removeRecursively();
        TearDown();
        SetUp();
    }
};

} // namespace

TEST_F(ProjectWalk, CompilesEveryIncludedFileThenLinksTheirObjects)
{
    EXPECT_EQ(made(), (QStringList{"Debug/main.o", "Debug/util.o", "Debug/app.elf"}));
    EXPECT_EQ(builder.commands.last(),
              (QStringList{"tool", "10", "Debug/app.elf", "Debug/main.o", "Debug/util.o"}));
    // Output names are kept only during a build: after it, they follow the settings again.
    EXPECT_EQ(standardBuildSystem->output(project("app"), "Debug", false), "Debug/app.elf");
    set(project("app"), "build_output_file_name", "$(OutDir)/renamed.elf");
    EXPECT_EQ(standardBuildSystem->output(project("app"), "Debug", false), "Debug/renamed.elf");
}

TEST_F(ProjectWalk, TouchingAHeaderNamedInTheDependencyFileRecompilesItsIncluder)
{
    for (const char *header : {"inc/main.h", "my header.h"}) {
        SCOPED_TRACE(header);
        touch(header);
        EXPECT_EQ(build(0), 1);
        EXPECT_EQ(made(), (QStringList{"Debug/main.o", "Debug/app.elf"}));
        EXPECT_TRUE(builder.log.contains(
            QStringLiteral("message %1/%2 is newer than Debug/main.o.").arg(root, header)));
    }
}

TEST_F(ProjectWalk, UpToDateReportsNameEachOutput)
{
    EXPECT_EQ(build(0), 0);
    EXPECT_EQ(builder.lines("success "),
              (QStringList{"'Debug/main.o' is up to date", "'Debug/util.o' is up to date",
                           "'Debug/app.elf' is up to date"}));
    EXPECT_EQ(build(BuildQuiet), 0);
    EXPECT_TRUE(builder.lines("success ").isEmpty());
}

// What makes one object out of date: it recompiles with the link, and a verbose build says why.
TEST_F(ProjectWalk, AMissingOrNewerInputOrOutputRebuildsOnlyItsObject)
{
    const QString util = root + "/Debug/util.o";
    struct Case
    {
        const char *what;
        std::function<void()> change;
        QString object;
        QString message; // empty: nothing to say
    };
    const Case cases[] = {
        // The recompilation would fail without the header; here it rewrites the ".d" file.
        {"missing header", [&] { QFile::remove(root + "/inc/main.h"); }, "Debug/main.o",
         root + "/inc/main.h does not exist."},
        {"missing output", [&] { QFile::remove(util); }, "Debug/util.o",
         "Debug/util.o does not exist."},
        // Without its ".d" file an object depends on its source alone.
        {"missing dependency file",
         [&] {
             QFile::remove(root + "/Debug/main.d");
             ASSERT_EQ(build(), 0);
             touch("main.c");
         },
         "Debug/main.o", QString()},
        // Equal times are current; one second newer is not.
        {"source one second newer",
         [&] {
             const qint64 utilTime = QFileInfo(util).lastModified().toSecsSinceEpoch();
             ASSERT_TRUE(setFileTime(root + "/util.c", utilTime));
             ASSERT_EQ(build(), 0);
             ASSERT_TRUE(setFileTime(root + "/util.c", utilTime + 1));
         },
         "Debug/util.o", QString()},
        // A ".d" file that cannot be read, of an object the log no longer knows (its status
        // changed, its time did not), leaves the dependencies unknown; only a build that is
        // not quiet says so.
        {"unreadable dependency file",
         [&] {
             const QString object = root + "/Debug/main.o";
             ASSERT_TRUE(setFileTime(
                 object, QFileInfo(object).lastModified().toSecsSinceEpoch()));
             QFile::remove(root + "/Debug/main.d");
             ASSERT_TRUE(QDir().mkpath(root + "/Debug/main.d"));
             EXPECT_EQ(build(BuildQuiet), 1);
             EXPECT_TRUE(builder.lines("message ").isEmpty());
         },
         "Debug/main.o", "main.d cannot be read."},
        {"always rebuild",
         [&] {
             set(projectSystem->findByName(solution(), "util.c"), "build_always_rebuild", "Yes");
         },
         "Debug/util.o", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (&c != cases)
            restart();
        c.change();
        EXPECT_EQ(build(0), 1);
        EXPECT_EQ(made(), (QStringList{c.object, "Debug/app.elf"}));
        if (!c.message.isEmpty()) {
            EXPECT_FALSE(builder.lines("message ").filter(c.message).isEmpty())
                << qPrintable(c.message);
        }
    }
}

TEST_F(ProjectWalk, CleanRemovesEveryOutputAndRunsNothing)
{
    EXPECT_EQ(build(BuildClean | BuildRebuild | BuildNoBuild), 1);
    EXPECT_TRUE(builder.commands.isEmpty());
    EXPECT_EQ(builder.lines("note Remove "),
              (QStringList{root + "/Debug/main.o", root + "/Debug/util.o", root + "/Debug/app.elf"}));
    EXPECT_FALSE(exists("Debug/main.o"));
    EXPECT_FALSE(exists("Debug/app.elf"));
    // Nothing is left to remove, and nothing is reported for files that are not there.
    EXPECT_EQ(build(BuildClean | BuildRebuild | BuildNoBuild), 1);
    EXPECT_TRUE(builder.lines("note ").isEmpty());
}

// A property changed after the outputs were made rebuilds what it shapes, and only that.
TEST_F(ProjectWalk, PropertyChangedInThisRunRebuildsWhatItShapes)
{
    struct Case
    {
        const char *property, *configuration, *value;
        QStringList made;
        const char *title;
    };
    const Case cases[] = {
        {"linker_additional_options", "Common", "-x", {"Debug/app.elf"},
         "Additional Linker Options"},
        {"c_preprocessor_definitions", "Debug", "X=1",
         {"Debug/main.o", "Debug/util.o", "Debug/app.elf"}, "Preprocessor Definitions"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.property);
        ageOutputs();
        set(project("app"), c.property, c.value, c.configuration);
        EXPECT_EQ(build(0), 1);
        EXPECT_EQ(made(), c.made);
        EXPECT_TRUE(builder.log.contains(
            QStringLiteral("message %1 property has changed.").arg(c.title)));
        EXPECT_EQ(build(), 0); // the new outputs are newer than the change
    }
}

TEST_F(ProjectWalk, PreAndPostCommandsRunAroundTheToolWithTheTargetPath)
{
    ageOutputs();
    ProjectElement *app = project("app");
    set(app, "compile_pre_build_command", "echo before");
    set(app, "compile_post_build_command", "echo \"$(TargetPath)\" done");
    set(app, "compile_post_build_command_wd", "/tmp");
    set(app, "linker_post_build_command", "sign $(TargetPath)");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(builder.lines("run "),
              (QStringList{"echo before", "tool 2 Debug/main.o main.c",
                           "echo " + root + "/Debug/main.o done", "echo before",
                           "tool 2 Debug/util.o util.c", "echo " + root + "/Debug/util.o done",
                           "tool 10 Debug/app.elf Debug/main.o Debug/util.o",
                           "sign " + root + "/Debug/app.elf"}));
    EXPECT_EQ(builder.directories.value(0), root);
    EXPECT_EQ(builder.directories.value(2), "/tmp");
    EXPECT_TRUE(builder.log.contains("group Pre-compile command "));
    EXPECT_TRUE(builder.log.contains("group Post-link command "));
}

// A missing map file or additional output format forces a relink, but only when the build is not
// quiet.
TEST_F(ProjectWalk, ExtraLinkOutputsMustExistBesideTheExecutable)
{
    struct Case
    {
        const char *property, *value, *file;
    };
    const Case cases[] = {{"linker_map_file", "Yes", "Debug/app.map"},
                          {"linker_output_format", "hex", "Debug/app.hex"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.property);
        if (&c != cases)
            restart();
        ageOutputs();
        set(project("app"), c.property, c.value);
        ASSERT_EQ(build(), 1);
        EXPECT_EQ(build(BuildQuiet), 0);
        EXPECT_EQ(build(0), 1);
        EXPECT_TRUE(builder.log.contains(
            QStringLiteral("message %1/%2 does not exist.").arg(root, c.file)));
        writeTextFile(root + u'/' + c.file, "x");
        EXPECT_EQ(build(0), 0);
    }
}

TEST_F(ProjectWalk, GroupSelectionRecompilesOnlyWhenTheChosenEntryDefinesSymbols)
{
    source("groups.xml", R"(<groups>
  <group name="Board" default="Plain">
    <groupEntry name="Eval"><cdefine name="EVAL" value="1"/></groupEntry>
    <groupEntry name="Plain"><property name="linker_additional_options" value="-x"/></groupEntry>
  </group>
</groups>)");
    ProjectElement *app = project("app");
    set(app, "property_groups_file_path", "groups.xml");
    ASSERT_EQ(build(), 0);
    ageOutputs();
    set(app, "Board", "Plain", "Debug");
    EXPECT_EQ(build(), 0);
    set(app, "Board", "Eval", "Debug");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(made(), (QStringList{"Debug/main.o", "Debug/util.o", "Debug/app.elf"}));
}

TEST_F(ProjectWalk, QueriesForAHostNameDependenciesAndIncludeFiles)
{
    ProjectElement *main = projectSystem->findByName(solution(), "main.c");
    QStringList dependencies;
    standardBuildSystem->getDependencies(main, "Debug", dependencies);
    EXPECT_EQ(dependencies, (QStringList{root + "/main.c", root + "/inc/main.h", root + "/my header.h"}));

    dependencies.clear();
    standardBuildSystem->getDependencies(project("app"), "Debug", dependencies);
    EXPECT_EQ(dependencies, (QStringList{"Debug/main.o", "Debug/util.o",
                                         root + "/targets/section_placement.xml"}));

    // A ";" escaped in a list of directories is part of a directory's name.
    source("sys;2/stdio.h");
    set(project("app"), "c_system_include_directories", "$(ProjectDir)/sys\\;2");
    struct Case { bool system; const char *name; QString expected; };
    const Case cases[] = {{false, "main.h", QString()},
                          {false, "inc/main.h", root + "/inc/main.h"}, // the default "." directory
                          {true, "stdio.h", root + "/sys;2/stdio.h"},
                          {true, "missing.h", QString()}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(standardBuildSystem->findIncludeFile(c.system, c.name, main, "Debug"),
                  c.expected);
    }
}

// The generated linker script comes from the map and the files it imports: a change to either
// relinks, and nothing else is rebuilt.
TEST_F(EngineTest, AChangedMemoryMapImportRelinks)
{
    source("main.c");
    source("board.xml", R"(<Root name="board"><Import filename="sub/chip.xml"/></Root>)");
    source("sub/chip.xml", R"(<Root><MemorySegment name="FLASH" start="0" size="0x1000"/></Root>)");
    loadProjects(app(R"(linker_memory_map_file="board.xml")"));
    ASSERT_EQ(build(), 1);
    ASSERT_EQ(build(), 0);
    for (const char *changed : {"sub/chip.xml", "board.xml"}) {
        SCOPED_TRACE(changed);
        touch(changed);
        EXPECT_EQ(build(0), 1);
        EXPECT_EQ(made(), QStringList{"Debug/app.elf"});
        const QStringList reasons = builder.lines("message ").filter("is newer than");
        ASSERT_EQ(reasons.size(), 1);
        EXPECT_TRUE(reasons[0].endsWith(QString(changed) + " is newer than Debug/app.elf."))
            << reasons[0].toStdString();
        EXPECT_EQ(build(), 0);
    }
}
