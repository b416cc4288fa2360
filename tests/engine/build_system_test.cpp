#include "engine_harness.h"

namespace {

class Orchestration : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        source("main.c");
        source("lib.c");
        source("util.c");
        // app depends on lib (listed after it in the solution) and on util; lib depends on util.
        load(readTextFile(kestrelTestsDir() + "/engine/fixtures/three_projects.zav"));
    }
};

} // namespace

TEST_F(Orchestration, BuildsEachProjectAfterItsDependenciesAndOnlyOnce)
{
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(builder.lines("group Building "),
              (QStringList{R"("util" in configuration "Debug")", R"("lib" in configuration "Debug")",
                           R"("app" in configuration "Debug")"}));
    EXPECT_EQ(made(), (QStringList{"Debug/util.o", "Debug/util.a", "Debug/lib.o", "Debug/lib.a",
                                   "Debug/main.o", "Debug/app.elf"}));
    QStringList names;
    for (ProjectElement *p : buildSystem->buildOrder(nullptr, "Debug"))
        names.append(p->getName());
    EXPECT_EQ(names, (QStringList{"util", "lib", "app"}));
    EXPECT_EQ(buildSystem->directlyDependsOn(project("app"), "Debug"),
              (QList<ProjectElement *>{project("lib"), project("util")}));
}

TEST_F(Orchestration, UnknownAndWronglyCasedDependenciesAreIgnored)
{
    loadProjects(R"(<project Name="a"><configuration Name="Common" project_dependencies="B;nothing;b"/></project>
      <project Name="b"><configuration Name="Common" project_type="Library"/></project>)");
    EXPECT_EQ(buildSystem->directlyDependsOn(project("a"), "Debug"),
              QList<ProjectElement *>{project("b")});
}

TEST_F(Orchestration, CyclicDependenciesEndTheBuildWithOneErrorNamingTheCycle)
{
    loadProjects(R"(<project Name="a"><configuration Name="Common" project_dependencies="b"/>
        <file file_name="main.c"/></project>
      <project Name="b"><configuration Name="Common" project_type="Library" project_dependencies="c"/></project>
      <project Name="c"><configuration Name="Common" project_type="Library" project_dependencies="a"/></project>)");
    EXPECT_EQ(build(), 2);
    EXPECT_TRUE(buildSystem->buildFailed);
    EXPECT_EQ(builder.lines("error "),
              QStringList{R"(cyclic project dependencies in configuration "Debug": "a" -> "b" -> "c" -> "a")"});
    EXPECT_TRUE(made().isEmpty());
    // The order query must terminate as well.
    EXPECT_EQ(buildSystem->buildOrder(project("a"), "Debug").size(), 3);
}

TEST_F(Orchestration, ExcludedProjectIsNeitherAnnouncedNorBuilt)
{
    loadProjects(app(R"(project_dependencies="lib")") + R"(<project Name="lib">
        <configuration Name="Common" project_type="Library"/>
        <configuration Name="Debug" build_exclude_from_build="Yes"/>
        <file file_name="lib.c"/></project>)");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(builder.lines("group Building "), QStringList{R"("app" in configuration "Debug")"});
    // An excluded library contributes nothing to the link.
    EXPECT_EQ(builder.commands.last(), (QStringList{"tool", "10", "Debug/app.elf", "Debug/main.o"}));
}

TEST_F(Orchestration, VerbFollowsTheFlags)
{
    struct Case { int flags; const char *verb; };
    const Case cases[] = {{BuildQuiet, "Building"},
                          {BuildQuiet | BuildRebuild, "Building"},
                          {BuildQuiet | BuildClean | BuildRebuild | BuildNoBuild, "Cleaning"},
                          {BuildQuiet | BuildClean | BuildRebuild, "Rebuilding"},
                          {BuildQuiet | BuildCheck | BuildClean, "Checking"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.verb);
        build(c.flags);
        EXPECT_TRUE(builder.log.contains(QStringLiteral("group ") + c.verb
                                         + R"( "app" in configuration "Debug")"));
    }
}

TEST_F(Orchestration, BatchBuildsEachBatchConfigurationInOrder)
{
    load(R"(<solution Name="s">
      <configuration Name="Common" batch_build_configurations="Release;debug"/>
      <configuration Name="Debug"/><configuration Name="Release"/>)" + app() + "</solution>");
    builder.log.clear();
    EXPECT_EQ(buildSystem->build(solution(), "Debug", &builder, BuildQuiet, true, true), 1);
    EXPECT_EQ(builder.lines("group Building "),
              (QStringList{R"("app" in configuration "Release")", R"("app" in configuration "Debug")"}));
    bool rebuilt = false;
    EXPECT_TRUE(buildSystem->justBuilt(project("app"), "Release", rebuilt));
    EXPECT_TRUE(rebuilt);
    EXPECT_FALSE(buildSystem->justBuilt(project("app"), "release", rebuilt));
}

TEST_F(Orchestration, FailureStopsTheRemainingProjects)
{
    loadProjects(R"(<project Name="first"><configuration Name="Common" project_type="Library"/>
        <file file_name="fail.c"/><file file_name="lib.c"/></project>
      <project Name="second"><configuration Name="Common" project_type="Library"/>
        <file file_name="util.c"/></project>)");
    source("fail.c");
    EXPECT_EQ(build(), 2);
    EXPECT_EQ(made(), QStringList{"Debug/fail.o"});
    EXPECT_EQ(builder.lines("group Building "), QStringList{R"("first" in configuration "Debug")"});
}

TEST_F(Orchestration, ProjectWithoutDependencyBuildOnlyBuildsItself)
{
    builder.log.clear();
    EXPECT_EQ(buildSystem->build(project("app"), "Debug", &builder, BuildQuiet, false, false), 1);
    EXPECT_EQ(made(), (QStringList{"Debug/main.o", "Debug/app.elf"}));
    EXPECT_EQ(builder.lines("group Building "), QStringList{R"("app" in configuration "Debug")"});
}
