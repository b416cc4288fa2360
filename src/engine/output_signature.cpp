// The signature of an output: the resolved, expanded values of every setting that shapes the
// commands of its step, with the tool chain, the output's name and its inputs. It is computed
// from settings and not from the command lines: a no-op build checks every object, and the
// settings of the files of one folder are resolved once for all of them, where command lines
// would be built word by word for each file. Because only settings count, a compiler launcher
// wrapped around the commands and the random names of temporary assembly files never change a
// signature.
#include "engine/output_signature.h"

#include "engine/build_property_catalogue.h"
#include "engine/builder.h"
#include "engine/standard_build_system.h"
#include "macros/macro_system.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_value_groups.h"

namespace {

using C = BuildPropertyCatalogue;
using Member = PropertyClass *BuildPropertyCatalogue::*;

// Everything a compilation's passes read, of every tool chain (a setting one tool chain does
// not use keeps its default, which changes nothing).
const Member kCompileSettings[] = {
    &C::build_quietly,
    &C::build_debug_information,
    &C::build_treat_warnings_as_errors,
    &C::build_suppress_warnings,
    &C::build_remove_unused_symbols,
    &C::c_additional_options,
    &C::c_additional_options_from_file,
    &C::c_only_additional_options,
    &C::c_only_additional_options_from_file,
    &C::cpp_only_additional_options,
    &C::cpp_only_additional_options_from_file,
    &C::asm_additional_options,
    &C::asm_additional_options_from_file,
    &C::c_preprocessor_definitions,
    &C::c_preprocessor_undefinitions,
    &C::c_ignore_includes,
    &C::c_user_include_directories,
    &C::c_system_include_directories,
    &C::c_undefine_all_preprocessor_definitions,
    &C::c_enforce_ansi_checking,
    &C::cpp_enable_exceptions,
    &C::cpp_enable_rtti,
    &C::default_code_section,
    &C::default_data_section,
    &C::default_zeroed_section,
    &C::default_const_section,
    &C::default_vector_section,
    &C::compile_pre_build_command,
    &C::compile_pre_build_command_wd,
    &C::compile_post_build_command,
    &C::compile_post_build_command_wd,
    &C::gcc_optimization_level,
    &C::gcc_omit_frame_pointer,
    &C::gcc_emit_assembler_cfi,
    &C::arm_instruction_set,
    &C::arm_architecture,
    &C::arm_core_type,
    &C::arm_fpu_type,
    &C::arm_fp_abi,
    &C::arm_endian,
    &C::arm_long_calls,
    &C::arm_interwork,
    &C::arm_keep_assembly,
    &C::arm_module_call_vias,
};

// A link's options, its pre-, patch- and post-link commands, the objcopy conversion, what the
// run-time libraries are chosen by, and what a generated linker script is made from.
const Member kLinkSettings[] = {
    &C::build_quietly,
    &C::build_debug_information,
    &C::build_treat_warnings_as_errors,
    &C::build_suppress_warnings,
    &C::build_remove_unused_symbols,
    &C::build_intermediate_directory,
    &C::link_include_standard_libraries,
    &C::link_standard_libraries_directory,
    &C::link_use_multi_threaded_libraries,
    &C::link_IOLibraryName,
    &C::linker_additional_files,
    &C::linker_additional_options,
    &C::linker_additional_options_from_file,
    &C::linker_memory_map_file,
    &C::linker_memory_map_macros,
    &C::linker_section_placement_file,
    &C::linker_section_placement_macros,
    &C::linker_output_format,
    &C::linker_map_file,
    &C::linker_printf_fp_enabled,
    &C::linker_printf_width_precision_supported,
    &C::linker_printf_fmt_level,
    &C::linker_scanf_fp_enabled,
    &C::linker_scanf_fmt_level,
    &C::linker_scanf_character_group_matching_enabled,
    &C::linker_pre_build_command,
    &C::linker_pre_build_command_wd,
    &C::linker_patch_build_command,
    &C::linker_patch_build_command_wd,
    &C::linker_post_build_command,
    &C::linker_post_build_command_wd,
    &C::link_symbol_definitions,
    &C::linker_keep_symbols,
    &C::gcc_entry_point,
    &C::cpp_enable_exceptions,
    &C::cpp_enable_rtti,
    &C::arm_library_instruction_set,
    &C::arm_library_check_memory_segment_overflow,
    &C::arm_use_gcc_libraries,
    &C::arm_linker_stack_size,
    &C::arm_linker_main_stack_size,
    &C::arm_linker_process_stack_size,
    &C::arm_linker_irq_stack_size,
    &C::arm_linker_fiq_stack_size,
    &C::arm_linker_svc_stack_size,
    &C::arm_linker_abt_stack_size,
    &C::arm_linker_und_stack_size,
    &C::arm_linker_heap_size,
    &C::arm_linker_treat_warnings_as_errors,
    &C::arm_linker_no_warn_on_mismatch,
    &C::arm_link_debugio_type,
    &C::arm_target_debug_interface_type,
    &C::arm_instruction_set,
    &C::arm_architecture,
    &C::arm_core_type,
    &C::arm_fpu_type,
    &C::arm_fp_abi,
    &C::arm_endian,
    &C::arm_long_calls,
    &C::arm_interwork,
    &C::arm_keep_assembly,
    &C::arm_module_call_vias,
};

// An archive's command is its members, which are its inputs.
const Member kArchiveSettings[] = {&C::build_output_file_name_library};

const Member kStageSettings[] = {
    &C::stage_output_filepath,    &C::stage_command,
    &C::stage_command_wd,         &C::stage_set_readonly,
    &C::stage_post_build_command, &C::stage_post_build_command_wd,
};

const Member kCombineSettings[] = {
    &C::combine_output_filepath,
    &C::combine_command,
    &C::combine_command_wd,
    &C::combine_set_readonly,
};

// Which settings an action's signature covers: 0 compile, 1 link, 2 archive, 3 stage,
// 4 combine; -1 for actions that record nothing.
int settingsKind(StandardBuildSystem::BuildAction action)
{
    switch (action) {
    case StandardBuildSystem::LinkAction:
        return 1;
    case StandardBuildSystem::ArchiveAction:
        return 2;
    case StandardBuildSystem::StageAction:
        return 3;
    case StandardBuildSystem::CombineAction:
        return 4;
    default:
        return StandardBuildSystem::isCompileAction(action) ? 0 : -1;
    }
}

template <std::size_t N>
void appendAll(const Member (&members)[N], const BuildPropertyCatalogue &catalogue,
               QList<const PropertyClass *> &list)
{
    for (const Member member : members)
        list.append(catalogue.*member);
}

// The element whose settings an element without configurations of its own shares: all the
// files of a folder without settings of their own have the values of that folder.
ProjectElement *settingsAnchor(ProjectElement *element)
{
    ProjectElement *anchor = element;
    while (anchor && anchor->configurationElements.isEmpty())
        anchor = anchor->parent;
    return anchor ? anchor : element;
}

// A value expands alike for every element that shares its settings unless it names a macro of
// the element itself: its file names, or its node name.
bool namesElementMacros(const QString &value)
{
    return value.contains(u"Input") || value.contains(u"ProjectNodeName");
}

} // namespace

