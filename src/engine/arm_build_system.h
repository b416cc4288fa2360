// ARMBuildSystem: the build system of the command-line tool. It runs the GNU ARM tool chain's
// passes itself (cc1/cc1plus, the section-renaming filter, as, ld, ar, objcopy), selects the
// run-time libraries from the target properties and keeps the generated linker script current.
#pragma once

#include "engine/gcc_build_system.h"
#include "engine/linker/linker_script.h"

#include <QMap>
#include <QString>
#include <QStringList>

class Builder;
class MemoryMap;
class ProjectElement;
class PropertyClass;

class ARMBuildSystem : public GCCBuildSystem
{
public:
    // No tool prefix, tools in "$(StudioDir)/gcc/bin", libraries linked as a group.
    explicit ARMBuildSystem(const QStringList &args);
    ~ARMBuildSystem() override;

    // The option choices that depend on it are those of version 3, which the tool always uses.
    int commandLineGenerationVersion() const { return m_commandLineGenerationVersion; }
    void setCommandLineGenerationVersion(int version) { m_commandLineGenerationVersion = version; }

    QMap<QString, QString> macros(ProjectElement *element, const QString &config) override;
    bool hasOwnMacros(ProjectElement *element) const override; // projects: $(LibExt), $(LoaderType)

    void createCommandFor(ProjectElement *element, const QString &config, BuildAction action,
                          const QString &output, const QString &absoluteOutput,
                          const QStringList &inputs, Builder *builder, bool quiet,
                          bool clean) override;
    bool commandUpToDate(ProjectElement *element, const QString &config, QDateTime time,
                         BuildAction action, Builder *builder, bool quiet) override;

    // Target options (-mcpu, -march, -mthumb, endianness, floating point); `asmForm` gives the
    // assembler's spelling of the endianness switches.
    void addARMOptions(ProjectElement *element, const QString &config, QStringList &args,
                       bool asmForm);
    void addPreprocessorOptions(ProjectElement *element, const QString &config,
                                const QString &output, QStringList &args) override;
    // The assembler's arguments up to and including "-o output". False (with the error
    // reported) when an options file cannot be read.
    bool addAssemblerOptions(ProjectElement *element, const QString &config, Builder *builder,
                             const QString &input, const QString &output, QStringList &args);
    // True when any default section is renamed; `args` then receives the four section names
    // the section-renaming filter needs (code, data, zeroed, constant).
    bool renameSections(ProjectElement *element, const QString &config, QStringList &args);
    // Runs the compiler's preprocessor over the element's file into a temporary file and
    // returns that file's path; null when the element is not a C, C++ or assembly file or the
    // preprocessor failed.
    QString preprocess(ProjectElement *element, const QString &config, Builder *builder) override;

    // Writes the linker script at `scriptPath` from the loaded maps (placement may be null),
    // reporting failures through the builder; false on failure.
    QString linkerScriptFor(ProjectElement *element, const QString &config,
                            const QString &absoluteOutput) override;
    bool createLinkerScript(ProjectElement *element, const QString &config, Builder *builder,
                            const QString &scriptPath, bool checkOverflow, MemoryMap *memoryMap,
                            MemoryMap *sectionPlacement);

    // The library name parts of the formatted I/O family: "long", "long_long" or
    // "double_long_long", with "_nwp" (no width/precision) or "_cc" (character classes).
    QString getPrintfVariant(ProjectElement *element, const QString &config);
    QString getScanfVariant(ProjectElement *element, const QString &config);

private:
    void compileCommand(ProjectElement *element, const QString &config, BuildAction action,
                        const QString &output, const QString &absoluteOutput, const QString &input,
                        Builder *builder);
    void assembleCommand(ProjectElement *element, const QString &config, const QString &output,
                         const QString &absoluteOutput, const QString &input, Builder *builder);
    void archiveCommand(const QString &output, const QString &absoluteOutput,
                        const QStringList &inputs, Builder *builder);
    void linkCommand(ProjectElement *element, const QString &config, const QString &output,
                     const QString &absoluteOutput, const QStringList &inputs, Builder *builder);

    // A temporary file for a pass's intermediate output; null, with the step failed and the
    // directory named, when it cannot be created, so no tool is handed an empty name.
    QString temporaryFile(ProjectElement *element, const QString &config, Builder *builder);

    // Pieces of the passes, each appending to `args`; false when the build must stop.
    bool addOptionsFile(ProjectElement *element, const QString &config,
                        const PropertyClass *property, QStringList &args, Builder *builder);
    bool addCompilerOptions(ProjectElement *element, const QString &config, BuildAction action,
                            const QString &output, QStringList &args, Builder *builder);
    void runSectionRenaming(ProjectElement *element, const QString &config,
                            const QString &assemblyFile, Builder *builder);
    void assemblerPass(ProjectElement *element, const QString &config, BuildAction action,
                       const QString &assemblyFile, const QString &output,
                       const QString &absoluteOutput, Builder *builder);
    void removeTemporaryFile(const QString &file, Builder *builder);
    bool addStandardLibraries(ProjectElement *element, const QString &config, QStringList &args,
                              Builder *builder);
    bool addLinkerScript(ProjectElement *element, const QString &config, const QString &output,
                         QStringList &args, Builder *builder);
    void addPropertyGroupDefines(ProjectElement *element, const QString &config, QStringList &args);
    LinkerScriptSettings linkerScriptSettings(ProjectElement *element, const QString &config);
    QString generatedLinkerScriptPath(ProjectElement *element, const QString &config,
                                      const QString &output);

    int m_commandLineGenerationVersion = 3;
};
