#include "engine/build_property_catalogue.h"

#include "engine/build_system.h"
#include "host/qtx.h"
#include "project/property_class.h"
#include "xml/xml_document.h"
#include "xml/xml_element.h"

BuildPropertyCatalogue *buildPropertyCatalogue = nullptr;

namespace {

// Properties whose help carries this sentence are expanded with the build macros before use;
// users rely on the sentence to know where $(...) works.
const QString kExpanded = QStringLiteral(" This property will have macro expansion applied to it.");
const QString kXmlFilter = QStringLiteral("XML (*.xml)");
const QString kProjectDir = QStringLiteral("$(ProjectDir)");
const int kMaxInt = 2147483647;

const QString kBuild = QStringLiteral("Build");
const QString kCompiler = QStringLiteral("C/C++");
const QString kLinker = QStringLiteral("Linker");
const QString kDebugger = QStringLiteral("Debugger");

QString optionsSentence(const QStringList &values)
{
    return QStringLiteral(" The options are <b>") + values.join(QStringLiteral(", "))
           + QStringLiteral("</b>.");
}

QStringList detectThen(const QStringList &loadFileTypes)
{
    return QStringList{QStringLiteral("Detect")} + loadFileTypes;
}

} // namespace

BuildPropertyCatalogue::BuildPropertyCatalogue(const QStringList &loadFileTypes,
                                               const QString &buildOptionsFile)
{
    createBuildOptions();
    createPreprocessorOptions();
    createCompilerOptions();
    createCodeGenerationOptions();
    createAssemblerAndSectionOptions();
    createCompileStepOptions();
    createLinkerOptions();
    createLibraryOptions();
    createPrintfScanfOptions();
    createRuntimeMemoryOptions();
    createLinkStepOptions();
    createStagingOptions();
    createCombiningOptions();
    createExternalBuildOptions(loadFileTypes);
    createInformation();
    createTargetScriptOptions();
    createDebuggerOptions(loadFileTypes);
    createTargetControlOptions();
    createTargetLoaderOptions();
    createSimulatorOptions();
    loadBuildOptions(buildOptionsFile.isNull() ? defaultBuildOptionsFile() : buildOptionsFile);
}

BuildPropertyCatalogue::~BuildPropertyCatalogue()
{
    for (const PropertyClass *property : std::as_const(m_registered))
        BuildSystem::removePropertyClass(property);
    qDeleteAll(m_classes);
    if (buildPropertyCatalogue == this)
        buildPropertyCatalogue = nullptr;
}

QString BuildPropertyCatalogue::defaultBuildOptionsFile()
{
    return QTx::applicationDirectory() + QStringLiteral("/build_options.xml");
}

void BuildPropertyCatalogue::section(const QString &page, const QString &group)
{
    m_page = page;
    m_group = group;
}

PropertyClass *BuildPropertyCatalogue::add(PropertyClass *property)
{
    m_classes.append(property);
    m_registered.append(property);
    BuildSystem::addPropertyClass(property);
    return property;
}

PropertyClass *BuildPropertyCatalogue::boolean(const QString &name, const QString &title,
                                               const QString &help, bool defaultValue)
{
    return add(new PropertyClass(name, m_page, m_group, title, help, defaultValue));
}

PropertyClass *BuildPropertyCatalogue::text(const QString &name, int type, const QString &title,
                                            const QString &help, const QString &defaultValue)
{
    return add(new PropertyClass(name, PropertyClass::Type(type), m_page, m_group, title, help,
                                 defaultValue));
}

PropertyClass *BuildPropertyCatalogue::choice(const QString &name, const QStringList &values,
                                              const QString &title, const QString &help,
                                              const QString &defaultValue)
{
    return add(new PropertyClass(name, PropertyClass::Enumeration, values, m_page, m_group, title,
                                 help, defaultValue));
}

PropertyClass *BuildPropertyCatalogue::range(const QString &name, int maximum,
                                             const QString &unit, const QString &title,
                                             const QString &help, int defaultValue)
{
    PropertyClass *property = add(new PropertyClass(name, PropertyClass::IntegerRange, 0, maximum,
                                                    m_page, m_group, title, help, defaultValue));
    property->setSuffix(unit);
    return property;
}

void BuildPropertyCatalogue::createBuildOptions()
{
    section(kBuild, QStringLiteral("Build Options"));
    build_treat_warnings_as_errors = boolean(
        QStringLiteral("build_treat_warnings_as_errors"), QStringLiteral("Treat Warnings as Errors"),
        QStringLiteral("Treat all warnings as errors."), false);
    build_suppress_warnings = boolean(QStringLiteral("build_suppress_warnings"),
                                      QStringLiteral("Suppress Warnings"),
                                      QStringLiteral("Don't report warnings."), false);
    build_intermediate_directory = text(
        QStringLiteral("build_intermediate_directory"), PropertyClass::FileName,
        QStringLiteral("Intermediate Directory"),
        QStringLiteral("Specifies a relative path to the intermediate file directory. This "
                       "property will have macro expansion applied to it. The macro $(IntDir) is "
                       "set to this value."),
        QStringLiteral("$(Configuration)"));
    build_output_directory = text(
        QStringLiteral("build_output_directory"), PropertyClass::FileName,
        QStringLiteral("Output Directory"),
        QStringLiteral("Specifies a relative path to the output file directory.") + kExpanded
            + QStringLiteral(" The macro $(OutDir) is set to this value. The macro "
                             "$(RootRelativeOutDir) is set relative to the Root Output Directory "
                             "if specified."),
        QStringLiteral("$(Configuration)"));
    build_root_output_directory = text(
        QStringLiteral("build_root_output_directory"), PropertyClass::FileName,
        QStringLiteral("Root Output Directory"),
        QStringLiteral("Allows a common root output directory to be specified that can be "
                       "referenced using the $(RootOutDir) macro."));
    build_quietly = boolean(QStringLiteral("build_quietly"), QStringLiteral("Build Quietly"),
                            QStringLiteral("Suppress the display of the commands the build runs."),
                            true);
    build_debug_information = boolean(
        QStringLiteral("build_debug_information"), QStringLiteral("Include Debug Information"),
        QStringLiteral("Include debugging information in the object files."), true);
    build_exclude_from_build = boolean(
        QStringLiteral("build_exclude_from_build"), QStringLiteral("Exclude From Build"),
        QStringLiteral("Leave this item out of the build."), false);
    build_always_rebuild = boolean(
        QStringLiteral("build_always_rebuild"), QStringLiteral("Always Rebuild"),
        QStringLiteral("Rebuild this item every time, even when it is up to date."), false);
    linker_memory_map_file = text(
        QStringLiteral("linker_memory_map_file"), PropertyClass::ProjFileName,
        QStringLiteral("Memory Map File"),
        QStringLiteral("The name of the file that describes the memory of the target."));
    linker_memory_map_file->setEnumerates({kXmlFilter});
    linker_memory_map_macros = text(
        QStringLiteral("linker_memory_map_macros"), PropertyClass::StringList,
        QStringLiteral("Memory Map Macros"),
        QStringLiteral("Macro values applied to the memory map file, each defined as "
                       "<b>name=value</b> and separated by <b>;</b>."));
    property_groups_file_path = text(
        QStringLiteral("property_groups_file_path"), PropertyClass::ProjFileName,
        QStringLiteral("Property Groups File"),
        QStringLiteral("The file that defines the property groups of the project."),
        QStringLiteral("None"));
    property_groups_file_path->setEnumerates({kXmlFilter});
    build_remove_unused_symbols = boolean(
        QStringLiteral("build_remove_unused_symbols"), QStringLiteral("Enable Unused Symbol Removal"),
        QStringLiteral("Place every function and data item in its own section so that the "
                       "linker can remove those that are never referenced."),
        false);
    // Left empty on purpose: an unset value is neither "Yes" nor "No" to the code generators.
    build_remove_unused_symbols->setDefault(QStringLiteral(""));
}

