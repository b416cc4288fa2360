// GCCBuildSystem: command generation for a GNU tool chain driven through its compiler driver
// ("gcc", "g++", "ar", "ranlib", "objcopy"), and the up-to-date comparison of the gcc_
// properties. ARMBuildSystem replaces the command generation and keeps the rest.
#pragma once

#include "engine/standard_build_system.h"

#include <QString>
#include <QStringList>

class Builder;
class ProjectElement;

class GCCBuildSystem : public StandardBuildSystem
{
public:
    // `toolPrefix` (null: none) goes before every tool name, e.g. "arm-elf-". `toolDirectory`
    // becomes the default of the environment's tool-chain root directory. With
    // `groupLibraries` the link inputs are given inside a linker group.
    GCCBuildSystem(const QStringList &args, const char *toolPrefix, const char *toolDirectory,
                   bool groupLibraries);
    ~GCCBuildSystem() override;

    void createCommandFor(ProjectElement *element, const QString &config, BuildAction action,
                          const QString &output, const QString &absoluteOutput,
                          const QStringList &inputs, Builder *builder, bool quiet,
                          bool clean) override;
    bool commandUpToDate(ProjectElement *element, const QString &config, QDateTime time,
                         BuildAction action, Builder *builder, bool quiet) override;

    // The preprocessor options of a compilation whose object is `output`.
    virtual void addPreprocessorOptions(ProjectElement *element, const QString &config,
                                        const QString &output, QStringList &args);
    // Preprocesses the element's file for display; null here (no preprocessed text).
    virtual QString preprocess(ProjectElement *element, const QString &config, Builder *builder);

    QString toolPrefix() const { return m_toolPrefix; }
    QString toolDirectorySetting() const { return m_toolDirectory; }
    bool groupLibraries() const { return m_groupLibraries; }

    // The environment's tool-chain root directory with the global macros expanded.
    QString toolDirectory() const;
    QString toolChainDirectory() const override { return toolPath(QString()); }
    // toolDirectory() + "/" + prefix + `name`.
    QString toolPath(const QString &name) const;

protected:
    // "Level 1".."Level 3" give -O1..-O3, "None" nothing, anything else -Os.
    static QString optimizationOption(const QString &level);
    // `directory of file` + "/" + `base name of file` + `suffix`: the dependency, map,
    // kept-assembly and converted-output files live beside their output.
    static QString besideOutput(const QString &file, const QString &suffix);
    // "-Obinary", "-Oihex" or "-O" + format, for objcopy.
    static QString objcopyFormatOption(const QString &format);

private:
    void compileCommand(ProjectElement *element, const QString &config, BuildAction action,
                        const QString &output, const QString &absoluteOutput,
                        const QStringList &inputs, Builder *builder);
    void archiveCommand(const QString &output, const QString &absoluteOutput,
                        const QStringList &inputs, Builder *builder);
    void linkCommand(ProjectElement *element, const QString &config, const QString &output,
                     const QString &absoluteOutput, const QStringList &inputs, Builder *builder);

    QString m_toolPrefix;
    QString m_toolDirectory;
    bool m_groupLibraries = false;
};
