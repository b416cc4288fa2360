#include "engine/gcc_build_system.h"

#include "engine/arm_command_options.h"
#include "engine/build_property_catalogue.h"
#include "engine/builder.h"
#include "macros/macro_system.h"
#include "project/project_element.h"
#include "project/property_class.h"
#include "settings/arm_quillmark_environment_settings.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kYes = QStringLiteral("Yes");

} // namespace

GCCBuildSystem::GCCBuildSystem(const QStringList &, const char *toolPrefix,
                               const char *toolDirectory, bool groupLibraries)
    : m_toolPrefix(toolPrefix ? QString::fromLatin1(toolPrefix) : QString("")),
      m_toolDirectory(QString::fromLatin1(toolDirectory ? toolDirectory : "")),
      m_groupLibraries(groupLibraries)
{
    if (environment && environment->toolChainRootDirectory)
        environment->toolChainRootDirectory->setDefault(m_toolDirectory);
}

GCCBuildSystem::~GCCBuildSystem() = default;

QString GCCBuildSystem::toolDirectory() const
{
    const QString directory =
        environment ? environment->toolChainRootDirectoryValue() : m_toolDirectory;
    return macroSystem.replaceGlobalMacros(directory);
}

QString GCCBuildSystem::toolPath(const QString &name) const
{
    return toolDirectory() + u'/' + m_toolPrefix + name;
}

QString GCCBuildSystem::optimizationOption(const QString &level)
{
    return gccOptimizationOption(level);
}

QString GCCBuildSystem::besideOutput(const QString &file, const QString &suffix)
{
    const QFileInfo info(file);
    return info.path() + u'/' + info.completeBaseName() + suffix;
}

QString GCCBuildSystem::objcopyFormatOption(const QString &format)
{
    if (format == u"bin")
        return QStringLiteral("-Obinary");
    if (format == u"hex")
        return QStringLiteral("-Oihex");
    return QStringLiteral("-O") + format;
}

