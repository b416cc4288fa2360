// The link of an ARM executable: ld with the run-time libraries the target needs, and the
// linker script of the project or one generated from its memory map and section placement.

#include "engine/arm_build_system.h"

#include "engine/arm_command_options.h"
#include "engine/build_property_catalogue.h"
#include "engine/builder.h"
#include "engine/linker/linker_script.h"
#include "engine/linker/linker_script_step.h"
#include "project/project_element.h"
#include "project/project_system.h"

#include <QFileInfo>

namespace {

const QString kYes = QStringLiteral("Yes");

} // namespace

bool ARMBuildSystem::addStandardLibraries(ProjectElement *element, const QString &config,
                                          QStringList &args, Builder *builder)
{
    const BuildPropertyCatalogue &p = properties();
    if (!settingIs(element, p.link_include_standard_libraries, config, kYes))
        return true;
    const ARMLibrarySelection selection{
        setting(element, p.link_standard_libraries_directory, config),
        setting(element, p.link_IOLibraryName, config),
        setting(element, p.arm_use_gcc_libraries, config),
        getPrintfVariant(element, config),
        getScanfVariant(element, config),
        setting(element, p.cpp_enable_exceptions, config),
        setting(element, p.cpp_enable_rtti, config),
        setting(element, p.arm_target_debug_interface_type, config),
        setting(element, p.arm_core_type, config),
        setting(element, p.arm_architecture, config),
        setting(element, p.arm_link_debugio_type, config)};
    QStringList libraries;
    QString error;
    if (!armStandardLibraries(selection, libraries, &error)) {
        builder->error(error);
        buildFailed = true;
        return false;
    }
    for (const QString &library : std::as_const(libraries))
        args << withLibraryExtension(replaceMacros(element, library, config));
    return true;
}

bool ARMBuildSystem::addLinkerScript(ProjectElement *element, const QString &config,
                                     const QString &output, QStringList &args, Builder *builder)
{
    QString script;
    if (useLinkerScriptFileForLink(element, config, script)) {
        args << QStringLiteral("-T") << script;
        return true;
    }
    const BuildPropertyCatalogue &p = properties();
    GeneratedLinkerScript generated;
    generated.projectDirectory = projectDirectory;
    generated.scriptPath = generatedLinkerScriptPath(element, config, output);
    QString file;
    if (useMemoryMapFileForLink(element, config, file))
        generated.memoryMapFile = file;
    if (useSectionPlacementFileForLink(element, config, file))
        generated.sectionPlacementFile = file;
    generated.memoryMapMacros = setting(element, p.linker_memory_map_macros, config);
    generated.sectionPlacementMacros = setting(element, p.linker_section_placement_macros, config);
    generated.checkOverflow =
        settingIs(element, p.arm_library_check_memory_segment_overflow, config, kYes);
    generated.settings = linkerScriptSettings(element, config);

    // The script is made from these settings: a change to any of them remakes it.
    const std::list<PropertyClass *> shaping{
        p.linker_section_placement_file, p.linker_section_placement_macros,
        p.linker_memory_map_file,        p.linker_memory_map_macros,
        p.arm_linker_stack_size,         p.arm_linker_main_stack_size,
        p.arm_linker_process_stack_size, p.arm_linker_irq_stack_size,
        p.arm_linker_fiq_stack_size,     p.arm_linker_svc_stack_size,
        p.arm_linker_abt_stack_size,     p.arm_linker_und_stack_size,
        p.arm_linker_heap_size,          p.arm_library_check_memory_segment_overflow};
    const LinkerScriptPropertiesCurrent current = [&](const QDateTime &scriptTime) {
        for (PropertyClass *property : shaping)
            if (!projectSystem->upToDate(element, property, config, scriptTime, builder, true,
                                         false))
                return false;
        return true;
    };
    PhaseScope generating(builder, Builder::Phase::LinkerScript, generated.scriptPath);
    const bool updated = updateGeneratedLinkerScript(generated, element, builder, current);
    generating.end();
    if (!updated) {
        buildFailed = true;
        return false;
    }
    args << QStringLiteral("-T") << generated.scriptPath;
    return true;
}

QString ARMBuildSystem::generatedLinkerScriptPath(ProjectElement *element, const QString &config,
                                                  const QString &output)
{
    const QString directory =
        getAbsPath(projectDirectory,
                   settingForExpanded(element, properties().build_intermediate_directory, config));
    return getAbsPath(directory, QFileInfo(output).completeBaseName() + QStringLiteral(".ld"));
}

