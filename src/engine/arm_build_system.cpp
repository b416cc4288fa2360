#include "engine/arm_build_system.h"

#include "engine/arm_command_options.h"
#include "engine/build_property_catalogue.h"
#include "engine/builder.h"
#include "host/qtx.h"
#include "macros/build_macros.h"
#include "project/project_element.h"
#include "project/property_value_groups.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");
const QString kCannotLoadOptionsFile = QStringLiteral("Cannot load options file: ");

} // namespace

ARMBuildSystem::ARMBuildSystem(const QStringList &args)
    : GCCBuildSystem(args, nullptr, "$(StudioDir)/gcc/bin", true)
{
}

ARMBuildSystem::~ARMBuildSystem() = default;

QMap<QString, QString> ARMBuildSystem::macros(ProjectElement *element, const QString &config)
{
    QMap<QString, QString> table = GCCBuildSystem::macros(element, config);
    addARMBuildMacros(element, config, table);
    return table;
}

bool ARMBuildSystem::hasOwnMacros(ProjectElement *element) const
{
    return element && element->isProject();
}

void ARMBuildSystem::createCommandFor(ProjectElement *element, const QString &config,
                                      BuildAction action, const QString &output,
                                      const QString &absoluteOutput, const QStringList &inputs,
                                      Builder *builder, bool, bool)
{
    builder->init();
    builder->setDirectory(projectDirectory);
    switch (action) {
    case CompileCAction:
    case CompileCppAction:
        compileCommand(element, config, action, output, absoluteOutput, inputs.value(0), builder);
        break;
    case AssembleAction:
        assembleCommand(element, config, output, absoluteOutput, inputs.value(0), builder);
        break;
    case ArchiveAction:
        archiveCommand(output, absoluteOutput, inputs, builder);
        break;
    case LinkAction:
        linkCommand(element, config, output, absoluteOutput, inputs, builder);
        break;
    default:
        break;
    }
}

void ARMBuildSystem::addARMOptions(ProjectElement *element, const QString &config,
                                   QStringList &args, bool asmForm)
{
    const BuildPropertyCatalogue &p = properties();
    const ARMTargetSettings target{setting(element, p.arm_core_type, config),
                                   setting(element, p.arm_architecture, config),
                                   setting(element, p.arm_instruction_set, config),
                                   setting(element, p.arm_interwork, config),
                                   setting(element, p.arm_endian, config),
                                   setting(element, p.arm_fp_abi, config)};
    args += armTargetOptions(target, asmForm, m_commandLineGenerationVersion);
}

void ARMBuildSystem::addPreprocessorOptions(ProjectElement *element, const QString &config,
                                            const QString &output, QStringList &args)
{
    const BuildPropertyCatalogue &p = properties();
    args << QStringLiteral("-nostdinc");
    if (settingIs(element, p.c_undefine_all_preprocessor_definitions, config, kYes))
        args << QStringLiteral("-undef");
    args += stringListSetting(QStringLiteral("-D"), element, p.c_preprocessor_definitions, config,
                              true, true);
    args += stringListSetting(QStringLiteral("-U"), element, p.c_preprocessor_undefinitions, config,
                              true, true);
    if (!settingIs(element, p.c_ignore_includes, config, kYes)) {
        args += stringListSetting(QStringLiteral("-isystem"), element,
                                  p.c_system_include_directories, config, true, true);
        args += stringListSetting(QStringLiteral("-I"), element, p.c_user_include_directories,
                                  config, true, true);
    }
    const QString architecture =
        armArchitectureDefinition(setting(element, p.arm_architecture, config));
    if (!architecture.isNull())
        args << architecture;
    args << QStringLiteral("-D__TESSARY_ARM");
    addCommonPreprocessorDefinitions(args);
    addPropertyGroupDefines(element, config, args);
    // The dependency file names the object as its only target, which is what the up-to-date
    // check reads back.
    const QFileInfo object(output);
    args << QStringLiteral("-MD") << object.path() + u'/' + object.baseName() + QStringLiteral(".d")
         << QStringLiteral("-MQ") << output;
    if (settingIs(element, p.build_treat_warnings_as_errors, config, kYes))
        args << QStringLiteral("-Werror");
    args << (settingIs(element, p.build_quietly, config, kYes) ? QStringLiteral("-quiet")
                                                               : QStringLiteral("-v"));
}

// The definitions of the entries chosen in the project's property groups (a board, a chip).
void ARMBuildSystem::addPropertyGroupDefines(ProjectElement *element, const QString &config,
                                             QStringList &args)
{
    if (propertyValueGroups)
        args += propertyValueGroups->defineOptions(element, config);
}

