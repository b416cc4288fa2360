#include "project/project_system.h"

#include "engine/build_system.h"
#include "project/property_class.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>
#include <memory>

TEST(ProjectSystemClasses, DefinitionsOfTheProjectSystemsOwnSettings)
{
    ProjectSystem system({"C", "C++"}, {"Executable", "Library"});
    struct Case
    {
        const PropertyClass *c;
        PropertyClass::Type type;
        const char *page, *group, *title;
        const char *defaultValue; // null: no default
        bool readOnly, perConfiguration;
    };
    const Case cases[] = {
        {system.platformProperty(), PropertyClass::String, "General", "(Information)", "Platform",
         "ARM", true, true},
        {system.fileCodecProperty(), PropertyClass::Enumeration, "General", "File Options",
         "File Encoding", "Default", false, false},
        {system.folderFilterProperty(), PropertyClass::StringList, "General", "Folder Options",
         "Filter", nullptr, false, false},
        {system.dynamicFolderFilterProperty(), PropertyClass::String, "General", "Folder Options",
         "Dynamic Folder Filter", nullptr, true, true},
        {system.projectTypeProperty(), PropertyClass::Enumeration, "Build", "Build Options",
         "Project Type", "Executable", false, false},
        {system.projectDirectoryProperty(), PropertyClass::String, "Build", "Build Options",
         "Project Directory", nullptr, true, true},
        {system.batchBuildConfigurationsProperty(), PropertyClass::StringList, "Build",
         "General Options", "Batch Build Configurations", nullptr, false, false},
        {system.inheritedConfigurationsProperty(), PropertyClass::StringList, "Build",
         "General Options", "Inherited Configurations", nullptr, false, true},
    };
    for (const Case &c : cases) {
        ASSERT_NE(c.c, nullptr);
        SCOPED_TRACE(c.c->saveName().toStdString());
        EXPECT_EQ(c.c->type(), c.type);
        EXPECT_EQ(c.c->page(), c.page);
        EXPECT_EQ(c.c->group(), c.group);
        EXPECT_EQ(c.c->shortDescription(), c.title);
        EXPECT_EQ(c.c->defaultValue().isNull(), c.defaultValue == nullptr);
        if (c.defaultValue) {
            EXPECT_EQ(c.c->defaultValue(), c.defaultValue);
        }
        EXPECT_EQ(c.c->readOnly(), c.readOnly);
        EXPECT_EQ(c.c->perConfiguration(), c.perConfiguration);
    }
    EXPECT_EQ(system.fileTypeProperty()->enumerates(), (QStringList{"Default", "C", "C++"}));
    EXPECT_EQ(system.projectTypeProperty()->longDescription(),
              "Specifies the type of project to build. The options are <b>Executable, "
              "Library</b>.");
    EXPECT_TRUE(system.fileCodecProperty()->enumerates().contains("UTF-8"));
    EXPECT_NE(system.folderFilterProperty(), system.dynamicFolderFilterProperty());
    EXPECT_EQ(system.propertyClasses().size(), 22);
}

TEST(ProjectSystemClasses, RegisteredWhileTheProjectSystemLives)
{
    const qsizetype before = BuildSystem::propertyClasses().size();
    auto first = std::make_unique<ProjectSystem>();
    EXPECT_EQ(BuildSystem::findPropertyClass("Platform"), first->platformProperty());
    EXPECT_EQ(BuildSystem::findPropertyClass("project_type"), first->projectTypeProperty());
    EXPECT_EQ(BuildSystem::findPropertyClass("date_created"), nullptr);
    EXPECT_EQ(BuildSystem::findPropertyClass("full_path"), nullptr);
    const qsizetype registered = BuildSystem::propertyClasses().size() - before;
    EXPECT_EQ(registered, 16);

    // Two systems at once (tests do this): dropping the older one leaves the newer one's
    // classes, and only those, in the catalogue.
    auto second = std::make_unique<ProjectSystem>();
    first.reset();
    EXPECT_EQ(BuildSystem::propertyClasses().size(), before + registered);
    EXPECT_EQ(BuildSystem::findPropertyClass("Platform"), second->platformProperty());
    second.reset();
    EXPECT_EQ(BuildSystem::propertyClasses().size(), before);
}