void BuildPropertyCatalogue::createPreprocessorOptions()
{
    section(kCompiler, QStringLiteral("Preprocessor Options"));
    c_undefine_all_preprocessor_definitions = boolean(
        QStringLiteral("c_undefine_all_preprocessor_definitions"),
        QStringLiteral("Undefine All Preprocessor Definitions"),
        QStringLiteral("Does not define the system-specific preprocessor symbols."), false);
    c_preprocessor_definitions = text(
        QStringLiteral("c_preprocessor_definitions"), PropertyClass::StringList,
        QStringLiteral("Preprocessor Definitions"),
        QStringLiteral("Specifies one or more preprocessor definitions.") + kExpanded);
    c_preprocessor_undefinitions = text(
        QStringLiteral("c_preprocessor_undefinitions"), PropertyClass::StringList,
        QStringLiteral("Preprocessor Undefinitions"),
        QStringLiteral("Specifies one or more preprocessor undefinitions.") + kExpanded);
    c_ignore_includes = boolean(
        QStringLiteral("c_ignore_includes"), QStringLiteral("Ignore Includes"),
        QStringLiteral("Ignore the standard include directories."), false);
    c_system_include_directories = text(
        QStringLiteral("c_system_include_directories"), PropertyClass::StringList,
        QStringLiteral("System Include Directories"),
        QStringLiteral("Specifies the system include path.") + kExpanded,
        QStringLiteral("$(StudioDir)/include;$(PackagesDir)/include"));
    c_user_include_directories = text(
        QStringLiteral("c_user_include_directories"), PropertyClass::StringList,
        QStringLiteral("User Include Directories"),
        QStringLiteral("Specifies the user include path.") + kExpanded, QStringLiteral("."));
}

void BuildPropertyCatalogue::createCompilerOptions()
{
    section(kCompiler, QStringLiteral("Compiler Options"));
    build_object_file_name = text(
        QStringLiteral("build_object_file_name"), PropertyClass::FileName,
        QStringLiteral("Object File Name"),
        QStringLiteral("Specifies a name to override the default object file name."),
        QStringLiteral("$(IntDir)/$(InputName)$(OBJ)"));
    c_enforce_ansi_checking = boolean(
        QStringLiteral("c_enforce_ansi_checking"), QStringLiteral("Enforce ANSI Checking"),
        QStringLiteral("Compile to the ISO language standard and warn about extensions."), true);
    c_additional_options = text(
        QStringLiteral("c_additional_options"), PropertyClass::StringList,
        QStringLiteral("Additional C Compiler Options"),
        QStringLiteral("Enables additional options to be supplied to the C compiler.")
            + kExpanded);
    c_additional_options_from_file = text(
        QStringLiteral("c_additional_options_from_file"), PropertyClass::ProjFileName,
        QStringLiteral("Additional C Compiler Options From File"),
        QStringLiteral("Enables additional options to be supplied to the C compiler from a "
                       "file.")
            + kExpanded);
    c_only_additional_options = text(
        QStringLiteral("c_only_additional_options"), PropertyClass::StringList,
        QStringLiteral("Additional C Compiler Only Options"),
        QStringLiteral("Enables additional options to be supplied to the C compiler only.")
            + kExpanded);
    c_only_additional_options_from_file = text(
        QStringLiteral("c_only_additional_options_from_file"), PropertyClass::ProjFileName,
        QStringLiteral("Additional C Compiler Only Options From File"),
        QStringLiteral("Enables additional options to be supplied to the C compiler only from "
                       "a file.")
            + kExpanded);
    cpp_only_additional_options = text(
        QStringLiteral("cpp_only_additional_options"), PropertyClass::StringList,
        QStringLiteral("Additional C++ Compiler Only Options"),
        QStringLiteral("Enables additional options to be supplied to the C++ compiler only.")
            + kExpanded);
    cpp_only_additional_options_from_file = text(
        QStringLiteral("cpp_only_additional_options_from_file"), PropertyClass::ProjFileName,
        QStringLiteral("Additional C++ Compiler Only Options From File"),
        QStringLiteral("Enables additional options to be supplied to the C++ compiler only "
                       "from a file.")
            + kExpanded);
    arm_keep_assembly = boolean(
        QStringLiteral("arm_keep_assembly"), QStringLiteral("Keep Assembly Source"),
        QStringLiteral("Keep the assembly code the compiler generates beside the object file."),
        false);
}