void GCCBuildSystem::createCommandFor(ProjectElement *element, const QString &config,
                                      BuildAction action, const QString &output,
                                      const QString &absoluteOutput, const QStringList &inputs,
                                      Builder *builder, bool, bool)
{
    builder->init();
    builder->setDirectory(projectDirectory);
    switch (action) {
    case CompileCAction:
    case CompileCppAction:
    case AssembleAction:
        compileCommand(element, config, action, output, absoluteOutput, inputs, builder);
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

void GCCBuildSystem::addPreprocessorOptions(ProjectElement *element, const QString &config,
                                            const QString &output, QStringList &args)
{
    const BuildPropertyCatalogue &p = properties();
    if (!settingIs(element, p.c_ignore_includes, config, kYes))
        args += stringListSetting(QStringLiteral("-I"), element, p.c_user_include_directories,
                                  config, true, true);
    if (settingIs(element, p.c_undefine_all_preprocessor_definitions, config, kYes))
        args << QStringLiteral("-undef");
    args += stringListSetting(QStringLiteral("-D"), element, p.c_preprocessor_definitions, config,
                              true, true);
    args += stringListSetting(QStringLiteral("-U"), element, p.c_preprocessor_undefinitions, config,
                              true, true);
    args << QStringLiteral("-MD") << QStringLiteral("-MQ") << output;
    if (settingIs(element, p.build_treat_warnings_as_errors, config, kYes))
        args << QStringLiteral("-Werror");
    if (!settingIs(element, p.build_quietly, config, kYes))
        args << QStringLiteral("-v");
    args += stringListSetting(QString(""), element, p.c_additional_options, config, true, true);
}

QString GCCBuildSystem::preprocess(ProjectElement *, const QString &, Builder *)
{
    return QString();
}

void GCCBuildSystem::compileCommand(ProjectElement *element, const QString &config,
                                    BuildAction action, const QString &output,
                                    const QString &absoluteOutput, const QStringList &inputs,
                                    Builder *builder)
{
    const BuildPropertyCatalogue &p = properties();
    const bool cpp = action == CompileCppAction;
    QStringList args{toolPath(cpp ? QStringLiteral("g++") : QStringLiteral("gcc")),
                     QStringLiteral("-c")};
    if (cpp && settingIs(element, p.cpp_enable_exceptions, config, QStringLiteral("No")))
        args << QStringLiteral("-fno-exceptions");
    if (cpp && settingIs(element, p.cpp_enable_rtti, config, QStringLiteral("No")))
        args << QStringLiteral("-fno-rtti");
    args << QStringLiteral("-fmessage-length=0");
    addPreprocessorOptions(element, config, output, args);
    if (settingIs(element, p.build_debug_information, config, kYes))
        args << QStringLiteral("-g");
    if (settingIs(element, p.c_enforce_ansi_checking, config, kYes))
        args << (action == CompileCAction ? QStringLiteral("-std=c99") : QStringLiteral("-ansi"));
    const QString optimization =
        optimizationOption(setting(element, p.gcc_optimization_level, config));
    if (!optimization.isNull())
        args << optimization;
    if (settingIs(element, p.gcc_omit_frame_pointer, config, kYes))
        args << QStringLiteral("-fomit-frame-pointer");
    args << getAbsPath(projectDirectory, inputs.value(0)) << QStringLiteral("-o") << output;

    builder->beginGroup(element, QStringLiteral("Compiling ") + element->getName(), 0);
    builder->setOutputFiles({absoluteOutput});
    builder->setCommand(args);
    builder->doit();
    builder->endGroup(element);
}

void GCCBuildSystem::archiveCommand(const QString &output, const QString &absoluteOutput,
                                    const QStringList &inputs, Builder *builder)
{
    builder->beginGroup(nullptr,
                        QStringLiteral("Archiving ") + QFileInfo(absoluteOutput).fileName(), 0);
    builder->setCommand(
        QStringList{toolPath(QStringLiteral("ar")), QStringLiteral("-rcs"), output} + inputs);
    builder->setOutputFiles({absoluteOutput});
    builder->doit();
    if (!stopping()) {
        builder->setCommand({toolPath(QStringLiteral("ranlib")), output});
        builder->doit();
    }
    builder->endGroup(nullptr);
}

void GCCBuildSystem::linkCommand(ProjectElement *element, const QString &config,
                                 const QString &output, const QString &absoluteOutput,
                                 const QStringList &inputs, Builder *builder)
{
    const BuildPropertyCatalogue &p = properties();
    QStringList args{toolPath(QStringLiteral("g++"))};
    if (!settingIs(element, p.build_quietly, config, kYes))
        args << QStringLiteral("-v");
    if (settingIs(element, p.build_debug_information, config, kYes))
        args << QStringLiteral("-g");
    if (settingIs(element, p.build_treat_warnings_as_errors, config, kYes))
        args << QStringLiteral("--fatal-warnings");
    args +=
        stringListSetting(QString(""), element, p.linker_additional_options, config, true, true);
    // The group is left open: the linker closes it at the end of the command line.
    if (m_groupLibraries)
        args << QStringLiteral("-Wl,--start-group");
    args += inputs;
    args << QStringLiteral("-o") << output;

    builder->beginGroup(element, QStringLiteral("Linking ") + QFileInfo(absoluteOutput).fileName(),
                        0);
    builder->setCommand(args);
    builder->setOutputFiles({absoluteOutput});
    builder->doit();
    const QString format = setting(element, p.linker_output_format, config);
    if (!stopping() && format != u"None") {
        builder->setCommand({toolPath(QStringLiteral("objcopy")), objcopyFormatOption(format),
                             output, besideOutput(output, u'.' + format)});
        builder->doit();
    }
    builder->endGroup(element);
}

bool GCCBuildSystem::commandUpToDate(ProjectElement *element, const QString &config, QDateTime time,
                                     BuildAction action, Builder *builder, bool quiet)
{
    if (!StandardBuildSystem::commandUpToDate(element, config, time, action, builder, quiet))
        return false;
    const BuildPropertyCatalogue &p = properties();
    if (action == CompileCAction || action == CompileCppAction || action == AssembleAction) {
        return genericOptionsUpToDate(
            {p.gcc_optimization_level, p.gcc_omit_frame_pointer, p.gcc_emit_assembler_cfi},
            element, config, time, builder, quiet);
    }
    if (action == LinkAction)
        return genericOptionsUpToDate({p.gcc_entry_point}, element, config, time, builder, quiet);
    return true;
}
