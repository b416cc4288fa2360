// Whether an output is current with respect to the settings that shape its command, and the
// extra files a link must have produced.
#include "engine/standard_build_system.h"

#include "engine/build_property_catalogue.h"
#include "engine/builder.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_class.h"

#include <QFileInfo>

namespace {

const QString kYes = QStringLiteral("Yes");

// One compared setting: a catalogue member, or a project system class, and whether its value
// names a file whose own time counts.
struct Compared
{
    PropertyClass *BuildPropertyCatalogue::*member;
    bool isFile = false;
};

using C = BuildPropertyCatalogue;

const Compared kCompileProperties[] = {
    {&C::build_quietly},
    {&C::build_debug_information},
    {&C::build_treat_warnings_as_errors},
    {&C::build_suppress_warnings},
    {&C::c_additional_options},
    {&C::c_additional_options_from_file, true},
    {&C::c_only_additional_options},
    {&C::c_only_additional_options_from_file, true},
    {&C::cpp_only_additional_options},
    {&C::cpp_only_additional_options_from_file, true},
    {&C::asm_additional_options},
    {&C::asm_additional_options_from_file, true},
    {&C::c_preprocessor_definitions},
    {&C::c_preprocessor_undefinitions},
    {&C::c_user_include_directories},
    {&C::c_system_include_directories},
    {&C::c_undefine_all_preprocessor_definitions},
    {&C::c_enforce_ansi_checking},
    {&C::cpp_enable_exceptions},
    {&C::cpp_enable_rtti},
    {&C::default_code_section},
    {&C::default_data_section},
    {&C::default_zeroed_section},
    {&C::default_const_section},
    {&C::default_vector_section},
    {&C::compile_pre_build_command},
    {&C::compile_pre_build_command_wd},
    {&C::compile_post_build_command},
    {&C::compile_post_build_command_wd},
};

// Compared after the project type and the project dependencies.
const Compared kLinkProperties[] = {
    {&C::build_quietly},
    {&C::build_debug_information},
    {&C::build_treat_warnings_as_errors},
    {&C::build_suppress_warnings},
    {&C::link_include_standard_libraries},
    {&C::link_standard_libraries_directory},
    {&C::link_use_multi_threaded_libraries},
    {&C::link_IOLibraryName},
    {&C::linker_additional_files},
    {&C::linker_additional_options},
    {&C::linker_additional_options_from_file, true},
    {&C::linker_memory_map_file},
    {&C::linker_memory_map_macros},
    {&C::linker_section_placement_file},
    {&C::linker_section_placement_macros},
    {&C::linker_output_format},
    {&C::linker_map_file},
    {&C::linker_printf_fp_enabled},
    {&C::linker_printf_width_precision_supported},
    {&C::linker_printf_fmt_level},
    {&C::linker_scanf_fp_enabled},
    {&C::linker_scanf_fmt_level},
    {&C::linker_scanf_character_group_matching_enabled},
    {&C::linker_pre_build_command},
    {&C::linker_pre_build_command_wd},
    {&C::linker_patch_build_command},
    {&C::linker_patch_build_command_wd},
    {&C::linker_post_build_command},
    {&C::linker_post_build_command_wd},
    {&C::link_symbol_definitions},
    {&C::linker_keep_symbols},
};

const Compared kStageProperties[] = {
    {&C::stage_output_filepath},      {&C::stage_command},
    {&C::stage_command_wd},           {&C::stage_set_readonly},
    {&C::stage_post_build_command},   {&C::stage_post_build_command_wd},
};

const Compared kCombineProperties[] = {
    {&C::combine_output_filepath},
    {&C::combine_command},
    {&C::combine_command_wd},
    {&C::combine_set_readonly},
};

template <std::size_t N>
bool compare(const Compared (&list)[N], BuildPropertyCatalogue &catalogue, ProjectElement *e,
             const QString &config, const QDateTime &time, Builder *b, bool quiet)
{
    // Without any recorded change only the settings that name files have anything to compare.
    const bool changes = ProjectElement::changeRecordsMade();
    for (const Compared &c : list) {
        if (!changes && !c.isFile)
            continue;
        const PropertyClass *p = catalogue.*c.member;
        if (p && !projectSystem->upToDate(e, p, config, time, b, quiet, c.isFile))
            return false;
    }
    return true;
}

bool compareOne(const PropertyClass *p, ProjectElement *e, const QString &config,
                const QDateTime &time, Builder *b, bool quiet)
{
    return !p || !ProjectElement::changeRecordsMade()
           || projectSystem->upToDate(e, p, config, time, b, quiet, false);
}

// The file beside `absoluteOutput` with the output's base name and `extension`.
QString besideOutput(const QString &absoluteOutput, const QString &extension)
{
    const QFileInfo info(absoluteOutput);
    return info.path() + u'/' + info.completeBaseName() + u'.' + extension;
}

} // namespace