void BuildPropertyCatalogue::createCodeGenerationOptions()
{
    section(kCompiler, QStringLiteral("Code Generation Options"));
    cpp_enable_exceptions = boolean(QStringLiteral("cpp_enable_exceptions"),
                                    QStringLiteral("Enable Exception Support"),
                                    QStringLiteral("Support C++ exceptions."), false);
    cpp_enable_rtti = boolean(QStringLiteral("cpp_enable_rtti"),
                              QStringLiteral("Enable RTTI Support"),
                              QStringLiteral("Support C++ run-time type information."), false);
    gcc_optimization_level = choice(
        QStringLiteral("gcc_optimization_level"),
        {QStringLiteral("None"), QStringLiteral("Level 1"), QStringLiteral("Level 2"),
         QStringLiteral("Level 3"), QStringLiteral("Optimize For Size")},
        QStringLiteral("Optimization Level"),
        QStringLiteral("Specifies the optimization level of the compiler."),
        QStringLiteral("None"));
    gcc_omit_frame_pointer = boolean(
        QStringLiteral("gcc_omit_frame_pointer"), QStringLiteral("Omit Frame Pointer"),
        QStringLiteral("Don't keep the frame pointer in a register for functions that don't "
                       "need one."),
        false);
    gcc_emit_assembler_cfi = boolean(
        QStringLiteral("gcc_emit_assembler_cfi"), QStringLiteral("Emit Assembler CFI"),
        QStringLiteral("Emit DWARF call frame information as assembler directives."), false);
    arm_instruction_set = choice(
        QStringLiteral("arm_instruction_set"), {QStringLiteral("ARM"), QStringLiteral("Thumb")},
        QStringLiteral("Instruction Set"),
        QStringLiteral("Specifies the instruction set to generate code for."),
        QStringLiteral("ARM"));
    arm_architecture = choice(
        QStringLiteral("arm_architecture"),
        {QStringLiteral("v4T"), QStringLiteral("v5TE"), QStringLiteral("v6"),
         QStringLiteral("v6T2"), QStringLiteral("v6M"), QStringLiteral("v7M")},
        QStringLiteral("ARM Architecture"),
        QStringLiteral("Specifies the version of the instruction set to generate code for."),
        QStringLiteral("v4T"));
    arm_core_type = choice(
        QStringLiteral("arm_core_type"),
        {QStringLiteral("ARM7TDMI"), QStringLiteral("ARM7TDMI-S"), QStringLiteral("ARM720T"),
         QStringLiteral("ARM920T"), QStringLiteral("ARM946E-S"), QStringLiteral("ARM966E-S"),
         QStringLiteral("ARM926EJ-S"), QStringLiteral("Cortex-M1"), QStringLiteral("Cortex-M3"),
         QStringLiteral("XScale"), QStringLiteral("None")},
        QStringLiteral("ARM Core Type"),
        QStringLiteral("Specifies the core to generate code for."), QStringLiteral("None"));
    arm_fpu_type = choice(
        QStringLiteral("arm_fpu_type"), {QStringLiteral("VFP9"), QStringLiteral("None")},
        QStringLiteral("ARM FPU Type"),
        QStringLiteral("Specifies the floating point unit to generate code for."),
        QStringLiteral("None"));
    arm_fp_abi = choice(
        QStringLiteral("arm_fp_abi"),
        {QStringLiteral("Soft"), QStringLiteral("SoftFP"), QStringLiteral("None")},
        QStringLiteral("ARM FP ABI Type"),
        QStringLiteral("Specifies how floating point values are passed between functions."),
        QStringLiteral("Soft"));
    arm_endian = choice(
        QStringLiteral("arm_endian"), {QStringLiteral("Little"), QStringLiteral("Big")},
        QStringLiteral("Byte Order"),
        QStringLiteral("Specifies the byte order of the target."), QStringLiteral("Little"));
    arm_long_calls = boolean(
        QStringLiteral("arm_long_calls"), QStringLiteral("Long Calls"),
        QStringLiteral("Call functions through a register so that they may be anywhere in the "
                       "address space."),
        false);
    arm_interwork = boolean(
        QStringLiteral("arm_interwork"), QStringLiteral("ARM/Thumb Interworking"),
        QStringLiteral("Generate code that can call and be called by both ARM and Thumb code."),
        true);
    arm_module_call_vias = boolean(
        QStringLiteral("arm_module_call_vias"), QStringLiteral("Generate Static call_via_rX"),
        QStringLiteral("Generate a static copy of the call_via_rX functions in each module."),
        false);
}

void BuildPropertyCatalogue::createAssemblerAndSectionOptions()
{
    section(kCompiler, QStringLiteral("Assembler Options"));
    asm_additional_options = text(
        QStringLiteral("asm_additional_options"), PropertyClass::StringList,
        QStringLiteral("Additional Assembler Options"),
        QStringLiteral("Enables additional options to be supplied to the assembler.")
            + kExpanded);
    asm_additional_options_from_file = text(
        QStringLiteral("asm_additional_options_from_file"), PropertyClass::ProjFileName,
        QStringLiteral("Additional Assembler Options From File"),
        QStringLiteral("Enables additional options to be supplied to the assembler from a file.")
            + kExpanded);

    section(kCompiler, QStringLiteral("Section Options"));
    const QString sectionHelp = QStringLiteral("Specifies the section in which to place %1.");
    default_code_section = text(QStringLiteral("default_code_section"), PropertyClass::String,
                                QStringLiteral("Code Section Name"),
                                sectionHelp.arg(QStringLiteral("code")), QStringLiteral(".text"));
    default_data_section = text(QStringLiteral("default_data_section"), PropertyClass::String,
                                QStringLiteral("Data Section Name"),
                                sectionHelp.arg(QStringLiteral("initialised data")),
                                QStringLiteral(".data"));
    default_zeroed_section = text(QStringLiteral("default_zeroed_section"),
                                  PropertyClass::String, QStringLiteral("Zeroed Section Name"),
                                  sectionHelp.arg(QStringLiteral("zero-initialised data")),
                                  QStringLiteral(".bss"));
    default_const_section = text(QStringLiteral("default_const_section"), PropertyClass::String,
                                 QStringLiteral("Constant Section Name"),
                                 sectionHelp.arg(QStringLiteral("read-only data")),
                                 QStringLiteral(".rodata"));
    default_vector_section = text(QStringLiteral("default_vector_section"),
                                  PropertyClass::String, QStringLiteral("Vector Section Name"),
                                  sectionHelp.arg(QStringLiteral("the interrupt vectors")),
                                  QStringLiteral(".vectors"));
}

void BuildPropertyCatalogue::createCompileStepOptions()
{
    section(kCompiler, QStringLiteral("User Build Step Options"));
    compile_pre_build_command = text(
        QStringLiteral("compile_pre_build_command"), PropertyClass::String,
        QStringLiteral("Pre-Compile Command"),
        QStringLiteral("A command to run before compiling.") + kExpanded);
    compile_pre_build_command_wd = text(
        QStringLiteral("compile_pre_build_command_wd"), PropertyClass::String,
        QStringLiteral("Pre-Compile Working Directory"),
        QStringLiteral("The directory in which the pre-compile command runs.") + kExpanded,
        kProjectDir);
    compile_post_build_command = text(
        QStringLiteral("compile_post_build_command"), PropertyClass::String,
        QStringLiteral("Post-Compile Command"),
        QStringLiteral("A command to run after compiling.") + kExpanded);
    compile_post_build_command_wd = text(
        QStringLiteral("compile_post_build_command_wd"), PropertyClass::String,
        QStringLiteral("Post-Compile Working Directory"),
        QStringLiteral("The directory in which the post-compile command runs.") + kExpanded,
        kProjectDir);
}

