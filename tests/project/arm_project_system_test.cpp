#include "project/arm_project_system.h"

#include "engine/build_property_catalogue.h"
#include "project/property_class.h"
#include "project/property_value.h"
#include "project/property_value_list.h"
#include "solution_fixture.h"

#include <QSet>

namespace {

// An ARM project system with the build catalogue beside it, as the tool runs them.
class ApplicableSettingsTest : public ARMSolutionFixture
{
protected:
    void SetUp() override
    {
        ARMSolutionFixture::SetUp();
        ASSERT_TRUE(write("options.xml", QString("<o><p name=\"x_cflag\" tool=\"compiler\"/>"
                                                 "<p name=\"x_lflag\" tool=\"linker\"/></o>")).size());
        catalogue = std::make_unique<BuildPropertyCatalogue>(QStringList(), path("options.xml"));
        buildPropertyCatalogue = catalogue.get();
    }

    void TearDown() override
    {
        catalogue.reset();
        ARMSolutionFixture::TearDown();
    }

    ProjectElement *newProject(const QString &type)
    {
        return system->createProject(solution, "P" + QString::number(++count), dir.path(), type);
    }

    // The classes that apply, checked for the binding to the node and configuration and for
    // repeats.
    QList<const PropertyClass *> classes(ProjectElement *e, const QString &config = "Debug")
    {
        std::unique_ptr<PropertyValueList> values(system->applicableSettingsFor(e, config));
        QList<const PropertyClass *> result;
        QSet<const PropertyClass *> seen;
        for (PropertyValue *v : *values) {
            auto *pv = dynamic_cast<ProjectPropertyValue *>(v);
            EXPECT_NE(pv, nullptr);
            if (!pv)
                continue;
            EXPECT_EQ(pv->node(), e);
            EXPECT_EQ(pv->configuration(),
                      pv->propertyClass()->perConfiguration() ? config : QString("Common"));
            EXPECT_FALSE(seen.contains(pv->propertyClass()));
            seen.insert(pv->propertyClass());
            result.append(pv->propertyClass());
        }
        return result;
    }

    QStringList names(ProjectElement *e, const QString &config = "Debug")
    {
        QStringList result;
        for (const PropertyClass *c : classes(e, config))
            result.append(c->saveName());
        return result;
    }

