#include "project/arm_project_system.h"

#include "engine/arm_build_system.h"
#include "engine/build_property_catalogue.h"
#include "project/munge.h"
#include "project/property_value_list.h"

#include <initializer_list>

namespace {

// Older solutions are converted for the command lines the build system generates; without a
// build system, for those of the current one.
int commandLineGenerationVersion()
{
    if (const auto *arm = dynamic_cast<const ARMBuildSystem *>(buildSystem))
        return arm->commandLineGenerationVersion();
    return 3;
}

void append(PropertyClassList *list, std::initializer_list<const PropertyClass *> classes)
{
    for (const PropertyClass *c : classes)
        list->appendUnique(c);
}

} // namespace

ARMProjectSystem::ARMProjectSystem(const QString &executableExtension)
    : GCCProjectSystem(executableExtension)
{
}

void ARMProjectSystem::appendAssemblerProperties(ProjectElement *e, const QString &configuration,
                                                 PropertyClassList *list) const
{
    StandardProjectSystem::appendAssemblerProperties(e, configuration, list);
    if (const BuildPropertyCatalogue *c = buildPropertyCatalogue)
        append(list, {c->arm_instruction_set, c->arm_architecture, c->arm_core_type,
                      c->arm_fpu_type, c->arm_fp_abi, c->arm_endian, c->arm_interwork});
}

void ARMProjectSystem::appendCCompilerProperties(ProjectElement *e, const QString &configuration,
                                                 PropertyClassList *list) const
{
    GCCProjectSystem::appendCCompilerProperties(e, configuration, list);
    appendAssemblerProperties(e, configuration, list);
    if (const BuildPropertyCatalogue *c = buildPropertyCatalogue)
        append(list, {c->arm_long_calls, c->arm_keep_assembly, c->build_remove_unused_symbols,
                      c->arm_module_call_vias});
}

void ARMProjectSystem::appendLinkerProperties(ProjectElement *e, const QString &configuration,
                                              PropertyClassList *list) const
{
    GCCProjectSystem::appendLinkerProperties(e, configuration, list);
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (!c)
        return;
    const PropertyClass *stack =
        hasMainStack(e, configuration) ? c->arm_linker_main_stack_size : c->arm_linker_stack_size;
    append(list, {c->arm_library_instruction_set, c->arm_library_check_memory_segment_overflow,
                  c->build_remove_unused_symbols, c->arm_use_gcc_libraries, c->gcc_entry_point,
                  c->arm_link_debugio_type, stack, c->arm_linker_process_stack_size,
                  c->arm_linker_und_stack_size, c->arm_linker_heap_size,
                  c->arm_linker_treat_warnings_as_errors, c->arm_linker_no_warn_on_mismatch,
                  c->arm_linker_irq_stack_size, c->arm_linker_fiq_stack_size,
                  c->arm_linker_svc_stack_size, c->arm_linker_abt_stack_size});
}

void ARMProjectSystem::appendTargetProperties(ProjectElement *e, const QString &configuration,
                                              PropertyClassList *list) const
{
    StandardProjectSystem::appendTargetProperties(e, configuration, list);
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (!c)
        return;
    append(list, {c->target_loader_reset_script, c->arm_target_debug_interface_type,
                  c->arm_target_stop_cpu_using_dbgrq, c->arm_target_flash_loader_file_path,
                  c->arm_target_flash_loader_type, c->arm_target_loader_parameter,
                  c->arm_target_loader_first_program_section,
                  c->arm_target_loader_last_program_section,
                  c->arm_target_loader_reset_after_download,
                  c->arm_target_loader_can_erase_range, c->arm_target_loader_can_erase_all,
                  c->arm_target_loader_can_lock_range, c->arm_target_loader_can_lock_all,
                  c->arm_target_loader_can_unlock_range, c->arm_target_loader_can_unlock_all,
                  c->arm_target_loader_can_only_verify_with_download,
                  c->arm_target_loader_can_only_download_after_erase,
                  c->arm_target_loader_can_peek, c->arm_target_loader_applicable_loaders,
                  c->arm_target_loader_default_loader, c->arm_target_debug_handler_file_path,
                  c->arm_target_debug_handler_load_address, c->arm_target_use_debug_handler,
                  c->arm_target_monitor_mode_debug, c->arm_target_monitor_mode_memory,
                  c->arm_target_read_only_software_breakpoints,
                  c->arm_target_read_write_software_breakpoints,
                  c->arm_simulator_memory_simulation_filename,
                  c->arm_simulator_memory_simulation_parameter,
                  c->arm_simulator_memory_simulation_parameter_macros,
                  c->arm_simulator_run_target_loader, c->debug_startup_completion_point,
                  c->arm_fp_format, c->arm_architecture, c->arm_endian, c->arm_core_type,
                  c->arm_fpu_type});
}

void ARMProjectSystem::munge(ProjectElement *root)
{
    ::munge(root, commandLineGenerationVersion());
}

bool ARMProjectSystem::hasMainStack(ProjectElement *e, const QString &configuration) const
{
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    const QString architecture = settingFor(e, c->arm_architecture, configuration);
    return architecture == QLatin1String("v6M") || architecture == QLatin1String("v7M");
}
