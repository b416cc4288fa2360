#include "project/project_system.h"

#include "engine/build_system.h"
#include "project/property_class.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>
#include <memory>

// The file and project types a project system is made with become its enumerations.
TEST(ProjectSystemClasses, TypesOfTheSystemBecomeItsEnumerations)
{
    ProjectSystem system({"C", "C++"}, {"Executable", "Library"});
    EXPECT_EQ(system.fileTypeProperty()->enumerates(), (QStringList{"Default", "C", "C++"}));
    EXPECT_EQ(system.projectTypeProperty()->defaultValue(), "Executable");
    EXPECT_TRUE(system.projectTypeProperty()->longDescription().contains("<b>Executable, Library</b>"));
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
