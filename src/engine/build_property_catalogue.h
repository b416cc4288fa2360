// The build property catalogue: every setting the build engine reads, with its page, group,
// type, title, default and allowed values, created once and registered with the build system.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class PropertyClass;

// Creates every build property class in catalogue order, registering each with
// BuildSystem::addPropertyClass as it goes, and then reads the optional build options file.
// The build system constructs exactly one (after the project system, whose classes therefore
// come first in the registry) and assigns it to `buildPropertyCatalogue`.
//
// The catalogue owns the classes it creates, including those read from the build options
// file; the registry only points at them. Destroying the catalogue unregisters its classes.
//
// Members carry the save names so that a grep for a property finds its readers. Three save
// names have two classes each; the second class of each has a suffixed member name:
// `build_output_file_name` (executable) / `build_output_file_name_library`,
// `arm_linker_stack_size` (user/system mode) / `arm_linker_main_stack_size` (Cortex-M main
// stack), `linker_keep_symbols` / `linker_keep_symbols_again`. A registry lookup by name
// finds the first of each.
class BuildPropertyCatalogue
{
public:
    // `loadFileTypes` are the load-file types offered after "Detect" by
    // `external_load_file_type` and `debug_additional_load_file_type` (the tool passes none).
    // `buildOptionsFile` names the optional definition file; a null string means
    // defaultBuildOptionsFile(), an empty one reads no file.
    explicit BuildPropertyCatalogue(const QStringList &loadFileTypes = QStringList(),
                                    const QString &buildOptionsFile = QString());
    ~BuildPropertyCatalogue();
    BuildPropertyCatalogue(const BuildPropertyCatalogue &) = delete;
    BuildPropertyCatalogue &operator=(const BuildPropertyCatalogue &) = delete;

    // "build_options.xml" in the application directory.
    static QString defaultBuildOptionsFile();

    // Every class this catalogue created, in creation order (build options file included).
    const QList<PropertyClass *> &classes() const { return m_classes; }

    // Classes from the build options file whose `tool` is "compiler" or "linker": they are
    // offered beside the compiler and linker settings but are not in the registry.
    QList<PropertyClass *> compilerToolProperties;
    QList<PropertyClass *> linkerToolProperties;

    // Page "Build", group "Build Options".
    PropertyClass *build_treat_warnings_as_errors = nullptr;
    PropertyClass *build_suppress_warnings = nullptr;
    PropertyClass *build_intermediate_directory = nullptr;
    PropertyClass *build_output_directory = nullptr;
    PropertyClass *build_root_output_directory = nullptr;
    PropertyClass *build_quietly = nullptr;
    PropertyClass *build_debug_information = nullptr;
    PropertyClass *build_exclude_from_build = nullptr;
    PropertyClass *build_always_rebuild = nullptr;
    PropertyClass *linker_memory_map_file = nullptr;
    PropertyClass *linker_memory_map_macros = nullptr;
    PropertyClass *property_groups_file_path = nullptr;
    PropertyClass *build_remove_unused_symbols = nullptr;

    // Page "C/C++", group "Preprocessor Options".
    PropertyClass *c_undefine_all_preprocessor_definitions = nullptr;
    PropertyClass *c_preprocessor_definitions = nullptr;
    PropertyClass *c_preprocessor_undefinitions = nullptr;
    PropertyClass *c_ignore_includes = nullptr;
    PropertyClass *c_system_include_directories = nullptr;
    PropertyClass *c_user_include_directories = nullptr;

    // Page "C/C++", group "Compiler Options".
    PropertyClass *build_object_file_name = nullptr;
    PropertyClass *c_enforce_ansi_checking = nullptr;
    PropertyClass *c_additional_options = nullptr;
    PropertyClass *c_additional_options_from_file = nullptr;
    PropertyClass *c_only_additional_options = nullptr;
    PropertyClass *c_only_additional_options_from_file = nullptr;
    PropertyClass *cpp_only_additional_options = nullptr;
    PropertyClass *cpp_only_additional_options_from_file = nullptr;
    PropertyClass *arm_keep_assembly = nullptr;