    std::unique_ptr<BuildPropertyCatalogue> catalogue;
    int count = 0;
};

// True when `expected` occurs in `list` in this order (other entries may stand between).
::testing::AssertionResult inOrder(const QStringList &list, const QStringList &expected)
{
    qsizetype at = 0;
    for (const QString &name : expected) {
        at = list.indexOf(name, at);
        if (at < 0)
            return ::testing::AssertionFailure()
                   << name.toStdString() << " missing or out of order in "
                   << list.join(',').toStdString();
        ++at;
    }
    return ::testing::AssertionSuccess();
}

// What a file or project is offered depends on its file type, the project type and the
// architecture; `order` holds a sample of the names in the order they must come (first and last
// included), `absent` names that must not be offered.
TEST_F(ApplicableSettingsTest, SettingsFollowFileTypeProjectTypeAndArchitecture)
{
    struct Case
    {
        const char *projectType;
        const char *file; // null: the project itself
        QStringList order;
        QStringList absent;
        bool whole = false; // `order` is the whole list
    };
    const Case cases[] = {
        {"Executable", "main.c",
         {"file_codec", "file_open_with", "file_type", "build_exclude_from_build",
          "build_always_rebuild", "c_additional_options", "c_preprocessor_definitions",
          "compile_post_build_command_wd", "x_cflag", "asm_additional_options",
          "gcc_optimization_level", "arm_instruction_set", "arm_architecture", "arm_endian",
          "arm_keep_assembly", "build_remove_unused_symbols", "arm_module_call_vias"},
         {"cpp_enable_exceptions", "linker_map_file"}},
        {"Executable", "x.cpp",
         {"file_codec", "c_additional_options", "arm_module_call_vias",
          "cpp_only_additional_options", "cpp_only_additional_options_from_file",
          "cpp_enable_exceptions", "cpp_enable_rtti"},
         {}},
        {"Executable", "boot.s",
         {"file_codec", "asm_additional_options", "asm_additional_options_from_file",
          "c_preprocessor_definitions", "x_cflag", "arm_instruction_set", "arm_interwork"},
         {"c_additional_options", "gcc_optimization_level"}},
        {"Executable", "notes.txt",
         {"file_codec", "file_open_with", "file_type", "build_exclude_from_build",
          "build_always_rebuild"},
         {},
         true},
        {"Executable", nullptr,
         {"project_dependencies", "macros", "build_output_directory", "c_additional_options",
          "cpp_enable_exceptions", "linker_memory_map_file", "x_lflag",
          "arm_linker_abt_stack_size", "target_reset_script", "build_output_file_name",
          "property_groups_file_path", "build_exclude_from_build", "build_always_rebuild"},
         {}},
        {"Staging", nullptr,
         {"project_dependencies", "macros", "build_output_directory", "stage_post_build_command",
          "stage_post_build_command_wd", "stage_command", "stage_command_wd",
          "stage_output_filepath", "stage_set_readonly", "build_exclude_from_build",
          "build_always_rebuild"},
         {},
         true},
        {"Externally Built Executable", nullptr,
         {"project_dependencies", "macros", "external_build_file_name", "external_build_command",
          "external_debug_symbols_load_address", "target_reset_script", "arm_fpu_type",
          "linker_memory_map_macros", "build_exclude_from_build", "build_always_rebuild"},
         {}},
        {"Unheard Of", nullptr,
         {"project_dependencies", "macros", "build_exclude_from_build", "build_always_rebuild"}, {},
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.projectType) + " " + (c.file ? c.file : ""));
        ProjectElement *p = newProject(c.projectType);
        const QStringList n = names(c.file ? addFileNode(p, c.file) : p);
        EXPECT_TRUE(inOrder(n, c.order));
        if (c.whole) {
            EXPECT_EQ(n, c.order);
        }
        if (c.order.size() > 2) {
            EXPECT_EQ(n.first(), c.order.first());
            EXPECT_EQ(n.last(), c.order.last());
        }
        for (const QString &name : c.absent)
            EXPECT_FALSE(n.contains(name)) << name.toStdString();
    }

}

// Classes that share a name: executables and libraries name their output with classes of their
// own, and a Cortex-M core has one main stack instead of the mode stacks. A project nobody gave
// a type builds as an executable.
TEST_F(ApplicableSettingsTest, ClassesOfOneNameFollowProjectTypeAndArchitecture)
{
    ProjectElement *classic = newProject("Executable");
    ProjectElement *cortex = newProject("Executable");
    system->setProperty(cortex, "arm_architecture", "Common", "v7M", false);
    const PropertyClass *exe = catalogue->build_output_file_name;
    const PropertyClass *lib = catalogue->build_output_file_name_library;
    const PropertyClass *stack = catalogue->arm_linker_stack_size;
    const PropertyClass *mainStack = catalogue->arm_linker_main_stack_size;
    struct Case
    {
        ProjectElement *node;
        const char *configuration;
        const PropertyClass *offered, *notOffered;
    };
    const Case cases[] = {
        {classic, "Debug", exe, lib},         {newProject(""), "Debug", exe, lib},
        {newProject("Library"), "Debug", lib, exe}, {classic, "Debug", stack, mainStack},
        {cortex, "Debug", mainStack, stack},  {cortex, "Release", mainStack, stack},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.node->getName().toStdString() + " " + c.configuration);
        const auto offered = classes(c.node, c.configuration);
        EXPECT_TRUE(offered.contains(c.offered));
        EXPECT_FALSE(offered.contains(c.notOffered));
    }
}

} // namespace