void BuildPropertyCatalogue::createLinkerOptions()
{
    section(kLinker, QStringLiteral("Linker Options"));
    build_output_file_name = text(
        QStringLiteral("build_output_file_name"), PropertyClass::FileName,
        QStringLiteral("Executable File Name"),
        QStringLiteral("Specifies a name to override the default executable file name."),
        QStringLiteral("$(OutDir)/$(ProjectName)$(EXE)"));
    link_symbol_definitions = text(
        QStringLiteral("link_symbol_definitions"), PropertyClass::StringList,
        QStringLiteral("Linker Symbol Definitions"),
        QStringLiteral("Defines linker symbols, each as <b>name=value</b>."));
    const QString keepHelp =
        QStringLiteral("Symbols the linker keeps even when nothing refers to them.");
    linker_keep_symbols = text(QStringLiteral("linker_keep_symbols"), PropertyClass::StringList,
                               QStringLiteral("Keep Symbols"), keepHelp,
                               QStringLiteral("_vectors"));
    linker_additional_files = text(
        QStringLiteral("linker_additional_files"), PropertyClass::StringList,
        QStringLiteral("Additional Input Files"),
        QStringLiteral("Enables additional object and library files to be supplied to the "
                       "linker."));
    linker_additional_options = text(
        QStringLiteral("linker_additional_options"), PropertyClass::StringList,
        QStringLiteral("Additional Linker Options"),
        QStringLiteral("Enables additional options to be supplied to the linker."));
    linker_additional_options_from_file = text(
        QStringLiteral("linker_additional_options_from_file"), PropertyClass::ProjFileName,
        QStringLiteral("Additional Linker Options From File"),
        QStringLiteral("Enables additional options to be supplied to the linker from a file."));
    linker_section_placement_file = text(
        QStringLiteral("linker_section_placement_file"), PropertyClass::ProjFileName,
        QStringLiteral("Section Placement File"),
        QStringLiteral("The name of the file that places program sections into the memory "
                       "segments of the memory map."),
        QStringLiteral("$(StudioDir)/targets/section_placement.xml"));
    linker_section_placement_file->setEnumerates({kXmlFilter});
    linker_section_placement_macros = text(
        QStringLiteral("linker_section_placement_macros"), PropertyClass::StringList,
        QStringLiteral("Section Placement Macros"),
        QStringLiteral("Macro values applied to the section placement file, each defined as "
                       "<b>name=value</b> and separated by <b>;</b>."));
    linker_output_format = choice(
        QStringLiteral("linker_output_format"),
        {QStringLiteral("None"), QStringLiteral("bin"), QStringLiteral("srec"),
         QStringLiteral("hex")},
        QStringLiteral("Additional Output Format"),
        QStringLiteral("Also writes the linked program in this format."), QStringLiteral("None"));
    linker_map_file = boolean(QStringLiteral("linker_map_file"),
                              QStringLiteral("Generate Map File"),
                              QStringLiteral("Writes a map of the linked program."), true);
    gcc_entry_point = text(QStringLiteral("gcc_entry_point"), PropertyClass::String,
                           QStringLiteral("Entry Point"),
                           QStringLiteral("The symbol at which the program starts."),
                           QStringLiteral("reset_handler"));
    arm_library_check_memory_segment_overflow = boolean(
        QStringLiteral("arm_library_check_memory_segment_overflow"),
        QStringLiteral("Check For Memory Segment Overflow"),
        QStringLiteral("Fail the link when sections do not fit into their memory segments."),
        true);
    arm_linker_treat_warnings_as_errors = boolean(
        QStringLiteral("arm_linker_treat_warnings_as_errors"),
        QStringLiteral("Treat Linker Warnings as Errors"),
        QStringLiteral("Treat linker warnings as errors."), true);
    arm_linker_no_warn_on_mismatch = boolean(
        QStringLiteral("arm_linker_no_warn_on_mismatch"),
        QStringLiteral("Suppress Warning on Mismatch"),
        QStringLiteral("Link objects compiled for different targets without warning."), false);
    arm_link_debugio_type = choice(
        QStringLiteral("arm_link_debugio_type"),
        {QStringLiteral("Default"), QStringLiteral("Breakpoint"), QStringLiteral("DCC"),
         QStringLiteral("Memory Poll")},
        QStringLiteral("DebugIO Implementation"),
        QStringLiteral("How the target talks to the debugger for debug input and output."),
        QStringLiteral("Default"));
    linker_keep_symbols_again =
        text(QStringLiteral("linker_keep_symbols"), PropertyClass::StringList,
             QStringLiteral("Keep Symbols"), keepHelp, QStringLiteral("_vectors"));
}

void BuildPropertyCatalogue::createLibraryOptions()
{
    section(QStringLiteral("Library"), QStringLiteral("Library Options"));
    build_output_file_name_library = text(
        QStringLiteral("build_output_file_name"), PropertyClass::FileName,
        QStringLiteral("Library File Name"),
        QStringLiteral("Specifies a name to override the default library file name."),
        QStringLiteral("$(OutDir)/$(ProjectName)$(LIB)"));

    section(kLinker, QStringLiteral("Library Options"));
    link_include_standard_libraries = boolean(
        QStringLiteral("link_include_standard_libraries"),
        QStringLiteral("Include Standard Libraries"),
        QStringLiteral("Link with the standard run-time libraries."), true);
    link_standard_libraries_directory = text(
        QStringLiteral("link_standard_libraries_directory"), PropertyClass::String,
        QStringLiteral("Standard Libraries Directory"),
        QStringLiteral("The directory holding the standard run-time libraries."),
        QStringLiteral("$(StudioDir)/lib"));
    link_use_multi_threaded_libraries = boolean(
        QStringLiteral("link_use_multi_threaded_libraries"),
        QStringLiteral("Use Multi Threaded Libraries"),
        QStringLiteral("Link with the thread-safe variants of the run-time libraries."), false);
    link_IOLibraryName = choice(
        QStringLiteral("link_IOLibraryName"),
        {QStringLiteral("debug"), QStringLiteral("target"), QStringLiteral("none")},
        QStringLiteral("I/O Library Name"),
        QStringLiteral("Where the standard input and output functions send their data."),
        QStringLiteral("target"));
    arm_use_gcc_libraries = boolean(QStringLiteral("arm_use_gcc_libraries"),
                                    QStringLiteral("Use GCC Libraries"),
                                    QStringLiteral("Link with the GCC support libraries."), true);
    arm_library_instruction_set = choice(
        QStringLiteral("arm_library_instruction_set"),
        {QStringLiteral("ARM"), QStringLiteral("Thumb")},
        QStringLiteral("Library Instruction Set"),
        QStringLiteral("The instruction set of the run-time libraries to link with."),
        QStringLiteral("ARM"));
}