    // Page "C/C++", group "Code Generation Options".
    PropertyClass *cpp_enable_exceptions = nullptr;
    PropertyClass *cpp_enable_rtti = nullptr;
    PropertyClass *gcc_optimization_level = nullptr;
    PropertyClass *gcc_omit_frame_pointer = nullptr;
    PropertyClass *gcc_emit_assembler_cfi = nullptr;
    PropertyClass *arm_instruction_set = nullptr;
    PropertyClass *arm_architecture = nullptr;
    PropertyClass *arm_core_type = nullptr;
    PropertyClass *arm_fpu_type = nullptr;
    PropertyClass *arm_fp_abi = nullptr;
    PropertyClass *arm_endian = nullptr;
    PropertyClass *arm_long_calls = nullptr;
    PropertyClass *arm_interwork = nullptr;
    PropertyClass *arm_module_call_vias = nullptr;

    // Page "C/C++", group "Assembler Options".
    PropertyClass *asm_additional_options = nullptr;
    PropertyClass *asm_additional_options_from_file = nullptr;

    // Page "C/C++", group "Section Options".
    PropertyClass *default_code_section = nullptr;
    PropertyClass *default_data_section = nullptr;
    PropertyClass *default_zeroed_section = nullptr;
    PropertyClass *default_const_section = nullptr;
    PropertyClass *default_vector_section = nullptr;

    // Page "C/C++", group "User Build Step Options".
    PropertyClass *compile_pre_build_command = nullptr;
    PropertyClass *compile_pre_build_command_wd = nullptr;
    PropertyClass *compile_post_build_command = nullptr;
    PropertyClass *compile_post_build_command_wd = nullptr;

    // Page "Linker", group "Linker Options".
    PropertyClass *build_output_file_name = nullptr; // an executable's name
    PropertyClass *link_symbol_definitions = nullptr;
    PropertyClass *linker_keep_symbols = nullptr;
    PropertyClass *linker_additional_files = nullptr;
    PropertyClass *linker_additional_options = nullptr;
    PropertyClass *linker_additional_options_from_file = nullptr;
    PropertyClass *linker_section_placement_file = nullptr;
    PropertyClass *linker_section_placement_macros = nullptr;
    PropertyClass *linker_output_format = nullptr;
    PropertyClass *linker_map_file = nullptr;
    PropertyClass *gcc_entry_point = nullptr;
    PropertyClass *arm_library_check_memory_segment_overflow = nullptr;
    PropertyClass *arm_linker_treat_warnings_as_errors = nullptr;
    PropertyClass *arm_linker_no_warn_on_mismatch = nullptr;
    PropertyClass *arm_link_debugio_type = nullptr;
    PropertyClass *linker_keep_symbols_again = nullptr; // same name and texts as the first

    // Page "Library", group "Library Options".
    PropertyClass *build_output_file_name_library = nullptr; // a library's name

    // Page "Linker", group "Library Options".
    PropertyClass *link_include_standard_libraries = nullptr;
    PropertyClass *link_standard_libraries_directory = nullptr;
    PropertyClass *link_use_multi_threaded_libraries = nullptr;
    PropertyClass *link_IOLibraryName = nullptr;
    PropertyClass *arm_use_gcc_libraries = nullptr;
    PropertyClass *arm_library_instruction_set = nullptr;

    // Page "Linker", group "Printf/Scanf Options".
    PropertyClass *linker_printf_fmt_level = nullptr;
    PropertyClass *linker_printf_width_precision_supported = nullptr;
    PropertyClass *linker_printf_fp_enabled = nullptr;
    PropertyClass *linker_scanf_fmt_level = nullptr;
    PropertyClass *linker_scanf_fp_enabled = nullptr;
    PropertyClass *linker_scanf_character_group_matching_enabled = nullptr;