QString ARMBuildSystem::temporaryFile(ProjectElement *element, const QString &config,
                                      Builder *builder)
{
    QString error;
    const QString file = createTmpFile(element, config, &error);
    if (file.isNull()) {
        builder->error(error);
        buildFailed = true;
    }
    return file;
}

bool ARMBuildSystem::addOptionsFile(ProjectElement *element, const QString &config,
                                    const PropertyClass *property, QStringList &args,
                                    Builder *builder)
{
    const QString file = settingForExpanded(element, property, config);
    if (file.isEmpty() || addOptionsFromFileToCommand(getAbsPath(projectDirectory, file), args))
        return true;
    builder->error(kCannotLoadOptionsFile + file);
    buildFailed = true;
    return false;
}

bool ARMBuildSystem::addCompilerOptions(ProjectElement *element, const QString &config,
                                        BuildAction action, const QString &output,
                                        QStringList &args, Builder *builder)
{
    const BuildPropertyCatalogue &p = properties();
    const bool cpp = action == CompileCppAction;
    if (cpp && settingIs(element, p.cpp_enable_exceptions, config, kNo))
        args << QStringLiteral("-fno-exceptions");
    if (cpp && settingIs(element, p.cpp_enable_rtti, config, kNo))
        args << QStringLiteral("-fno-rtti");
    args << QStringLiteral("-fmessage-length=0");
    addARMOptions(element, config, args, false);
    addPreprocessorOptions(element, config, output, args);
    args += stringListSetting(QString(""), element, p.c_additional_options, config, true, true);
    if (!addOptionsFile(element, config, p.c_additional_options_from_file, args, builder))
        return false;
    const PropertyClass *only = cpp ? p.cpp_only_additional_options : p.c_only_additional_options;
    const PropertyClass *onlyFile =
        cpp ? p.cpp_only_additional_options_from_file : p.c_only_additional_options_from_file;
    args += stringListSetting(QString(""), element, only, config, true, true);
    if (!addOptionsFile(element, config, onlyFile, args, builder))
        return false;

    if (settingIs(element, p.build_debug_information, config, kYes))
        args << QStringLiteral("-gdwarf-2");
    if (settingIs(element, p.c_enforce_ansi_checking, config, kYes))
        args << (cpp ? QStringLiteral("-std=c++98") : QStringLiteral("-std=c99"));
    const QString optimization =
        optimizationOption(setting(element, p.gcc_optimization_level, config));
    if (!optimization.isNull())
        args << optimization;
    if (settingIs(element, p.gcc_omit_frame_pointer, config, kYes))
        args << QStringLiteral("-fomit-frame-pointer");
    if (settingIs(element, p.gcc_emit_assembler_cfi, config, kNo))
        args << QStringLiteral("-fno-dwarf2-cfi-asm");
    if (settingIs(element, p.arm_long_calls, config, kYes))
        args << QStringLiteral("-mlong-calls");
    args << QStringLiteral("-fno-builtin");
    if (settingIs(element, p.build_remove_unused_symbols, config, kYes))
        args << QStringLiteral("-ffunction-sections") << QStringLiteral("-fdata-sections");
    return true;
}

bool ARMBuildSystem::addAssemblerOptions(ProjectElement *element, const QString &config,
                                         Builder *builder, const QString &input,
                                         const QString &output, QStringList &args)
{
    const BuildPropertyCatalogue &p = properties();
    args << QStringLiteral("--traditional-format");
    addARMOptions(element, config, args, true);
    args += stringListSetting(QString(""), element, p.asm_additional_options, config, true, true);
    if (!addOptionsFile(element, config, p.asm_additional_options_from_file, args, builder))
        return false;
    args << input << QStringLiteral("-o") << output;
    return true;
}

bool ARMBuildSystem::renameSections(ProjectElement *element, const QString &config,
                                    QStringList &args)
{
    const BuildPropertyCatalogue &p = properties();
    const QString names[] = {setting(element, p.default_code_section, config),
                             setting(element, p.default_data_section, config),
                             setting(element, p.default_zeroed_section, config),
                             setting(element, p.default_const_section, config)};
    const char *defaults[] = {".text", ".data", ".bss", ".rodata"};
    bool renamed = false;
    for (int i = 0; i < 4; ++i) {
        args << names[i];
        renamed = renamed || names[i] != QLatin1String(defaults[i]);
    }
    return renamed;
}

void ARMBuildSystem::runSectionRenaming(ProjectElement *element, const QString &config,
                                        const QString &assemblyFile, Builder *builder)
{
    QStringList names;
    if (!renameSections(element, config, names))
        return;
    builder->setCommand(
        QStringList{QTx::rootDirectory() + QStringLiteral("/bin/mungeas"), assemblyFile} + names);
    builder->doit();
}

