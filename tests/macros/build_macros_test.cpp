#include "macros/build_macros.h"

#include "engine/arm_build_system.h"
#include "macros/build_expansion.h"
#include "macros/macro_system.h"
#include "project/arm_project_system.h"
#include "project/project_element.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Table = QMap<QString, QString>;

class BuildMacros : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        macroSystem.reset();
        macroSystem.setSystemMacro("StudioDir", "/studio");
        projectSystem = new ARMProjectSystem;
        m_build = std::make_unique<ARMBuildSystem>(QStringList());
        buildSystem = m_build.get();
        // A project "app" with a file below a folder, built in "Debug". Not a ".zav": it sets
        // build_root_output_directory, which only the macros know, so no schema accepts it.
        ASSERT_TRUE(writeTextFile(
            solutionPath(), readTextFile(kestrelTestsDir() + "/macros/fixtures/board.rev.xml")));
        projectSystem->loadSolution(solutionPath(), nullptr, nullptr);
        m_project = projectSystem->findProject(projectSystem->solutionElement(), "app");
        ASSERT_NE(m_project, nullptr);
        m_folder = projectSystem->findFolder(m_project, "src");
        ASSERT_NE(m_folder, nullptr);
        m_file = m_folder->firstChild;
        while (m_file && !m_file->isFile())
            m_file = m_file->nextSibling;
        ASSERT_NE(m_file, nullptr);
    }

    void TearDown() override
    {
        buildSystem = nullptr;
        m_build.reset();
        delete projectSystem;
        projectSystem = nullptr;
        macroSystem.reset();
    }

    QString dir() const { return m_dir.path(); }
    QString solutionPath() const { return dir() + "/board.rev.zav"; }
    Table table(ProjectElement *e, const QString &configuration = "Debug")
    {
        return buildSystem->macros(e, configuration);
    }

    std::unique_ptr<ARMBuildSystem> m_build;
    ProjectElement *m_project = nullptr;
    ProjectElement *m_folder = nullptr;
    ProjectElement *m_file = nullptr;

private:
    QTemporaryDir m_dir;
};

TEST_F(BuildMacros, FileTable)
{
    const Table t = table(m_file);
    const Table expected{
        {"ProjectNodeName", "main.test.c"}, {"ProjectDir", dir()}, {"ProjectName", "app"},
        {"Configuration", "Debug"}, {"Platform", "arm"}, {"SolutionDir", dir()},
        {"SolutionName", "board"}, {"SolutionFileName", "board.rev.zav"},
        {"SolutionPath", solutionPath()}, {"SolutionExt", "rev.zav"}, {"InputDir", "src"},
        {"InputName", "main.test"}, {"InputFileName", "main.test.c"}, {"InputExt", "c"},
        {"InputPath", dir() + "/src/main.test.c"}, {"RelInputPath", "src/main.test.c"},
        {"OBJ", ".o"}, {"EXE", ".elf"}, {"LIB", ".a"}, {"PackageExt", "voz"}, {"IntDir", "Debug"},
        {"RootOutDir", ""}, {"OutDir", "Debug"},
        {"Mine", "$(Configuration)-m"}, // project macros are taken as written
        {"HostOS", "solaris"}, {"RootRelativeOutDir", "<absent>"}, {"LibExt", "<absent>"},
        {"LoaderType", "<absent>"},
    };
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        EXPECT_EQ(t.value(it.key(), "<absent>"), it.value());
    }
}

// A folder has no input macros; a project adds its library variant and loader, and a project
// that is no executable takes its libraries in the instruction set of its code.
TEST_F(BuildMacros, FolderAndProjectTables)
{
    const Table folder = table(m_folder);
    EXPECT_EQ(folder.value("ProjectNodeName"), "src");
    for (const char *name : {"InputDir", "InputName", "RelInputPath", "LibExt", "LoaderType"})
        EXPECT_FALSE(folder.contains(name)) << name;
    const Table project = table(m_project);
    EXPECT_EQ(project.value("ProjectNodeName"), "app");
    EXPECT_EQ(project.value("LibExt"), "_v4t_vfp_a_le");
    EXPECT_EQ(project.value("LoaderType"), "ram");
    projectSystem->setProperty(m_project, "project_type", "Common", "Library", false);
    EXPECT_EQ(table(m_project).value("LibExt"), "_v4t_vfp_t_le");
    // The project's names are kept between elements only while no value changed.
    m_project->setAttribute("Name", "renamed", false);
    EXPECT_EQ(table(m_file).value("ProjectName"), "renamed");
}

