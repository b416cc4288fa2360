// Staging, combining, externally built and object-file projects, and what dependent projects
// take from them.
#include "engine_harness.h"

#include "project/project_system.h"

#include <QFileDevice>

namespace {

class SpecialProjects : public EngineTest
{
protected:
    QStringList runs() const { return builder.lines("run "); }
};

} // namespace

TEST_F(SpecialProjects, StagingCopiesEachFileAndRunsThePostStageCommandOnlyWhenOneWasCopied)
{
    source("a.txt", "alpha");
    source("docs/b.txt", "beta");
    loadProjects(R"(<project Name="stage">
        <configuration Name="Common" project_type="Staging" stage_set_readonly="Yes"
                       stage_post_build_command="echo staged"/>
        <file file_name="a.txt"/>
        <folder Name="docs"><file file_name="docs/b.txt"/></folder></project>)");
    EXPECT_EQ(build(), 1);
    const QString a = root + "/Debug/a.txt";
    const QString b = root + "/Debug/docs/b.txt";
    EXPECT_EQ(runs(), (QStringList{"cp a.txt " + a, "chmod -w " + a, "cp docs/b.txt " + b,
                                   "chmod -w " + b, "echo staged"}));
    EXPECT_EQ(readTextFile(b), "beta");
    EXPECT_FALSE(QFileInfo(a).permissions() & QFileDevice::WriteOwner);
    EXPECT_EQ(builder.lines("group "),
              (QStringList{R"(Building "stage" in configuration "Debug")", "Copying a.txt",
                           "Copying b.txt", "Post-stage command "}));

    EXPECT_EQ(build(0), 0);
    EXPECT_TRUE(runs().isEmpty());
    EXPECT_EQ(builder.lines("success "),
              (QStringList{"'Debug/a.txt' is up to date.", "'Debug/docs/b.txt' is up to date."}));

    touch("docs/b.txt");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(runs(), (QStringList{"cp docs/b.txt " + b, "chmod -w " + b, "echo staged"}));
}

TEST_F(SpecialProjects, CombiningRunsOneCommandOverTheRelativeNamesOfIncludedFiles)
{
    source("one.bin");
    source("sub/two.bin");
    source("three.bin");
    loadProjects(R"(<project Name="image">
        <configuration Name="Common" project_type="Combining"
                       combine_output_filepath="$(OutDir)/image.bin"
                       combine_command="cat $(CombiningRelInputPaths) -o &quot;$(CombiningOutputFilePath)&quot;"/>
        <file file_name="one.bin"/>
        <folder Name="f"><file file_name="sub/two.bin"/></folder>
        <file file_name="three.bin"><configuration Name="Common" build_exclude_from_build="Yes"/></file>
      </project>)");
    builder.run = [this](RecordingBuilder &b) {
        if (b.command.value(0) == u"cat")
            writeTextFile(b.outputs.value(0), "combined");
        else
            runTool(b);
    };
    EXPECT_EQ(build(), 1);
    const QString out = root + "/Debug/image.bin";
    EXPECT_EQ(runs(), (QStringList{"cat one.bin sub/two.bin -o " + out, "chmod +w " + out}));
    EXPECT_EQ(builder.commands.first().size(), 5); // the quoted output stays one word
    EXPECT_EQ(builder.lines("group "),
              (QStringList{R"(Building "image" in configuration "Debug")", "Combining image"}));
    EXPECT_EQ(build(), 0);
    touch("sub/two.bin");
    EXPECT_EQ(build(), 1);
}

TEST_F(SpecialProjects, ExternallyBuiltProjectRunsItsCommandsAndAlwaysCountsAsChanged)
{
    source("main.c");
    source("ext/Makefile");
    loadProjects(app(R"(project_dependencies="ext")") + R"(<project Name="ext">
        <configuration Name="Common" project_type="Externally Built Executable"
                       project_directory="ext" external_build_file_name="out/ext.elf"
                       external_build_command="make  -C &quot;$(ProjectDir)&quot; all"
                       external_clean_command="make clean"/>
        <file file_name="never.c"/></project>)");
    EXPECT_EQ(build(), 1);
    // Split at blanks only: the quotes stay in the words.
    EXPECT_EQ(builder.commands.first(),
              (QStringList{"make", "-C", "\"" + root + "/ext\"", "all"}));
    EXPECT_EQ(builder.directories.first(), root + "/ext");
    EXPECT_EQ(made(), (QStringList{"Debug/main.o", "Debug/app.elf"}));

    // Nothing of app changed, but the external project is always treated as rebuilt.
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(made(), QStringList{"Debug/app.elf"});

    EXPECT_EQ(build(BuildQuiet | BuildClean | BuildRebuild | BuildNoBuild), 1);
    EXPECT_EQ(builder.commands.first(), (QStringList{"make", "clean"}));
    EXPECT_EQ(builder.commands.size(), 1);
    EXPECT_TRUE(builder.log.contains("group Running Clean command ext"));
}

TEST_F(SpecialProjects, ObjectFileProjectContributesItsObjectsToTheLink)
{
    source("main.c");
    source("objs/x.c");
    source("objs/y.s");
    loadProjects(app(R"(project_dependencies="objs")") + R"(<project Name="objs">
        <configuration Name="Common" project_type="Object file" project_directory="objs"/>
        <file file_name="x.c"/><file file_name="y.s"/></project>)");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(builder.commands.last(),
              (QStringList{"tool", "10", "Debug/app.elf", "Debug/main.o",
                           root + "/objs/Debug/x.o", root + "/objs/Debug/y.o"}));
    EXPECT_EQ(build(), 0);
    touch("objs/y.s");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(made(), (QStringList{"Debug/y.o", "Debug/app.elf"}));
}

TEST_F(SpecialProjects, ArchiveIsRebuiltByAProjectTypeChangeButNotByOptions)
{
    source("lib.c");
    loadProjects(R"(<project Name="lib"><configuration Name="Common" project_type="Library"/>
        <file file_name="lib.c"/></project>)");
    ASSERT_EQ(build(), 1);
    ageOutputs();
    // Options that shape no compilation leave both the object and the archive alone.
    set(project("lib"), "linker_additional_options", "-x");
    set(project("lib"), "build_debug_information", "No", "Release");
    EXPECT_EQ(build(0), 0);

    set(project("lib"), "project_type", "Library");
    EXPECT_EQ(build(0), 1);
    EXPECT_EQ(made(), QStringList{"Debug/lib.a"});
    EXPECT_TRUE(builder.log.contains("message Project Type property has changed."));
}

TEST_F(SpecialProjects, LibraryRebuiltInThisRunForcesTheDependentLink)
{
    source("main.c");
    source("lib.c");
    loadProjects(app(R"(project_dependencies="lib")") + R"(<project Name="lib">
        <configuration Name="Common" project_type="Library" project_directory="lib"/>
        <file file_name="../lib.c"/></project>)");
    ASSERT_EQ(build(), 1);
    EXPECT_EQ(builder.commands.last(),
              (QStringList{"tool", "10", "Debug/app.elf", "Debug/main.o", root + "/lib/Debug/lib.a"}));
    touch("lib.c");
    EXPECT_EQ(build(), 1);
    EXPECT_EQ(made(), (QStringList{"Debug/lib.o", "Debug/lib.a", "Debug/app.elf"}));
}