QString ARMBuildSystem::linkerScriptFor(ProjectElement *element, const QString &config,
                                        const QString &absoluteOutput)
{
    QString script;
    if (useLinkerScriptFileForLink(element, config, script))
        return script;
    return generatedLinkerScriptPath(element, config, absoluteOutput);
}

LinkerScriptSettings ARMBuildSystem::linkerScriptSettings(ProjectElement *element,
                                                          const QString &config)
{
    const BuildPropertyCatalogue &p = properties();
    const QString architecture = setting(element, p.arm_architecture, config);
    const bool cortexM = architecture == u"v6M" || architecture == u"v7M";
    return LinkerScriptSettings{
        architecture,
        setting(element, cortexM ? p.arm_linker_main_stack_size : p.arm_linker_stack_size, config),
        setting(element, p.arm_linker_process_stack_size, config),
        setting(element, p.arm_linker_irq_stack_size, config),
        setting(element, p.arm_linker_fiq_stack_size, config),
        setting(element, p.arm_linker_svc_stack_size, config),
        setting(element, p.arm_linker_abt_stack_size, config),
        setting(element, p.arm_linker_und_stack_size, config),
        setting(element, p.arm_linker_heap_size, config)};
}

bool ARMBuildSystem::createLinkerScript(ProjectElement *element, const QString &config,
                                        Builder *builder, const QString &scriptPath,
                                        bool checkOverflow, MemoryMap *memoryMap,
                                        MemoryMap *sectionPlacement)
{
    try {
        ::createLinkerScript(linkerScriptSettings(element, config), scriptPath, checkOverflow,
                             memoryMap, sectionPlacement);
    } catch (const QString &message) {
        builder->error(message);
        buildFailed = true;
        return false;
    }
    return true;
}

void ARMBuildSystem::linkCommand(ProjectElement *element, const QString &config,
                                 const QString &output, const QString &absoluteOutput,
                                 const QStringList &inputs, Builder *builder)
{
    const BuildPropertyCatalogue &p = properties();
    builder->beginGroup(element, QStringLiteral("Linking ") + QFileInfo(absoluteOutput).fileName(),
                        0);
    QStringList args{toolPath(QStringLiteral("ld")), QStringLiteral("-X"), QStringLiteral("-e"),
                     setting(element, p.gcc_entry_point, config), QStringLiteral("--omagic")};
    if (!settingIs(element, p.build_quietly, config, kYes))
        args << QStringLiteral("-v");
    if (settingIs(element, p.build_treat_warnings_as_errors, config, kYes) ||
        settingIs(element, p.arm_linker_treat_warnings_as_errors, config, kYes))
        args << QStringLiteral("--fatal-warnings");
    if (settingIs(element, p.arm_linker_no_warn_on_mismatch, config, kYes))
        args << QStringLiteral("--no-warn-mismatch");
    args +=
        stringListSetting(QString(""), element, p.linker_additional_options, config, true, true);
    QStringList libraries;
    if (!addStandardLibraries(element, config, libraries, builder) ||
        !addOptionsFile(element, config, p.linker_additional_options_from_file, args, builder))
        return;
    args << (settingIs(element, p.arm_endian, config, QStringLiteral("Little"))
                 ? QStringLiteral("-EL")
                 : QStringLiteral("-EB"));
    if (settingIs(element, p.build_remove_unused_symbols, config, kYes))
        args << QStringLiteral("--gc-sections");
    if (!addLinkerScript(element, config, output, args, builder))
        return;
    if (settingIs(element, p.linker_map_file, config, kYes))
        args << QStringLiteral("-Map") << besideOutput(output, QStringLiteral(".map"));
    for (const QString &symbol :
         stringListSetting(QString(""), element, p.link_symbol_definitions, config, false, false))
        args << QStringLiteral("--defsym") << symbol;
    for (const QString &symbol :
         stringListSetting(QString(""), element, p.linker_keep_symbols, config, false, false))
        args << QStringLiteral("-u") << symbol;
    // The group stays open to the end of the line: objects and libraries resolve each other.
    args << QStringLiteral("-o") << output << QStringLiteral("--start-group") << inputs
         << libraries;

    builder->setCommand(args);
    builder->setOutputFiles({absoluteOutput});
    builder->doit();
    if (stopping())
        return;
    createLinkPatchCommand(element, config, absoluteOutput, builder);
    const QString format = setting(element, p.linker_output_format, config);
    if (!stopping() && format != u"None") {
        builder->init();
        builder->setDirectory(projectDirectory);
        builder->setCommand({toolPath(QStringLiteral("objcopy")), objcopyFormatOption(format),
                             output, besideOutput(output, u'.' + format)});
        builder->doit();
    }
    if (!stopping())
        builder->endGroup(element);
}