TEST_F(BuildMacros, ComputedMacrosWinOverGlobalAndProjectMacros)
{
    macroSystem.setGlobalMacro("OutDir", "x");
    macroSystem.setGlobalMacro("MyLibs", "$(StudioDir)/lib");
    // Global names that sort between the input names, or are one of them.
    macroSystem.setGlobalMacro("InputE", "between");
    macroSystem.setGlobalMacro("InputExt", "x");
    macroSystem.setGlobalMacro("InputN", "between");
    const Table t = table(m_file);
    EXPECT_EQ(t.value("InputE"), "between");
    EXPECT_EQ(t.value("InputExt"), "c");
    EXPECT_EQ(t.value("InputN"), "between");
    EXPECT_EQ(t.value("InputName"), "main.test");
    EXPECT_EQ(table(m_folder).value("InputExt"), "x");
    EXPECT_EQ(t.value("OutDir"), "Debug");
    EXPECT_EQ(t.value("ProjectName"), "app");
    EXPECT_EQ(t.value("MyLibs"), "$(StudioDir)/lib");
    EXPECT_EQ(macroSystem.replaceMacros(t, "$(MyLibs)"), "$(StudioDir)/lib");
}

TEST_F(BuildMacros, DirectoriesAreExpandedWithTheTableSoFar)
{
    const Table t = table(m_file, "Release");
    EXPECT_EQ(t.value("IntDir"), "app/obj");
    EXPECT_EQ(t.value("RootOutDir"), dir() + "/out");
    EXPECT_EQ(t.value("OutDir"), dir() + "/out/bin/Release");
    EXPECT_EQ(t.value("RootRelativeOutDir", "<absent>"), "../..");
    // Empty directories give the current directory.
    const Table flat = table(m_file, "Flat");
    EXPECT_EQ(flat.value("IntDir"), "Flat");
    EXPECT_EQ(flat.value("OutDir"), ".");
    EXPECT_EQ(flat.value("RootOutDir", "<absent>"), "");
    EXPECT_FALSE(flat.contains("RootRelativeOutDir"));
}

// The directories of one element are kept for the next when they cannot differ; every step
// here asks in an order that would show a value kept too long.
TEST_F(BuildMacros, DirectoriesFollowEachElementInTurn)
{
    struct Step
    {
        ProjectElement *element;
        const char *intDir;
    };
    const auto ask = [&](std::initializer_list<Step> steps) {
        for (const Step &step : steps) {
            SCOPED_TRACE(step.element->getName().toStdString());
            EXPECT_EQ(table(step.element).value("IntDir"), step.intDir);
        }
    };
    projectSystem->setProperty(m_project, "build_intermediate_directory", "Common",
                               "$(Configuration)/obj", false);
    ask({{m_file, "Debug/obj"}, {m_folder, "Debug/obj"}});

    projectSystem->setProperty(m_file, "build_intermediate_directory", "Common", "$(InputName)-o",
                               false);
    ask({{m_file, "main.test-o"}, {m_folder, "Debug/obj"}, {m_file, "main.test-o"}});

    projectSystem->setProperty(m_project, "build_intermediate_directory", "Common",
                               "$(InputName:none)/$(ProjectNodeName)", false);
    ask({{m_folder, "none/src"}, {m_project, "none/app"}, {m_folder, "none/src"}});

    projectSystem->setProperty(m_project, "build_intermediate_directory", "Common", "$(Sub)/obj",
                               false);
    macroSystem.setGlobalMacro("Sub", "one");
    ask({{m_folder, "one/obj"}, {m_project, "one/obj"}});
    macroSystem.setGlobalMacro("Sub", "two");
    ask({{m_folder, "two/obj"}});
    EXPECT_EQ(table(m_folder, "Release").value("IntDir"), "app/obj");
    EXPECT_EQ(table(m_folder, "Release").value("OutDir"), dir() + "/out/bin/Release");
    EXPECT_EQ(table(m_folder).value("OutDir"), "Debug");
}