    // Page "Linker", group "Runtime Memory Area Options".
    PropertyClass *arm_linker_stack_size = nullptr; // user/system mode stack
    PropertyClass *arm_linker_irq_stack_size = nullptr;
    PropertyClass *arm_linker_fiq_stack_size = nullptr;
    PropertyClass *arm_linker_svc_stack_size = nullptr;
    PropertyClass *arm_linker_abt_stack_size = nullptr;
    PropertyClass *arm_linker_und_stack_size = nullptr;
    PropertyClass *arm_linker_heap_size = nullptr;
    PropertyClass *arm_linker_main_stack_size = nullptr; // save name arm_linker_stack_size
    PropertyClass *arm_linker_process_stack_size = nullptr;

    // Page "Linker", group "User Build Step Options".
    PropertyClass *linker_pre_build_command = nullptr;
    PropertyClass *linker_pre_build_command_wd = nullptr;
    PropertyClass *linker_patch_build_command = nullptr;
    PropertyClass *linker_patch_build_command_wd = nullptr;
    PropertyClass *linker_post_build_command = nullptr;
    PropertyClass *linker_post_build_command_wd = nullptr;

    // Page "Staging", group "Staging Options".
    PropertyClass *stage_output_filepath = nullptr;
    PropertyClass *stage_command = nullptr;
    PropertyClass *stage_command_wd = nullptr;
    PropertyClass *stage_set_readonly = nullptr;
    PropertyClass *stage_post_build_command = nullptr;
    PropertyClass *stage_post_build_command_wd = nullptr;

    // Page "Combining", group "Combining Options".
    PropertyClass *combine_output_filepath = nullptr;
    PropertyClass *combine_command = nullptr;
    PropertyClass *combine_command_wd = nullptr;
    PropertyClass *combine_set_readonly = nullptr;

    // Page "External Build", group "External Build Options".
    PropertyClass *external_build_file_name = nullptr;
    PropertyClass *external_build_command = nullptr;
    PropertyClass *external_clean_command = nullptr;
    PropertyClass *external_start_address = nullptr;
    PropertyClass *external_load_address = nullptr;
    PropertyClass *external_load_file_type = nullptr;
    PropertyClass *external_debug_symbols_file_name = nullptr;
    PropertyClass *external_debug_symbols_load_address = nullptr;

    // Page "(Information)", group "(Information)".
    PropertyClass *build_action = nullptr;

    // Page "Debugger": settings only the interactive debugger reads.
    PropertyClass *target_reset_script = nullptr;
    PropertyClass *target_attach_script = nullptr;
    PropertyClass *target_go_script = nullptr;
    PropertyClass *target_stop_script = nullptr;
    PropertyClass *target_connect_script = nullptr;
    PropertyClass *target_disconnect_script = nullptr;
    PropertyClass *target_debug_begin_script = nullptr;
    PropertyClass *target_debug_end_script = nullptr;
    PropertyClass *target_extras_script = nullptr;
    PropertyClass *target_loader_reset_script = nullptr;

    PropertyClass *arm_linker_jtag_pad_pre_ir = nullptr;
    PropertyClass *arm_linker_jtag_pad_post_ir = nullptr;
    PropertyClass *arm_linker_jtag_pad_pre_dr = nullptr;
    PropertyClass *arm_linker_jtag_pad_post_dr = nullptr;

    PropertyClass *debug_working_directory = nullptr;
    PropertyClass *debug_command_arguments = nullptr;
    PropertyClass *debug_additional_load_file = nullptr;
    PropertyClass *debug_additional_load_file_address = nullptr;
    PropertyClass *debug_additional_load_file_type = nullptr;
    PropertyClass *debug_entry_point_symbol = nullptr;
    PropertyClass *debug_startup_completion_point = nullptr;
    PropertyClass *arm_fp_format = nullptr;
    PropertyClass *arm_target_read_only_software_breakpoints = nullptr;
    PropertyClass *arm_target_read_write_software_breakpoints = nullptr;

