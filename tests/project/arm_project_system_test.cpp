#include "project/arm_project_system.h"

#include "engine/build_property_catalogue.h"
#include "project/property_class.h"
#include "project/property_value.h"
#include "project/property_value_list.h"
#include "solution_fixture.h"

#include <QSet>

namespace {

// An ARM project system with the build catalogue beside it, as the tool runs them.
class ApplicableSettingsTest : public SolutionFixture
{
protected:
    std::unique_ptr<ProjectSystem> makeSystem() override
    {
        return std::make_unique<ARMProjectSystem>();
    }

    void SetUp() override
    {
        SolutionFixture::SetUp();
        ASSERT_TRUE(write("options.xml", QString("<o><p name=\"x_cflag\" tool=\"compiler\"/>"
                                                 "<p name=\"x_lflag\" tool=\"linker\"/></o>")).size());
        catalogue = std::make_unique<BuildPropertyCatalogue>(QStringList(), path("options.xml"));
        buildPropertyCatalogue = catalogue.get();
        solution = system->createSolution("S", dir.path());
    }

    void TearDown() override
    {
        catalogue.reset();
        SolutionFixture::TearDown();
    }

    ProjectElement *project(const QString &type)
    {
        return system->createProject(solution, "P" + QString::number(++count), dir.path(), type);
    }

