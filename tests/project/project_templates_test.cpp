#include "project/project_templates.h"

#include "engine/build_property_catalogue.h"
#include "macros/macro_system.h"
#include "project/property_value_groups.h"
#include "solution_fixture.h"
#include "support/run_kestrel.h"
#include "xml/xml_element.h"

namespace {

class ProjectTemplatesTest : public ARMSolutionFixture
{
protected:
    void SetUp() override
    {
        ARMSolutionFixture::SetUp();
        catalogue = std::make_unique<BuildPropertyCatalogue>(QStringList(), "");
        buildPropertyCatalogue = catalogue.get();
        // Templates of every kind and every mistake a template file can hold, and the
        // property groups file one of them names.
        const QString fixtures = kestrelTestsDir() + "/project/fixtures/templates/";
        file = write("templates.xml", readTextFile(fixtures + "templates.xml"));
        write("boards.xml", readTextFile(fixtures + "boards.xml"));
        templates = std::make_unique<ProjectTemplates>(file);
    }

    void TearDown() override
    {
        propertyValueGroups->setGroupFile("None");
        templatesFile = "$(TargetsDir)/project_templates.xml";
        templates.reset();
        catalogue.reset();
        ARMSolutionFixture::TearDown();
    }

    std::unique_ptr<BuildPropertyCatalogue> catalogue;
    std::unique_ptr<ProjectTemplates> templates;
    QString file;
};

// Configurations are looked up when a template creates them, below.
TEST_F(ProjectTemplatesTest, TemplatesAreFoundAtAnyDepth)
{
    EXPECT_EQ(templates->listTemplates(), QStringList({"Blinky", "Blinky2", "Library"}));
    ASSERT_NE(templates->findTemplate("Library"), nullptr);
    // The later of two templates with one name wins.
    EXPECT_STREQ(templates->findTemplate("Library")->attribute("type"), "Staging");
    EXPECT_EQ(templates->findTemplate("not a template"), nullptr);
}

TEST_F(ProjectTemplatesTest, TemplateFillsFoldersFilesPropertiesGroupsAndConfigurations)
{
    templates->createProjectFromTemplate(solution, project, templates->findTemplate("Blinky"));
    EXPECT_EQ(ownValue(project, "Common", "project_type"), "Executable");
    EXPECT_EQ(childNames(project),
              QStringList({"configuration:Common", "folder:Source Files", "file:README",
                           "configuration:Debug"}));
    ProjectElement *sources = system->findFolder(project, "Source Files");
    ASSERT_NE(sources, nullptr);
    EXPECT_EQ(ownValue(sources, "Common", "filter"), "c;cpp");
    EXPECT_EQ(childNames(sources),
              QStringList({"configuration:Common", "file:main.c", "file:util.c"}));
    ProjectElement *main = system->findFile(sources, "main.c");
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(main->creationFlag);
    EXPECT_EQ(ownValue(main, "Common", "c_preprocessor_definitions"), "MAIN");

    EXPECT_EQ(ownValue(project, "Common", "build_output_directory"), "out/P");
    EXPECT_EQ(ownValue(project, "Common", "build_intermediate_directory"), "obj/$(ProjectName)");
    EXPECT_EQ(ownValue(project, "Debug", "arm_core_type"), "Cortex-M3");
    // Property group choices apply their entries; configuration templates create the
    // configurations they inherit.
    EXPECT_EQ(ownValue(project, "Debug", "board"), "Fast Board");
    EXPECT_EQ(ownValue(project, "Debug", "arm_linker_heap_size"), "4096");
    EXPECT_TRUE(ownValue(project, "Common", "no such group").isNull());
    EXPECT_EQ(ownValue(solution, "Debug", "inherited_configurations"), "Common Debug;Missing");
    EXPECT_EQ(ownValue(solution, "Debug", "gcc_optimization_level"), "None");
    EXPECT_FALSE(solution->getConfigurationElement("Debug")->hasAttribute("empty"));
    EXPECT_EQ(ownValue(solution, "Common Debug", "hidden"), "Yes");
    EXPECT_EQ(ownValue(solution, "Common Debug", "c_preprocessor_definitions"), "DEBUG");
    EXPECT_EQ(solution->getConfigurationElement("Missing"), nullptr);
    EXPECT_EQ(solution->getConfigurationElement("Unknown"), nullptr);
}

TEST_F(ProjectTemplatesTest, SolutionValuesStayAndDifferingTemplateValuesGoToTheProject)
{
    system->setProperty(solution, "gcc_optimization_level", "Debug", "Level 2", false);
    system->setProperty(solution, "build_debug_information", "Debug", "Yes", false);
    templates->createConfiguration(solution, project, "Debug");
    EXPECT_EQ(ownValue(solution, "Debug", "gcc_optimization_level"), "Level 2");
    EXPECT_EQ(ownValue(project, "Debug", "gcc_optimization_level"), "None");
    EXPECT_TRUE(ownValue(project, "Debug", "build_debug_information").isNull());
    // Only one configuration node of that name on the solution, even inheriting itself.
    EXPECT_EQ(childNames(solution).count("configuration:Debug"), 1);
    templates->createConfiguration(solution, project, "Loop");
    EXPECT_EQ(childNames(solution).count("configuration:Loop"), 1);
}

TEST_F(ProjectTemplatesTest, SolutionProjectsNamingATemplateAreFilledWhenLoaded)
{
    templatesFile = file;
    load("<project Name=\"App\" template_name=\"Blinky\"/>");
    ProjectElement *app = system->findProject(system->solutionElement(), "App");
    ASSERT_NE(app, nullptr);
    EXPECT_FALSE(app->hasAttribute("template_name"));
    EXPECT_EQ(system->getProjectType(app), "Executable");
    EXPECT_NE(system->findFolder(app, "Source Files"), nullptr);
    EXPECT_FALSE(app->modified);
    EXPECT_EQ(loadError(write("t.zav", solutionText("<project Name=\"App\" template_name=\"Nope\"/>"))),
              "Nope project template not found");
}

// The templates the installation ships must load and give buildable projects.
TEST_F(ProjectTemplatesTest, InstalledTemplatesCreateDebugAndReleaseFromHiddenSettings)
{
    ProjectTemplates installed(kestrelSourceDir() + "/targets/project_templates.xml");
    EXPECT_TRUE(installed.warnings().isEmpty());
    EXPECT_EQ(installed.listTemplates(),
              QStringList({"Combining", "Cortex_M3_Library", "Cortex_M3_Object_File",
                           "Externally_Built_Executable", "LM3S6965_Executable", "Staging"}));
    for (const QString &name : installed.listTemplates()) {
        SCOPED_TRACE(name.toStdString());
        ProjectElement *p = system->createProject(solution, name, dir.path(), "");
        installed.createProjectFromTemplate(solution, p, installed.findTemplate(name));
        EXPECT_TRUE(system->projecttypes().contains(system->getProjectType(p)));
    }
    system->loadedSolution();
    EXPECT_EQ(system->configurations(solution, ProjectSystem::WithVisible),
              QStringList({"Debug", "Release"}));
    EXPECT_EQ(system->configurations(solution, ProjectSystem::WithHidden),
              QStringList({"Debug Settings", "Release Settings"}));

    // The visible configurations take their settings from the hidden ones.
    ProjectElement *app = system->findProject(solution, "LM3S6965_Executable");
    ASSERT_NE(app, nullptr);
    const PropertyClass *optimization = catalogue->gcc_optimization_level;
    EXPECT_EQ(system->settingFor(app, optimization, "Release"), "Optimize For Size");
    EXPECT_EQ(system->settingFor(app, optimization, "Debug"), "None");
}

} // namespace