// The expansion that skips building the table must give what the table gives, for every kind
// of element and reference; where it cannot be sure it must decline.
TEST_F(BuildMacros, ExpansionWithoutTheTableAgreesWithTheTable)
{
    macroSystem.setGlobalMacro("InputE", "between");
    macroSystem.setGlobalMacro("InputExt", "global");
    macroSystem.setGlobalMacro("RootRelativeOutDir", "global-rel");
    const char *texts[] = {
        "$(IntDir)/$(InputName)$(OBJ)", "$(OutDir)/$(ProjectName)$(EXE)",
        "$(InputDir)|$(InputExt)|$(InputFileName)|$(InputPath)|$(RelInputPath)|$(InputE)",
        "$(ProjectNodeName)", "$(RootRelativeOutDir)/$(RootOutDir)", "$(Undefined)",
        "$(Undefined:fall back)", "$(Undefined::$(literal)", "$(InputName:none)", "$(Mine)",
        "plain", "a$(Configuration)b$(SolutionName)c$(unclosed", "$(HostOS)$(StudioDir)",
        "$(Configuration::x)", "", "$()", "$(:)",
    };
    int quick = 0;
    for (ProjectElement *e : {m_file, m_folder, m_project, m_file}) {
        for (const char *configuration : {"Debug", "Release", "Flat", "Debug"}) {
            // The table first, which keeps the directories the next expansion may use.
            const Table t = buildMacros(e, configuration);
            for (const char *text : texts) {
                SCOPED_TRACE(e->getName().toStdString() + " " + configuration + " " + text);
                QString expanded;
                if (!expandBuildMacros(e, configuration, text, expanded))
                    continue;
                ++quick;
                EXPECT_EQ(expanded, macroSystem.replaceMacros(t, text));
            }
        }
    }
    EXPECT_GT(quick, 100);

    QString expanded;
    for (const char *declined : {"$($(X))", "$(Date)", "$(a(b))"})
        EXPECT_FALSE(expandBuildMacros(m_file, "Debug", declined, expanded)) << declined;
    // Directories are not known for an element whose settings differ from the kept ones.
    projectSystem->setProperty(m_file, "build_intermediate_directory", "Common", "own", false);
    EXPECT_FALSE(expandBuildMacros(m_file, "Debug", "$(IntDir)", expanded));
    EXPECT_EQ(replaceMacros(*buildSystem, m_file, "$(IntDir)/$(InputName)$(OBJ)", "Debug"),
              "own/main.test.o");
    EXPECT_TRUE(expandBuildMacros(m_file, "Debug", "$(IntDir)", expanded));
    EXPECT_EQ(expanded, "own");
    // A project's table has names of the target's own; its settings use the whole table.
    EXPECT_TRUE(buildSystem->hasOwnMacros(m_project));
    EXPECT_FALSE(buildSystem->hasOwnMacros(m_file));
    EXPECT_EQ(replaceMacros(*buildSystem, m_project, "$(LibExt)", "Debug"), "_v4t_vfp_a_le");
}

TEST(ARMLibraryVariant, Suffixes)
{
    const std::pair<ARMLibrarySettings, const char *> cases[] = {
        {{"v4T", "Yes", "SoftFP", "ARM", "Little"}, "_v4t_vfp_a_le"},
        {{"ARM4T", "No", "Soft", "Thumb", "Big"}, "_v4_t_be"},
        {{"v5T", "Yes", "", "ARM", "Little"}, "_v4t_a_le"},
        {{"v5TE", "Yes", "", "ARM", "Little"}, "_v5te_a_le"},
        {{"v6", "", "", "Thumb", "Little"}, "_v6_t_le"}, {{"v6T2", "", "", "", ""}, "_v6t2_t_be"},
        {{"v6M", "", "", "Thumb", "Little"}, "_v6m_t_le"},
        {{"v7M", "", "SoftFP", "Thumb", "Little"}, "_v7m_vfp_t_le"},
        {{"v8", "Yes", "", "ARM", "Little"}, "__a_le"},
    };
    for (const auto &[settings, expected] : cases) {
        SCOPED_TRACE(expected);
        EXPECT_EQ(armLibExt(settings), expected);
    }
    EXPECT_EQ(armLoaderType("Comms Channel Loader"), "dcc");
    EXPECT_EQ(armLoaderType("Fast Comms Channel Loader"), "dcc");
    EXPECT_EQ(armLoaderType("RAM Loader"), "ram");
    EXPECT_EQ(armLoaderType("Flash Library RPC Loader"), "rpc");
    EXPECT_EQ(armLoaderType("None"), "");
}

TEST_F(BuildMacros, SettingsExpandedForAnElement)
{
    const PropertyClass *defines = BuildSystem::findPropertyClass("c_preprocessor_definitions");
    ASSERT_NE(defines, nullptr);
    EXPECT_EQ(stringListSetting(*buildSystem, "-D", m_file, defines, "Debug", true, true),
              (QStringList{"-DA=main.test", "-DB;C", "-D$(Undefined)"}));
    EXPECT_EQ(stringListSetting(*buildSystem, "-D", m_file, defines, "Debug", false, false),
              (QStringList{"-DA=$(InputName)", "-DB\\", "-DC", "-D$(Undefined)"}));
    EXPECT_EQ(replaceStringListMacros(*buildSystem, m_file, {"$(Mine)", "", "$(InputExt)"},
                                      "Debug"),
              (QStringList{"$(Configuration)-m", "", "c"}));
    EXPECT_EQ(replaceMacros(*buildSystem, m_file, "$(IntDir)/$(InputName)$(OBJ)", "Debug"),
              "Debug/main.test.o");

    const PropertyClass *outDir = BuildSystem::findPropertyClass("build_output_directory");
    EXPECT_EQ(settingForExpanded(*buildSystem, m_file, outDir, "Release"),
              dir() + "/out/bin/Release");
}

} // namespace