void SignatureHash::add(QStringView text)
{
    add(quint64(text.size()));
    // One multiply per character: the texts are paths and short settings.
    for (const QChar c : text) {
        m_state ^= c.unicode();
        m_state *= 0x100000001b3ULL;
    }
}

void SignatureHash::add(const QStringList &texts)
{
    add(quint64(texts.size()));
    for (const QString &text : texts)
        add(QStringView(text));
}

void SignatureHash::add(quint64 value)
{
    for (int shift = 0; shift < 64; shift += 16) {
        m_state ^= (value >> shift) & 0xffff;
        m_state *= 0x100000001b3ULL;
    }
}

quint64 SignatureHash::value() const
{
    // Mixed, so that nearby states give unrelated signatures.
    quint64 z = m_state + 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

const QList<const PropertyClass *> &StandardBuildSystem::signatureSettings(int kind)
{
    QList<const PropertyClass *> &list = m_signatureSettings[kind];
    if (!list.isEmpty())
        return list;
    const BuildPropertyCatalogue &p = properties();
    switch (kind) {
    case 0:
        for (const PropertyClass *property : additionalCompilerProperties)
            list.append(property);
        list.append(projectSystem->fileTypeProperty());
        appendAll(kCompileSettings, p, list);
        break;
    case 1:
        for (const PropertyClass *property : additionalLinkerProperties)
            list.append(property);
        list.append(projectSystem->projectTypeProperty());
        list.append(projectSystem->projectDependenciesProperty());
        appendAll(kLinkSettings, p, list);
        break;
    case 2:
        list.append(projectSystem->projectTypeProperty());
        appendAll(kArchiveSettings, p, list);
        break;
    case 3:
        appendAll(kStageSettings, p, list);
        break;
    default:
        appendAll(kCombineSettings, p, list);
        break;
    }
    list.removeAll(nullptr);
    return list;
}

// The part of a signature that all elements sharing `anchor`'s settings have in common, and the
// settings each of them must still expand for itself.
const StandardBuildSystem::SharedSignature &
StandardBuildSystem::sharedSignature(ProjectElement *element, const QString &config, int kind)
{
    ProjectElement *anchor = settingsAnchor(element);
    const auto found = m_sharedSignatures.constFind({anchor, kind});
    if (found != m_sharedSignatures.cend())
        return *found;

    SharedSignature shared;
    SignatureHash hash;
    hash.add(quint64(kind));
    hash.add(QStringView(toolChainRoot()));
    const QString macros =
        projectSystem->macrosProperty()
            ? projectSystem->settingFor(element, projectSystem->macrosProperty(), config)
            : QString();
    // A macro whose own value names others may reach an element's macros through them.
    const bool indirect = m_globalMacrosReferToMacros || hasMacroReference(macros);
    for (const PropertyClass *property : signatureSettings(kind)) {
        const QString value = projectSystem->settingFor(element, property, config);
        hash.add(QStringView(value));
        if (!hasMacroReference(value))
            continue;
        if (indirect || namesElementMacros(value))
            shared.perElement.append(property);
        else
            hash.add(QStringView(replaceMacros(element, value, config)));
    }
    // The definitions of the chosen property-group entries (a board, a chip) go on the line.
    if (kind == 0 && propertyValueGroups)
        hash.add(propertyValueGroups->defineOptions(element, config));
    shared.hash = hash.value();
    return *m_sharedSignatures.insert({anchor, kind}, shared);
}

quint64 StandardBuildSystem::outputSignature(ProjectElement *element, const QString &config,
                                             BuildAction action, const QString &output,
                                             const QStringList &inputs)
{
    const int kind = settingsKind(action);
    if (kind < 0)
        return 0;
    const SharedSignature &shared = sharedSignature(element, config, kind);
    SignatureHash hash;
    hash.add(shared.hash);
    hash.add(quint64(action));
    hash.add(QStringView(output));
    hash.add(inputs);
    for (const PropertyClass *property : shared.perElement)
        hash.add(QStringView(
            replaceMacros(element, projectSystem->settingFor(element, property, config), config)));
    if (action == LinkAction) {
        QString script;
        if (useLinkerScriptFileForLink(element, config, script))
            hash.add(QStringView(script));
    }
    return hash.value();
}

void StandardBuildSystem::resetSignatures()
{
    m_sharedSignatures.clear();
    m_toolChainRoot = QString();
    m_globalMacrosReferToMacros = false;
    const QMap<QString, QString> globals = macroSystem.globalMacros(true);
    for (const QString &value : globals) {
        if (hasMacroReference(value)) {
            m_globalMacrosReferToMacros = true;
            break;
        }
    }
}

const QString &StandardBuildSystem::toolChainRoot()
{
    if (m_toolChainRoot.isNull())
        m_toolChainRoot = toolChainDirectory();
    return m_toolChainRoot;
}

QString StandardBuildSystem::toolChainDirectory() const
{
    return QStringLiteral("");
}

bool StandardBuildSystem::signatureUpToDate(const QString &output, const QString &absoluteOutput,
                                            quint64 signature, Builder *builder, bool quiet)
{
    const DependencyLog::Record *record = dependencyLog.record(absoluteOutput);
    // Without a record (made before records were kept, or the log was lost) the times decide.
    if (!record)
        return true;
    const QString reason = record->failed ? QStringLiteral("its last build failed")
                           : record->signature != signature ? QStringLiteral("its command changed")
                                                            : QString();
    if (reason.isNull())
        return true;
    if (!quiet && builder)
        builder->message(u'\'' + output + QStringLiteral("' is out of date: ") + reason);
    return false;
}

void StandardBuildSystem::startStep(const QString &absoluteOutput)
{
    dependencyLog.startStep(absoluteOutput);
}

void StandardBuildSystem::settleStep(Builder *builder, const QString &absoluteOutput,
                                     quint64 signature, const QString &dependencyDir)
{
    const auto done = [this, absoluteOutput, signature, dependencyDir](bool succeeded) {
        if (!succeeded)
            return;
        dependencyLog.stepSucceeded(absoluteOutput, signature);
        if (!dependencyDir.isNull())
            logObjectDependencies(dependencyDir, absoluteOutput);
    };
    if (!builder->whenStepEnds(done))
        done(!stopping());
}

void StandardBuildSystem::buildEnded()
{
    saveOutputRecords(buildFailed);
}

void StandardBuildSystem::saveOutputRecords(bool failed)
{
    if (!failed)
        dependencyLog.abandonSteps();
    dependencyLog.save();
}