void BuildPropertyCatalogue::createPrintfScanfOptions()
{
    section(kLinker, QStringLiteral("Printf/Scanf Options"));
    const QStringList levels{QStringLiteral("int"), QStringLiteral("long"),
                             QStringLiteral("long long")};
    linker_printf_fmt_level = choice(
        QStringLiteral("linker_printf_fmt_level"), levels, QStringLiteral("Printf Integer Support"),
        QStringLiteral("The largest integer type printf supports."), QStringLiteral("int"));
    linker_printf_width_precision_supported = boolean(
        QStringLiteral("linker_printf_width_precision_supported"),
        QStringLiteral("Printf Width/Precision Supported"),
        QStringLiteral("Printf supports field widths and precisions."), true);
    linker_printf_fp_enabled = boolean(
        QStringLiteral("linker_printf_fp_enabled"), QStringLiteral("Printf Floating Point Supported"),
        QStringLiteral("Printf supports floating point numbers."), false);
    linker_scanf_fmt_level = choice(
        QStringLiteral("linker_scanf_fmt_level"), levels, QStringLiteral("Scanf Integer Support"),
        QStringLiteral("The largest integer type scanf supports."), QStringLiteral("int"));
    linker_scanf_fp_enabled = boolean(
        QStringLiteral("linker_scanf_fp_enabled"), QStringLiteral("Scanf Floating Point Supported"),
        QStringLiteral("Scanf supports floating point numbers."), false);
    linker_scanf_character_group_matching_enabled = boolean(
        QStringLiteral("linker_scanf_character_group_matching_enabled"),
        QStringLiteral("Scanf Classes Supported"),
        QStringLiteral("Scanf supports character classes such as %[a-z]."), false);
}

void BuildPropertyCatalogue::createRuntimeMemoryOptions()
{
    section(kLinker, QStringLiteral("Runtime Memory Area Options"));
    const QString bytes = QStringLiteral("bytes");
    const QString help = QStringLiteral("The size of the %1 in bytes.");
    arm_linker_stack_size = range(QStringLiteral("arm_linker_stack_size"), kMaxInt, bytes,
                                  QStringLiteral("Stack Size (User/System Mode)"),
                                  help.arg(QStringLiteral("User/System mode stack")), 1024);
    arm_linker_irq_stack_size = range(QStringLiteral("arm_linker_irq_stack_size"), kMaxInt, bytes,
                                      QStringLiteral("Stack Size (IRQ Mode)"),
                                      help.arg(QStringLiteral("IRQ mode stack")), 256);
    arm_linker_fiq_stack_size = range(QStringLiteral("arm_linker_fiq_stack_size"), kMaxInt, bytes,
                                      QStringLiteral("Stack Size (FIQ Mode)"),
                                      help.arg(QStringLiteral("FIQ mode stack")), 256);
    arm_linker_svc_stack_size = range(QStringLiteral("arm_linker_svc_stack_size"), kMaxInt, bytes,
                                      QStringLiteral("Stack Size (Supervisor Mode)"),
                                      help.arg(QStringLiteral("Supervisor mode stack")), 0);
    arm_linker_abt_stack_size = range(QStringLiteral("arm_linker_abt_stack_size"), kMaxInt, bytes,
                                      QStringLiteral("Stack Size (Abort Mode)"),
                                      help.arg(QStringLiteral("Abort mode stack")), 0);
    arm_linker_und_stack_size = range(QStringLiteral("arm_linker_und_stack_size"), kMaxInt, bytes,
                                      QStringLiteral("Stack Size (Undefined Mode)"),
                                      help.arg(QStringLiteral("Undefined mode stack")), 0);
    arm_linker_heap_size = range(QStringLiteral("arm_linker_heap_size"), kMaxInt, bytes,
                                 QStringLiteral("Heap Size"), help.arg(QStringLiteral("heap")),
                                 1024);
    arm_linker_main_stack_size = range(QStringLiteral("arm_linker_stack_size"), kMaxInt, bytes,
                                       QStringLiteral("Main Stack Size"),
                                       help.arg(QStringLiteral("main stack")), 1024);
    arm_linker_process_stack_size = range(QStringLiteral("arm_linker_process_stack_size"),
                                          kMaxInt, bytes, QStringLiteral("Process Stack Size"),
                                          help.arg(QStringLiteral("process stack")), 0);
}

void BuildPropertyCatalogue::createLinkStepOptions()
{
    section(kLinker, QStringLiteral("User Build Step Options"));
    linker_pre_build_command = text(
        QStringLiteral("linker_pre_build_command"), PropertyClass::String,
        QStringLiteral("Pre-Link Command"),
        QStringLiteral("A command to run before linking.") + kExpanded);
    linker_pre_build_command_wd = text(
        QStringLiteral("linker_pre_build_command_wd"), PropertyClass::String,
        QStringLiteral("Pre-Link Working Directory"),
        QStringLiteral("The directory in which the pre-link command runs.") + kExpanded,
        kProjectDir);
    linker_patch_build_command = text(
        QStringLiteral("linker_patch_build_command"), PropertyClass::String,
        QStringLiteral("Link Patch Command"),
        QStringLiteral("A command that patches the linked program before any other output "
                       "format is written.")
            + kExpanded);
    linker_patch_build_command_wd = text(
        QStringLiteral("linker_patch_build_command_wd"), PropertyClass::String,
        QStringLiteral("Link Patch Working Directory"),
        QStringLiteral("The directory in which the link patch command runs.") + kExpanded,
        kProjectDir);
    linker_post_build_command = text(
        QStringLiteral("linker_post_build_command"), PropertyClass::String,
        QStringLiteral("Post-Link Command"),
        QStringLiteral("A command to run after linking.") + kExpanded);
    linker_post_build_command_wd = text(
        QStringLiteral("linker_post_build_command_wd"), PropertyClass::String,
        QStringLiteral("Post-Link Working Directory"),
        QStringLiteral("The directory in which the post-link command runs.") + kExpanded,
        kProjectDir);
}

