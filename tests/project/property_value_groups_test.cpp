#include "project/property_value_groups.h"

#include "engine/build_property_catalogue.h"
#include "project/property_value_list.h"
#include "solution_fixture.h"
#include "support/run_kestrel.h"

namespace {

class PropertyValueGroupsTest : public ARMSolutionFixture
{
protected:
    void SetUp() override
    {
        ARMSolutionFixture::SetUp();
        boards = write("boards.xml",
                       readTextFile(kestrelTestsDir() + "/project/fixtures/groups/boards.xml"));
        propertyValueGroups->setGroupFile(boards);
        ASSERT_NE(propertyValueGroups->currentFile(), nullptr);
    }
    void TearDown() override
    {
        propertyValueGroups->setGroupFile("None");
        ARMSolutionFixture::TearDown();
    }
    QString own(const QString &configuration, const QString &name)
    {
        return ownValue(project, configuration, name);
    }

    QString boards;
};

TEST_F(PropertyValueGroupsTest, GroupsBecomeEnumerationsOfTheirEntries)
{
    const auto groups = propertyValueGroups->groupClasses();
    ASSERT_EQ(groups.size(), 3);
    const PropertyValueGroupClass *board = groups[0];
    EXPECT_EQ(board->saveName(), "board");
    EXPECT_EQ(board->type(), PropertyClass::Enumeration);
    EXPECT_EQ(board->enumerates(), QStringList({"A", "B"}));
    EXPECT_EQ(board->defaultValue(), "B");
    EXPECT_EQ(groups[1]->page(), "Clocks");
    // The preprocessor ran: the conditional group is there, the directive is not.
    EXPECT_EQ(groups[2]->saveName(), "conditional");
    EXPECT_EQ(propertyValueGroups->getGroupClass("clock"), groups[1]);
    EXPECT_EQ(propertyValueGroups->getGroupClass("other"), nullptr);
}

TEST_F(PropertyValueGroupsTest, ChoosingAnEntryStoresItAndTheEntrysProperties)
{
    PropertyValueGroupValue choice(propertyValueGroups->getGroupClass("board"), project, "Debug");
    choice.setPropertyValue("A");
    EXPECT_EQ(own("Debug", "board"), "A");
    EXPECT_EQ(own("Debug", "arm_core_type"), "ARM7TDMI");

    // An unknown entry falls back to the default, B, whose architecture goes to "Common".
    choice.setPropertyValue("Z", true);
    EXPECT_EQ(own("Debug", "board"), "B");
    EXPECT_EQ(own("Debug", "arm_core_type"), "Cortex-M3");
    EXPECT_EQ(own("Common", "arm_architecture"), "v7M");
    EXPECT_TRUE(project->getConfigurationElement("Debug")->attributeFlags.value("board"));

    choice.removeProperty();
    EXPECT_TRUE(own("Debug", "board").isNull());
    EXPECT_TRUE(own("Debug", "arm_core_type").isNull());
    EXPECT_TRUE(own("Common", "arm_architecture").isNull());
}

TEST_F(PropertyValueGroupsTest, DefinesOfTheChosenEntriesBecomeCompilerOptions)
{
    ProjectElement *file = new ProjectElement("file");
    project->appendChild(file);
    file->setFileName("main.c", false);
    // Nothing chosen: the defaults B (no definitions) and Fast.
    EXPECT_EQ(propertyValueGroups->defineOptions(file, "Debug"),
              QStringList({"-DCLOCK=72000000"}));

    system->setProperty(project, "board", "Debug", "A", false);
    system->setProperty(file, "clock", "Common", "Slow", false);
    EXPECT_EQ(propertyValueGroups->defineOptions(file, "Debug"),
              QStringList({"-DBOARD_A=1", "-DEMPTY=", "-DCLOCK=8000000"}));
    EXPECT_EQ(propertyValueGroups->defineOptions(file, "Release"),
              QStringList({"-DCLOCK=8000000"}));

    propertyValueGroups->setGroupFile("None");
    EXPECT_TRUE(propertyValueGroups->defineOptions(file, "Debug").isEmpty());
}

TEST_F(PropertyValueGroupsTest, NoneAndUnreadableFilesLeaveNoCurrentFile)
{
    propertyValueGroups->setGroupFile("None");
    EXPECT_EQ(propertyValueGroups->currentFile(), nullptr);
    EXPECT_EQ(propertyValueGroups->getGroupClass("board"), nullptr);
    EXPECT_TRUE(propertyValueGroups->groupClasses().isEmpty());

    const QString rootless = write("rootless.xml", QString("<!-- nothing -->"));
    const QString broken = write("broken.xml", QString("<a><b></a>"));
    for (const QString &file : {path("missing.xml"), rootless, broken}) {
        SCOPED_TRACE(file.toStdString());
        propertyValueGroups->setGroupFile(boards);
        propertyValueGroups->setGroupFile(file);
        EXPECT_EQ(propertyValueGroups->currentFile(), nullptr);
    }
}

TEST_F(PropertyValueGroupsTest, AFileIsReadAgainOnlyWhenItsTimeChanged)
{
    ASSERT_TRUE(setFileTime(boards, 1000000000));
    propertyValueGroups->setGroupFile(boards);
    PropertyValueGroupFile *first = propertyValueGroups->currentFile();
    ASSERT_NE(first, nullptr);

    // Same time: the cached document stays, even though the text changed.
    write("boards.xml", QString("<groups><group name=\"new\"/></groups>"));
    ASSERT_TRUE(setFileTime(boards, 1000000000));
    propertyValueGroups->setGroupFile("None");
    propertyValueGroups->setGroupFile(boards);
    EXPECT_EQ(propertyValueGroups->currentFile(), first);
    EXPECT_NE(propertyValueGroups->getGroupClass("board"), nullptr);

    ASSERT_TRUE(setFileTime(boards, 1000000100));
    propertyValueGroups->setGroupFile(boards);
    EXPECT_EQ(propertyValueGroups->getGroupClass("board"), nullptr);
    EXPECT_NE(propertyValueGroups->getGroupClass("new"), nullptr);
}

TEST_F(PropertyValueGroupsTest, ProjectGroupsAreAmongTheProjectsApplicableSettings)
{
    BuildPropertyCatalogue catalogue(QStringList(), "");
    buildPropertyCatalogue = &catalogue;
    propertyValueGroups->setGroupFile("None");
    system->setProperty(project, "property_groups_file_path", "Common", "boards.xml", false);

    std::unique_ptr<PropertyValueList> values(system->applicableSettingsFor(project, "Debug"));
    const PropertyValueGroupClass *board = propertyValueGroups->getGroupClass("board");
    ASSERT_NE(board, nullptr);
    PropertyValue *choice = values->find(board);
    ASSERT_NE(choice, nullptr);
    EXPECT_EQ(values->last()->propertyClass()->saveName(), "conditional");
    choice->setValue(QString("A"));
    EXPECT_EQ(own("Debug", "board"), "A");
    EXPECT_EQ(own("Debug", "arm_core_type"), "ARM7TDMI");

    // A library has no group file setting, so it offers no groups.
    ProjectElement *library = system->createProject(solution, "L", dir.path(), "Library");
    std::unique_ptr<PropertyValueList> libraryValues(
        system->applicableSettingsFor(library, "Debug"));
    EXPECT_EQ(libraryValues->find(board), nullptr);
    buildPropertyCatalogue = nullptr;
}

} // namespace