bool StandardBuildSystem::commandUpToDate(ProjectElement *element, const QString &config,
                                          QDateTime time, BuildAction action, Builder *builder,
                                          bool quiet)
{
    BuildPropertyCatalogue &p = properties();
    switch (action) {
    case CompileCAction:
    case CompileCppAction:
    case CompileForthAction:
    case CompileBasicAction:
    case AssembleAction:
        return genericOptionsUpToDate(additionalCompilerProperties, element, config, time,
                                      builder, quiet)
               && compareOne(projectSystem->fileTypeProperty(), element, config, time, builder,
                             quiet)
               && compare(kCompileProperties, p, element, config, time, builder, quiet)
               && propertyGroupsDefinesUpToDate(element, config, time, builder, quiet);
    case LinkAction:
        return genericOptionsUpToDate(additionalLinkerProperties, element, config, time,
                                      builder, quiet)
               && compareOne(projectSystem->projectTypeProperty(), element, config, time,
                             builder, quiet)
               && compareOne(projectSystem->projectDependenciesProperty(), element, config, time,
                             builder, quiet)
               && compare(kLinkProperties, p, element, config, time, builder, quiet);
    case ArchiveAction:
        return compareOne(projectSystem->projectTypeProperty(), element, config, time, builder,
                          quiet);
    case StageAction:
        return compare(kStageProperties, p, element, config, time, builder, quiet);
    case CombineAction:
        return compare(kCombineProperties, p, element, config, time, builder, quiet);
    case NoAction:
    case ExcludeAction:
    case ReservedCompileAction:
    case LoadAction:
    case ReservedAction:
        break;
    }
    return true;
}

namespace {

template <typename Properties>
bool allUpToDate(const Properties &properties, ProjectElement *element, const QString &config,
                 const QDateTime &time, Builder *builder, bool quiet)
{
    if (!ProjectElement::changeRecordsMade())
        return true;
    for (const PropertyClass *property : properties) {
        if (!projectSystem->upToDate(element, property, config, time, builder, quiet, false))
            return false;
    }
    return true;
}

} // namespace

bool StandardBuildSystem::genericOptionsUpToDate(const std::list<PropertyClass *> &properties,
                                                 ProjectElement *element, const QString &config,
                                                 const QDateTime &time, Builder *builder,
                                                 bool quiet)
{
    return allUpToDate(properties, element, config, time, builder, quiet);
}

bool StandardBuildSystem::genericOptionsUpToDate(std::initializer_list<PropertyClass *> properties,
                                                 ProjectElement *element, const QString &config,
                                                 const QDateTime &time, Builder *builder,
                                                 bool quiet)
{
    return allUpToDate(properties, element, config, time, builder, quiet);
}

bool StandardBuildSystem::mapOutputFileUpToDate(ProjectElement *element, const QString &config,
                                                const QString &absoluteOutput,
                                                const QStringList &, Builder *builder,
                                                bool quiet)
{
    if (!settingIs(element, properties().linker_map_file, config, kYes))
        return true;
    const QString map = besideOutput(absoluteOutput, QStringLiteral("map"));
    if (fileTime(map).isValid() || quiet)
        return true;
    if (builder)
        builder->message(map + QStringLiteral(" does not exist."));
    return false;
}

bool StandardBuildSystem::additionalOutputFileUpToDate(ProjectElement *element,
                                                       const QString &config,
                                                       const QString &absoluteOutput,
                                                       const QStringList &, Builder *builder,
                                                       bool quiet)
{
    const QString format = setting(element, properties().linker_output_format, config);
    if (format == u"None")
        return true;
    const QString file = besideOutput(absoluteOutput, format);
    if (fileTime(file).isValid() || quiet)
        return true;
    if (builder)
        builder->message(file + QStringLiteral(" does not exist."));
    return false;
}