void BuildPropertyCatalogue::createStagingOptions()
{
    section(QStringLiteral("Staging"), QStringLiteral("Staging Options"));
    stage_output_filepath = text(
        QStringLiteral("stage_output_filepath"), PropertyClass::String,
        QStringLiteral("Output File Path"),
        QStringLiteral("The file a staged file is written to.") + kExpanded
            + QStringLiteral(" The macro $(StageOutputFilePath) is set to this value."),
        QStringLiteral("$(OutDir)/$(RelInputPath)"));
    stage_command = text(QStringLiteral("stage_command"), PropertyClass::String,
                         QStringLiteral("Stage Command"),
                         QStringLiteral("The command that stages a file.") + kExpanded,
                         QStringLiteral("cp \"$(RelInputPath)\" \"$(StageOutputFilePath)\""));
    stage_command_wd = text(
        QStringLiteral("stage_command_wd"), PropertyClass::String,
        QStringLiteral("Stage Command Working Directory"),
        QStringLiteral("The directory in which the stage command runs.") + kExpanded,
        kProjectDir);
    stage_set_readonly = boolean(QStringLiteral("stage_set_readonly"),
                                 QStringLiteral("Set To Read-only"),
                                 QStringLiteral("Make the staged file read-only."), false);
    stage_post_build_command = text(
        QStringLiteral("stage_post_build_command"), PropertyClass::String,
        QStringLiteral("Stage Post-Build Command"),
        QStringLiteral("A command to run after the files have been staged.") + kExpanded);
    stage_post_build_command_wd = text(
        QStringLiteral("stage_post_build_command_wd"), PropertyClass::String,
        QStringLiteral("Stage Post-Build Command Working Directory"),
        QStringLiteral("The directory in which the stage post-build command runs.") + kExpanded,
        kProjectDir);
}

void BuildPropertyCatalogue::createCombiningOptions()
{
    section(QStringLiteral("Combining"), QStringLiteral("Combining Options"));
    combine_output_filepath = text(
        QStringLiteral("combine_output_filepath"), PropertyClass::String,
        QStringLiteral("Output File Path"),
        QStringLiteral("The file the combine command writes.") + kExpanded
            + QStringLiteral(" The macro $(CombiningOutputFilePath) is set to this value."));
    combine_command = text(
        QStringLiteral("combine_command"), PropertyClass::String,
        QStringLiteral("Combine Command"),
        QStringLiteral("The command that combines the files of the project.") + kExpanded
            + QStringLiteral(" The macro $(CombiningRelInputPaths) is set to the project "
                             "relative names of all the files of the project."));
    combine_command_wd = text(
        QStringLiteral("combine_command_wd"), PropertyClass::String,
        QStringLiteral("Combine Command Working Directory"),
        QStringLiteral("The directory in which the combine command runs.") + kExpanded,
        kProjectDir);
    combine_set_readonly = boolean(QStringLiteral("combine_set_readonly"),
                                   QStringLiteral("Set To Read-only"),
                                   QStringLiteral("Make the combined file read-only."), false);
}

void BuildPropertyCatalogue::createExternalBuildOptions(const QStringList &loadFileTypes)
{
    section(QStringLiteral("External Build"), QStringLiteral("External Build Options"));
    external_build_file_name = text(
        QStringLiteral("external_build_file_name"), PropertyClass::ProjFileName,
        QStringLiteral("Executable File"),
        QStringLiteral("The executable the external build produces.") + kExpanded);
    external_build_command = text(QStringLiteral("external_build_command"), PropertyClass::String,
                                  QStringLiteral("Build Command"),
                                  QStringLiteral("The command that builds the executable."));
    external_clean_command = text(
        QStringLiteral("external_clean_command"), PropertyClass::String,
        QStringLiteral("Clean Command"),
        QStringLiteral("The command that removes the files the build command made."));
    external_start_address = text(QStringLiteral("external_start_address"),
                                  PropertyClass::String, QStringLiteral("Start Address"),
                                  QStringLiteral("The address at which the program starts."));
    external_load_address = text(QStringLiteral("external_load_address"), PropertyClass::String,
                                 QStringLiteral("Load Address"),
                                 QStringLiteral("The address at which a binary file is loaded."));
    const QStringList types = detectThen(loadFileTypes);
    external_load_file_type = choice(
        QStringLiteral("external_load_file_type"), types, QStringLiteral("Load File Type"),
        QStringLiteral("The format of the executable file.") + optionsSentence(types),
        QStringLiteral("Detect"));
    external_debug_symbols_file_name = text(
        QStringLiteral("external_debug_symbols_file_name"), PropertyClass::ProjFileName,
        QStringLiteral("Debug Symbols File"),
        QStringLiteral("The file holding the debug symbols of the executable.") + kExpanded);
    external_debug_symbols_load_address = text(
        QStringLiteral("external_debug_symbols_load_address"), PropertyClass::String,
        QStringLiteral("Debug Symbols Load Address"),
        QStringLiteral("The address the debug symbols are relative to."));
}

void BuildPropertyCatalogue::createInformation()
{
    section(QStringLiteral("(Information)"), QStringLiteral("(Information)"));
    build_action = text(QStringLiteral("build_action"), PropertyClass::String,
                        QStringLiteral("Build Action"),
                        QStringLiteral("What building this item does."));
}