    ProjectElement *add(ProjectElement *parent, const char *tag, const QString &fileName = {})
    {
        auto *e = new ProjectElement(tag);
        parent->appendChild(e);
        if (!fileName.isEmpty())
            e->setFileName(fileName, false);
        return e;
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
    ProjectElement *solution = nullptr;
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

TEST_F(ApplicableSettingsTest, CFileTakesFileCompilerAssemblerAndARMCodeGenerationSettings)
{
    ProjectElement *f = add(project("Executable"), "file", "main.c");
    const QStringList n = names(f);
    EXPECT_EQ(n.mid(0, 11),
              QStringList({"file_codec", "file_open_with", "file_type", "build_exclude_from_build",
                           "build_always_rebuild", "c_additional_options",
                           "c_additional_options_from_file", "c_enforce_ansi_checking",
                           "c_only_additional_options", "c_only_additional_options_from_file",
                           "c_preprocessor_definitions"}));
    EXPECT_TRUE(inOrder(n, {"compile_post_build_command_wd", "x_cflag", "asm_additional_options",
                            "asm_additional_options_from_file", "gcc_optimization_level",
                            "gcc_omit_frame_pointer", "arm_instruction_set", "arm_architecture",
                            "arm_core_type", "arm_fpu_type", "arm_fp_abi", "arm_endian",
                            "arm_interwork", "arm_long_calls", "arm_keep_assembly",
                            "build_remove_unused_symbols", "arm_module_call_vias"}));
    EXPECT_EQ(n.last(), "arm_module_call_vias");
    EXPECT_FALSE(n.contains("cpp_enable_exceptions"));
    EXPECT_FALSE(n.contains("linker_map_file"));
}

TEST_F(ApplicableSettingsTest, FileSettingsDependOnTheFileType)
{
    ProjectElement *p = project("Executable");
    const QStringList cpp = names(add(p, "file", "x.cpp"));
    EXPECT_TRUE(inOrder(cpp, {"c_additional_options", "arm_module_call_vias",
                              "cpp_only_additional_options", "cpp_only_additional_options_from_file",
                              "cpp_enable_exceptions"}));

    const QStringList assembly = names(add(p, "file", "boot.s"));
    EXPECT_TRUE(inOrder(assembly, {"asm_additional_options", "asm_additional_options_from_file",
                                   "c_preprocessor_definitions", "x_cflag", "arm_instruction_set",
                                   "arm_interwork"}));
    EXPECT_FALSE(assembly.contains("c_additional_options"));
    EXPECT_FALSE(assembly.contains("gcc_optimization_level"));

    EXPECT_EQ(names(add(p, "file", "notes.txt")),
              QStringList({"file_codec", "file_open_with", "file_type",
                           "build_exclude_from_build", "build_always_rebuild"}));
}

TEST_F(ApplicableSettingsTest, ProjectSettingsFollowTheProjectType)
{
    struct Case
    {
        const char *type;
        QStringList start;
        QStringList later;
    };
    const Case cases[] = {
        {"Executable",
         {"project_dependencies", "macros", "build_output_directory",
          "build_intermediate_directory", "build_object_file_name", "c_additional_options"},
         {"cpp_enable_exceptions", "linker_memory_map_file", "linker_keep_symbols", "x_lflag",
          "arm_library_instruction_set", "arm_linker_abt_stack_size", "target_reset_script",
          "debug_entry_point_symbol", "target_loader_reset_script",
          "arm_simulator_run_target_loader", "build_output_file_name", "property_groups_file_path",
          "build_exclude_from_build", "build_always_rebuild"}},
        {"Staging",
         {"project_dependencies", "macros", "build_output_directory", "stage_post_build_command",
          "stage_post_build_command_wd", "stage_command", "stage_command_wd",
          "stage_output_filepath", "stage_set_readonly", "build_exclude_from_build",
          "build_always_rebuild"},
         {}},
        {"Externally Built Executable",
         {"project_dependencies", "macros", "external_build_file_name", "external_build_command",
          "external_clean_command", "external_load_address", "external_start_address",
          "external_load_file_type", "external_debug_symbols_file_name",
          "external_debug_symbols_load_address", "target_reset_script"},
         {"arm_fpu_type", "property_groups_file_path", "linker_memory_map_file",
          "linker_memory_map_macros", "build_exclude_from_build", "build_always_rebuild"}},
        {"Unheard Of",
         {"project_dependencies", "macros", "build_exclude_from_build", "build_always_rebuild"},
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        const QStringList n = names(project(c.type));
        EXPECT_EQ(n.mid(0, c.start.size()), c.start);
        EXPECT_TRUE(inOrder(n.mid(c.start.size()), c.later));
        if (c.later.isEmpty())
            EXPECT_EQ(n.size(), c.start.size());
        else
            EXPECT_EQ(n.last(), c.later.last());
    }
}

TEST_F(ApplicableSettingsTest, ExecutablesAndLibrariesNameTheirOutputWithTheirOwnClass)
{
    const auto exe = classes(project("Executable"));
    EXPECT_TRUE(exe.contains(catalogue->build_output_file_name));
    EXPECT_FALSE(exe.contains(catalogue->build_output_file_name_library));
    const auto lib = classes(project("Library"));
    EXPECT_TRUE(lib.contains(catalogue->build_output_file_name_library));
    EXPECT_FALSE(lib.contains(catalogue->build_output_file_name));
    // A project nobody gave a type builds as an executable and offers its settings.
    ProjectElement *untyped = project("");
    EXPECT_TRUE(classes(untyped).contains(catalogue->build_output_file_name));
}

TEST_F(ApplicableSettingsTest, StackSizeClassFollowsTheArchitecture)
{
    ProjectElement *classic = project("Executable");
    EXPECT_TRUE(classes(classic).contains(catalogue->arm_linker_stack_size));
    EXPECT_FALSE(classes(classic).contains(catalogue->arm_linker_main_stack_size));

    ProjectElement *cortex = project("Executable");
    system->setProperty(cortex, "arm_architecture", "Common", "v7M", false);
    EXPECT_TRUE(classes(cortex).contains(catalogue->arm_linker_main_stack_size));
    EXPECT_FALSE(classes(cortex).contains(catalogue->arm_linker_stack_size));
    EXPECT_TRUE(classes(cortex, "Release").contains(catalogue->arm_linker_main_stack_size));
}

TEST_F(ApplicableSettingsTest, ValuesReadAndWriteTheNodeSettings)
{
    ProjectElement *p = project("Executable");
    std::unique_ptr<PropertyValueList> values(system->applicableSettingsFor(p, "Debug"));
    PropertyValue *output = values->find(catalogue->build_output_directory);
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->toString(), "$(Configuration)");
    output->setValue(QString("out"));
    EXPECT_EQ(system->specificSettingFor(p, catalogue->build_output_directory, "Debug"), "out");
}

} // namespace