void ARMBuildSystem::assemblerPass(ProjectElement *element, const QString &config,
                                   BuildAction action, const QString &assemblyFile,
                                   const QString &output, const QString &absoluteOutput,
                                   Builder *builder)
{
    QStringList args{toolPath(QStringLiteral("as"))};
    if (!addAssemblerOptions(element, config, builder, assemblyFile, output, args))
        return;
    // Compiled code already carries the compiler's debug information; only hand-written
    // assembly needs the assembler's.
    if (action == AssembleAction) {
        if (settingIs(element, properties().build_debug_information, config, kYes))
            args << QStringLiteral("--gdwarf2");
        if (settingIs(element, properties().build_treat_warnings_as_errors, config, kYes))
            args << QStringLiteral("--fatal-warnings");
    }
    builder->setCommand(args);
    builder->setOutputFiles({absoluteOutput});
    builder->setPass(Builder::Pass::Assemble);
    builder->doit();
}

// The file is removed by the builder, so that the command shows; when the builder only shows
// commands it is removed here, because the file was created to reserve its name.
void ARMBuildSystem::removeTemporaryFile(const QString &file, Builder *builder)
{
    // No name: none could be made, and the step has failed on that already.
    if (file.isEmpty())
        return;
    builder->setCommand({QStringLiteral("rm"), file});
    builder->setPass(Builder::Pass::RemoveIntermediate);
    builder->doit();
    QFile::remove(file);
}

void ARMBuildSystem::compileCommand(ProjectElement *element, const QString &config,
                                    BuildAction action, const QString &output,
                                    const QString &absoluteOutput, const QString &input,
                                    Builder *builder)
{
    const bool cpp = action == CompileCppAction;
    QStringList args{toolPath(cpp ? QStringLiteral("cc1plus") : QStringLiteral("cc1"))};
    builder->beginGroup(element, QStringLiteral("Compiling ") + element->getName(), 0);
    if (!addCompilerOptions(element, config, action, output, args, builder))
        return;
    // The output directory first: when it cannot be made, that is the message, not the
    // temporary file that could not be made in it.
    builder->setOutputFiles({absoluteOutput});
    if (stopping())
        return;
    const bool keep = settingIs(element, properties().arm_keep_assembly, config, kYes);
    const QString assembly = keep ? besideOutput(output, QStringLiteral(".asm"))
                                  : temporaryFile(element, config, builder);
    if (assembly.isNull())
        return;
    args << getAbsPath(projectDirectory, input) << QStringLiteral("-o") << assembly;

    if (!keep)
        builder->setTemporaryFiles({assembly});
    QStringList names;
    const bool renamed = renameSections(element, config, names);
    builder->setCommand(args);
    builder->setPass(keep || renamed ? Builder::Pass::CompileToAssembly : Builder::Pass::Compile);
    builder->doit();
    if (!stopping())
        runSectionRenaming(element, config, assembly, builder);
    if (!stopping())
        assemblerPass(element, config, action, assembly, output, absoluteOutput, builder);
    if (!keep)
        removeTemporaryFile(assembly, builder);
    if (!stopping())
        builder->endGroup(element);
}

void ARMBuildSystem::assembleCommand(ProjectElement *element, const QString &config,
                                     const QString &output, const QString &absoluteOutput,
                                     const QString &input, Builder *builder)
{
    builder->beginGroup(element, QStringLiteral("Assembling ") + element->getName(), 0);
    QStringList args{toolPath(QStringLiteral("cc1")), QStringLiteral("-E")};
    if (!settingIs(element, properties().build_debug_information, config, kYes))
        args << QStringLiteral("-P");
    addARMOptions(element, config, args, false);
    addPreprocessorOptions(element, config, output, args);
    builder->setOutputFiles({absoluteOutput});
    if (stopping())
        return;
    const QString preprocessed = temporaryFile(element, config, builder);
    if (preprocessed.isNull())
        return;
    args << QStringLiteral("-lang-asm") << getAbsPath(projectDirectory, input)
         << QStringLiteral("-o") << preprocessed;

    builder->setTemporaryFiles({preprocessed});
    builder->setCommand(args);
    // Renamed sections need the preprocessed text here; preprocessing is cheap, so then
    // nothing of the step goes elsewhere.
    QStringList names;
    if (!renameSections(element, config, names))
        builder->setPass(Builder::Pass::Compile);
    builder->doit();
    if (!stopping())
        runSectionRenaming(element, config, preprocessed, builder);
    if (!stopping())
        assemblerPass(element, config, AssembleAction, preprocessed, output, absoluteOutput,
                      builder);
    removeTemporaryFile(preprocessed, builder);
    if (!stopping())
        builder->endGroup(element);
}