void BuildPropertyCatalogue::createTargetScriptOptions()
{
    section(kDebugger, QStringLiteral("Target Script Options"));
    const QString help = QStringLiteral("The script the debugger runs to %1.");
    const auto script = [&](const QString &name, const QString &title, const QString &what) {
        return text(name, PropertyClass::String, title, help.arg(what));
    };
    target_reset_script = script(QStringLiteral("target_reset_script"),
                                 QStringLiteral("Reset Script"), QStringLiteral("reset the target"));
    target_attach_script = script(QStringLiteral("target_attach_script"),
                                  QStringLiteral("Attach Script"),
                                  QStringLiteral("attach to a running target"));
    target_go_script = script(QStringLiteral("target_go_script"), QStringLiteral("Go Script"),
                              QStringLiteral("let the target run"));
    target_stop_script = script(QStringLiteral("target_stop_script"),
                                QStringLiteral("Stop Script"), QStringLiteral("stop the target"));
    target_connect_script = script(QStringLiteral("target_connect_script"),
                                   QStringLiteral("Connect Script"),
                                   QStringLiteral("connect to the target"));
    target_disconnect_script = script(QStringLiteral("target_disconnect_script"),
                                      QStringLiteral("Disconnect Script"),
                                      QStringLiteral("disconnect from the target"));
    target_debug_begin_script = script(QStringLiteral("target_debug_begin_script"),
                                       QStringLiteral("Debug Begin Script"),
                                       QStringLiteral("start a debug session"));
    target_debug_end_script = script(QStringLiteral("target_debug_end_script"),
                                     QStringLiteral("Debug End Script"),
                                     QStringLiteral("end a debug session"));
    target_extras_script = script(QStringLiteral("target_extras_script"),
                                  QStringLiteral("Target Extras Script"),
                                  QStringLiteral("define target-specific helper functions"));
    target_loader_reset_script = script(QStringLiteral("target_loader_reset_script"),
                                        QStringLiteral("Loader Reset Script"),
                                        QStringLiteral("reset the target before a download"));

    section(kDebugger, QStringLiteral("JTAG Chain Options"));
    const QString bits = QStringLiteral("bits");
    const QString pad = QStringLiteral("The number of %1 bits of the other devices %2 the target "
                                       "in the JTAG chain.");
    arm_linker_jtag_pad_pre_ir = range(QStringLiteral("arm_linker_jtag_pad_pre_ir"), 1024, bits,
                                       QStringLiteral("JTAG Pre IR Bits"),
                                       pad.arg(QStringLiteral("instruction register"),
                                               QStringLiteral("before")), 0);
    arm_linker_jtag_pad_post_ir = range(QStringLiteral("arm_linker_jtag_pad_post_ir"), 1024, bits,
                                        QStringLiteral("JTAG Post IR Bits"),
                                        pad.arg(QStringLiteral("instruction register"),
                                                QStringLiteral("after")), 0);
    arm_linker_jtag_pad_pre_dr = range(QStringLiteral("arm_linker_jtag_pad_pre_dr"), 1024, bits,
                                       QStringLiteral("JTAG Pre DR Bits"),
                                       pad.arg(QStringLiteral("data register"),
                                               QStringLiteral("before")), 0);
    arm_linker_jtag_pad_post_dr = range(QStringLiteral("arm_linker_jtag_pad_post_dr"), 1024, bits,
                                        QStringLiteral("JTAG Post DR Bits"),
                                        pad.arg(QStringLiteral("data register"),
                                                QStringLiteral("after")), 0);
}

void BuildPropertyCatalogue::createDebuggerOptions(const QStringList &loadFileTypes)
{
    section(kDebugger, QStringLiteral("Debugger Options"));
    debug_working_directory = text(
        QStringLiteral("debug_working_directory"), PropertyClass::DirPath,
        QStringLiteral("Working Directory"),
        QStringLiteral("The directory the debugged program sees as its current directory."),
        kProjectDir);
    debug_command_arguments = text(
        QStringLiteral("debug_command_arguments"), PropertyClass::String,
        QStringLiteral("Command Arguments"),
        QStringLiteral("The arguments passed to the debugged program.") + kExpanded,
        QStringLiteral("$(ProjectName)$(EXE)"));
    debug_additional_load_file = text(
        QStringLiteral("debug_additional_load_file"), PropertyClass::ProjFileName,
        QStringLiteral("Additional Load File"),
        QStringLiteral("A further file to load with the program.") + kExpanded);
    debug_additional_load_file_address = text(
        QStringLiteral("debug_additional_load_file_address"), PropertyClass::String,
        QStringLiteral("Additional Load File Address"),
        QStringLiteral("The address at which the additional binary file is loaded."));
    const QStringList types = detectThen(loadFileTypes);
    debug_additional_load_file_type = choice(
        QStringLiteral("debug_additional_load_file_type"), types,
        QStringLiteral("Additional Load File Type"),
        QStringLiteral("The format of the additional load file.") + optionsSentence(types),
        QStringLiteral("Detect"));
    debug_entry_point_symbol = text(
        QStringLiteral("debug_entry_point_symbol"), PropertyClass::String,
        QStringLiteral("Entry Point Symbol"),
        QStringLiteral("The symbol at which the debugger starts the program."));
    debug_startup_completion_point = text(
        QStringLiteral("debug_startup_completion_point"), PropertyClass::String,
        QStringLiteral("Startup Completion Point"),
        QStringLiteral("The point at which the debugger considers start-up complete."));
    arm_fp_format = choice(
        QStringLiteral("arm_fp_format"),
        {QStringLiteral("Software VFP"), QStringLiteral("Software FPA")},
        QStringLiteral("Floating Point Format"),
        QStringLiteral("How the debugger displays floating point values."),
        QStringLiteral("Software VFP"));
    const QStringList breakpoints{QStringLiteral("Disabled"), QStringLiteral("Permanent"),
                                  QStringLiteral("Dynamic")};
    arm_target_read_only_software_breakpoints = choice(
        QStringLiteral("arm_target_read_only_software_breakpoints"), breakpoints,
        QStringLiteral("Read-Only Software Breakpoints"),
        QStringLiteral("How software breakpoints are set in read-only memory."),
        QStringLiteral("Disabled"));
    arm_target_read_write_software_breakpoints = choice(
        QStringLiteral("arm_target_read_write_software_breakpoints"), breakpoints,
        QStringLiteral("Read/Write Software Breakpoints"),
        QStringLiteral("How software breakpoints are set in read/write memory."),
        QStringLiteral("Dynamic"));
}

void BuildPropertyCatalogue::createTargetControlOptions()
{
    section(kDebugger, QStringLiteral("Target Control Options"));
    arm_target_debug_interface_type = choice(
        QStringLiteral("arm_target_debug_interface_type"),
        {QStringLiteral("ARM7DI"), QStringLiteral("ARM7TDI"), QStringLiteral("ARM9TDI"),
         QStringLiteral("XScale"), QStringLiteral("XScale7BitIR"), QStringLiteral("ADIv5")},
        QStringLiteral("Target Interface Type"),
        QStringLiteral("The debug interface of the target."), QStringLiteral("ARM7TDI"));
    arm_target_stop_cpu_using_dbgrq = boolean(
        QStringLiteral("arm_target_stop_cpu_using_dbgrq"), QStringLiteral("Stop CPU Using DBGRQ"),
        QStringLiteral("Stop the processor with the debug request signal."), false);
    arm_target_debug_handler_file_path = text(
        QStringLiteral("arm_target_debug_handler_file_path"), PropertyClass::ProjFileName,
        QStringLiteral("Debug Handler File Path"),
        QStringLiteral("The debug handler to load into the target.") + kExpanded);
    arm_target_debug_handler_load_address = text(
        QStringLiteral("arm_target_debug_handler_load_address"), PropertyClass::String,
        QStringLiteral("Debug Handler Load Address"),
        QStringLiteral("The address at which the debug handler is loaded."));
    arm_target_use_debug_handler = choice(
        QStringLiteral("arm_target_use_debug_handler"),
        {QStringLiteral("Default"), QStringLiteral("No"), QStringLiteral("Yes")},
        QStringLiteral("Use Debug Handler"),
        QStringLiteral("Whether the debugger loads a debug handler into the target."),
        QStringLiteral("Default"));
    arm_target_monitor_mode_debug = boolean(
        QStringLiteral("arm_target_monitor_mode_debug"), QStringLiteral("Monitor Mode Debug"),
        QStringLiteral("Debug through a monitor running on the target."), false);
    arm_target_monitor_mode_memory = boolean(
        QStringLiteral("arm_target_monitor_mode_memory"),
        QStringLiteral("Monitor Mode Memory Access"),
        QStringLiteral("Access memory through a monitor running on the target."), false);
}