    PropertyClass *arm_target_debug_interface_type = nullptr;
    PropertyClass *arm_target_stop_cpu_using_dbgrq = nullptr;
    PropertyClass *arm_target_debug_handler_file_path = nullptr;
    PropertyClass *arm_target_debug_handler_load_address = nullptr;
    PropertyClass *arm_target_use_debug_handler = nullptr;
    PropertyClass *arm_target_monitor_mode_debug = nullptr;
    PropertyClass *arm_target_monitor_mode_memory = nullptr;

    PropertyClass *arm_target_flash_loader_file_path = nullptr;
    PropertyClass *arm_target_flash_loader_type = nullptr;
    PropertyClass *arm_target_loader_parameter = nullptr;
    PropertyClass *arm_target_loader_first_program_section = nullptr;
    PropertyClass *arm_target_loader_last_program_section = nullptr;
    PropertyClass *arm_target_loader_reset_after_download = nullptr;
    PropertyClass *arm_target_loader_can_erase_range = nullptr;
    PropertyClass *arm_target_loader_can_erase_all = nullptr;
    PropertyClass *arm_target_loader_can_lock_range = nullptr;
    PropertyClass *arm_target_loader_can_lock_all = nullptr;
    PropertyClass *arm_target_loader_can_unlock_range = nullptr;
    PropertyClass *arm_target_loader_can_unlock_all = nullptr;
    PropertyClass *arm_target_loader_can_only_verify_with_download = nullptr;
    PropertyClass *arm_target_loader_can_only_download_after_erase = nullptr;
    PropertyClass *arm_target_loader_can_peek = nullptr;
    PropertyClass *arm_target_loader_applicable_loaders = nullptr;
    PropertyClass *arm_target_loader_default_loader = nullptr;

    PropertyClass *arm_simulator_memory_simulation_filename = nullptr;
    PropertyClass *arm_simulator_memory_simulation_parameter = nullptr;
    PropertyClass *arm_simulator_memory_simulation_parameter_macros = nullptr;
    PropertyClass *arm_simulator_run_target_loader = nullptr;

private:
    // The page and group the next classes are shown under.
    void section(const QString &page, const QString &group);
    PropertyClass *add(PropertyClass *property);
    PropertyClass *boolean(const QString &name, const QString &title, const QString &help,
                           bool defaultValue);
    PropertyClass *text(const QString &name, int type, const QString &title, const QString &help,
                        const QString &defaultValue = QString(""));
    PropertyClass *choice(const QString &name, const QStringList &values, const QString &title,
                          const QString &help, const QString &defaultValue);
    PropertyClass *range(const QString &name, int maximum, const QString &unit,
                         const QString &title, const QString &help, int defaultValue);

    void createBuildOptions();
    void createPreprocessorOptions();
    void createCompilerOptions();
    void createCodeGenerationOptions();
    void createAssemblerAndSectionOptions();
    void createCompileStepOptions();
    void createLinkerOptions();
    void createLibraryOptions();
    void createPrintfScanfOptions();
    void createRuntimeMemoryOptions();
    void createLinkStepOptions();
    void createStagingOptions();
    void createCombiningOptions();
    void createExternalBuildOptions(const QStringList &loadFileTypes);
    void createInformation();
    void createTargetScriptOptions();
    void createDebuggerOptions(const QStringList &loadFileTypes);
    void createTargetControlOptions();
    void createTargetLoaderOptions();
    void createSimulatorOptions();
    void loadBuildOptions(const QString &fileName);

    QString m_page;
    QString m_group;
    QList<PropertyClass *> m_classes;
    QList<PropertyClass *> m_registered;
};

// The process-wide catalogue; null until the build system creates it.
extern BuildPropertyCatalogue *buildPropertyCatalogue;