// An archive is made afresh: "ar -r" into an existing one would keep the members of sources
// that have left the project.
void ARMBuildSystem::archiveCommand(const QString &output, const QString &absoluteOutput,
                                    const QStringList &inputs, Builder *builder)
{
    builder->beginGroup(nullptr,
                        QStringLiteral("Archiving ") + QFileInfo(absoluteOutput).fileName(), 0);
    if (QFileInfo::exists(absoluteOutput)) {
        builder->setCommand({QStringLiteral("rm"), absoluteOutput});
        builder->doit();
    }
    if (stopping())
        return;
    builder->setCommand(
        QStringList{toolPath(QStringLiteral("ar")), QStringLiteral("-rcs"), output} + inputs);
    builder->setOutputFiles({absoluteOutput});
    builder->doit();
    builder->endGroup(nullptr);
}

QString ARMBuildSystem::preprocess(ProjectElement *element, const QString &config, Builder *builder)
{
    const BuildAction action = buildAction(element, config);
    if (action != CompileCAction && action != CompileCppAction && action != AssembleAction)
        return QString();
    const QString output = StandardBuildSystem::output(action, element, config, false);
    builder->init();
    builder->setDirectory(projectDirectory);
    builder->beginGroup(element, QStringLiteral("Preprocessing ") + element->getName(), 0);
    const QString preprocessed = temporaryFile(element, config, builder);
    if (preprocessed.isNull())
        return QString();
    QStringList args{
        toolPath(action == CompileCppAction ? QStringLiteral("cc1plus") : QStringLiteral("cc1")),
        QStringLiteral("-E")};
    addARMOptions(element, config, args, false);
    addPreprocessorOptions(element, config, output, args);
    if (action == AssembleAction)
        args << QStringLiteral("-lang-asm");
    element->checkDoFileStuff();
    args << element->absolutePath.osPathQString() << QStringLiteral("-o") << preprocessed;

    builder->setTemporaryFiles({preprocessed});
    builder->setCommand(args);
    builder->doit();
    if (stopping())
        return QString();
    builder->endGroup(element);
    return preprocessed;
}

QString ARMBuildSystem::getPrintfVariant(ProjectElement *element, const QString &config)
{
    const BuildPropertyCatalogue &p = properties();
    return armPrintfVariant(setting(element, p.linker_printf_fp_enabled, config),
                            setting(element, p.linker_printf_fmt_level, config),
                            setting(element, p.linker_printf_width_precision_supported, config));
}

QString ARMBuildSystem::getScanfVariant(ProjectElement *element, const QString &config)
{
    const BuildPropertyCatalogue &p = properties();
    return armScanfVariant(
        setting(element, p.linker_scanf_fp_enabled, config),
        setting(element, p.linker_scanf_fmt_level, config),
        setting(element, p.linker_scanf_character_group_matching_enabled, config));
}

bool ARMBuildSystem::commandUpToDate(ProjectElement *element, const QString &config, QDateTime time,
                                     BuildAction action, Builder *builder, bool quiet)
{
    if (!GCCBuildSystem::commandUpToDate(element, config, time, action, builder, quiet))
        return false;
    const BuildPropertyCatalogue &p = properties();
    bool upToDate = true;
    if (action == CompileCAction || action == CompileCppAction || action == AssembleAction) {
        upToDate = genericOptionsUpToDate({p.arm_instruction_set, p.arm_architecture}, element,
                                          config, time, builder, quiet);
    } else if (action == LinkAction) {
        upToDate = genericOptionsUpToDate(
            {p.arm_library_instruction_set,    p.arm_library_check_memory_segment_overflow,
             p.build_remove_unused_symbols,    p.arm_use_gcc_libraries,
             p.arm_linker_stack_size,          p.arm_linker_irq_stack_size,
             p.arm_linker_fiq_stack_size,      p.arm_linker_svc_stack_size,
             p.arm_linker_abt_stack_size,      p.arm_linker_und_stack_size,
             p.arm_linker_heap_size,           p.arm_linker_treat_warnings_as_errors,
             p.arm_linker_no_warn_on_mismatch, p.arm_link_debugio_type,
             p.arm_linker_main_stack_size,     p.arm_linker_process_stack_size},
            element, config, time, builder, quiet);
    } else {
        return true;
    }
    return upToDate
           && genericOptionsUpToDate({p.arm_core_type, p.arm_fpu_type, p.arm_fp_abi, p.arm_endian,
                                      p.arm_long_calls, p.arm_interwork, p.arm_keep_assembly,
                                      p.arm_module_call_vias, p.build_remove_unused_symbols},
                                     element, config, time, builder, quiet);
}