void BuildPropertyCatalogue::createTargetLoaderOptions()
{
    section(kDebugger, QStringLiteral("Target Loader Options"));
    arm_target_flash_loader_file_path = text(
        QStringLiteral("arm_target_flash_loader_file_path"), PropertyClass::ProjFileName,
        QStringLiteral("Loader File Path"),
        QStringLiteral("The program that writes the application into flash memory.")
            + kExpanded);
    arm_target_flash_loader_type = choice(
        QStringLiteral("arm_target_flash_loader_type"),
        {QStringLiteral("Comms Channel Loader"), QStringLiteral("Fast Comms Channel Loader"),
         QStringLiteral("RAM Loader"), QStringLiteral("Flash Library RPC Loader")},
        QStringLiteral("Loader Type"),
        QStringLiteral("How the loader receives the program. The macro $(LoaderType) is set "
                       "from this value."),
        QStringLiteral("Comms Channel Loader"));
    arm_target_loader_parameter = text(QStringLiteral("arm_target_loader_parameter"),
                                       PropertyClass::String, QStringLiteral("Loader Parameter"),
                                       QStringLiteral("A value passed to the loader."));
    arm_target_loader_first_program_section = text(
        QStringLiteral("arm_target_loader_first_program_section"), PropertyClass::String,
        QStringLiteral("First Program Section"),
        QStringLiteral("The first section the loader programs."));
    arm_target_loader_last_program_section = text(
        QStringLiteral("arm_target_loader_last_program_section"), PropertyClass::String,
        QStringLiteral("Last Program Section"),
        QStringLiteral("The last section the loader programs."));
    arm_target_loader_reset_after_download = boolean(
        QStringLiteral("arm_target_loader_reset_after_download"),
        QStringLiteral("Reset After Download"),
        QStringLiteral("Reset the target after the program has been downloaded."), true);
    const auto can = [&](const QString &name, const QString &title, bool defaultValue) {
        return boolean(name, title, QStringLiteral("The loader ") + title.toLower() + '.',
                       defaultValue);
    };
    arm_target_loader_can_erase_range = can(QStringLiteral("arm_target_loader_can_erase_range"),
                                             QStringLiteral("Can Erase Range"), true);
    arm_target_loader_can_erase_all = can(QStringLiteral("arm_target_loader_can_erase_all"),
                                          QStringLiteral("Can Erase All"), true);
    arm_target_loader_can_lock_range = can(QStringLiteral("arm_target_loader_can_lock_range"),
                                           QStringLiteral("Can Lock Range"), true);
    arm_target_loader_can_lock_all = can(QStringLiteral("arm_target_loader_can_lock_all"),
                                         QStringLiteral("Can Lock All"), true);
    arm_target_loader_can_unlock_range = can(
        QStringLiteral("arm_target_loader_can_unlock_range"), QStringLiteral("Can Unlock Range"),
        true);
    arm_target_loader_can_unlock_all = can(QStringLiteral("arm_target_loader_can_unlock_all"),
                                           QStringLiteral("Can Unlock All"), true);
    arm_target_loader_can_only_verify_with_download = can(
        QStringLiteral("arm_target_loader_can_only_verify_with_download"),
        QStringLiteral("Can Only Verify With Download"), false);
    arm_target_loader_can_only_download_after_erase = can(
        QStringLiteral("arm_target_loader_can_only_download_after_erase"),
        QStringLiteral("Can Only Download After Erase"), true);
    arm_target_loader_can_peek = can(QStringLiteral("arm_target_loader_can_peek"),
                                     QStringLiteral("Can Peek"), true);
    arm_target_loader_applicable_loaders = text(
        QStringLiteral("arm_target_loader_applicable_loaders"), PropertyClass::StringList,
        QStringLiteral("Applicable Loaders"),
        QStringLiteral("The loaders that can program this target."));
    arm_target_loader_default_loader = text(
        QStringLiteral("arm_target_loader_default_loader"), PropertyClass::String,
        QStringLiteral("Default Loader"),
        QStringLiteral("The loader used unless another is chosen."));
}

void BuildPropertyCatalogue::createSimulatorOptions()
{
    section(kDebugger, QStringLiteral("Simulator Options"));
    arm_simulator_memory_simulation_filename = text(
        QStringLiteral("arm_simulator_memory_simulation_filename"), PropertyClass::ProjFileName,
        QStringLiteral("Memory Simulation File"),
        QStringLiteral("The library that simulates the memory of the target.") + kExpanded);
    arm_simulator_memory_simulation_parameter = text(
        QStringLiteral("arm_simulator_memory_simulation_parameter"), PropertyClass::String,
        QStringLiteral("Memory Simulation Parameter"),
        QStringLiteral("A value passed to the memory simulation."));
    arm_simulator_memory_simulation_parameter_macros = text(
        QStringLiteral("arm_simulator_memory_simulation_parameter_macros"),
        PropertyClass::StringList, QStringLiteral("Memory Simulation Parameter Macros"),
        QStringLiteral("Macro values applied to the memory simulation parameter."));
    arm_simulator_run_target_loader = boolean(
        QStringLiteral("arm_simulator_run_target_loader"), QStringLiteral("Run Target Loader"),
        QStringLiteral("Run the target loader in the simulator as on real hardware."), false);
}

// Each child of the root defines one class; its `tool` attribute says where it belongs.
// The file is optional, so a missing or unreadable one is not an error.
void BuildPropertyCatalogue::loadBuildOptions(const QString &fileName)
{
    if (fileName.isEmpty())
        return;
    XMLDocument document(false);
    if (!document.load(fileName) || !document.root)
        return;
    for (XMLElement *e = document.root->firstChildElement(); e; e = e->nextSiblingElement()) {
        const char *tool = e->attribute("tool");
        if (!tool)
            continue;
        auto *property = new PropertyClass(e);
        const QString where = QString::fromUtf8(tool);
        if (where == QStringLiteral("compiler")) {
            m_classes.append(property);
            compilerToolProperties.append(property);
        } else if (where == QStringLiteral("linker")) {
            m_classes.append(property);
            linkerToolProperties.append(property);
        } else {
            add(property);
        }
    }
}
