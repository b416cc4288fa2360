// The per-project build engine: walks a project's element tree children first, decides what
// building each element means, asks the up-to-date checks and runs the pre-step, the tool
// command and the post-step through the builder. The tool command lines themselves come from
// createCommandFor(), which the tool-chain build systems implement.
#pragma once

#include "engine/build_system.h"

#include <QDateTime>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

#include <list>
#include <unordered_map>

class Builder;
class BuildPropertyCatalogue;
class ProjectElement;
class PropertyClass;

class StandardBuildSystem : public BuildSystem
{
public:
    // What building an element means. The values matter: ranges are tested (2..7 compile).
    enum BuildAction {
        NoAction = 0,
        ExcludeAction = 1,
        CompileCAction = 2,
        CompileCppAction = 3,
        ReservedCompileAction = 4,
        CompileForthAction = 5,
        CompileBasicAction = 6,
        AssembleAction = 7,
        LoadAction = 8,
        ReservedAction = 9,
        LinkAction = 10,
        ArchiveAction = 11,
        StageAction = 12,
        CombineAction = 13,
    };
    static bool isCompileAction(BuildAction action)
    {
        return action >= CompileCAction && action <= AssembleAction;
    }

    StandardBuildSystem();
    ~StandardBuildSystem() override;

    bool platformBuild(ProjectElement *element, const QString &config, Builder *builder,
                       int flags) override;
    // Builds `element` and everything below it; true when anything was rebuilt (or must be
    // treated as rebuilt), so the element's consumers must rebuild too.
    bool platformBuild1(ProjectElement *element, const QString &config, Builder *builder,
                        int flags);

    BuildAction buildAction(ProjectElement *element, const QString &config);
    // The output of `action` for `element`, macro-expanded; null when the action has none.
    // With `absolute`, a relative result is taken relative to the project directory.
    QString output(BuildAction action, ProjectElement *element, const QString &config,
                   bool absolute);
    virtual QString output(ProjectElement *element, const QString &config, bool absolute);
    void findOutputs(ProjectElement *first, const QString &config, QStringList &list,
                     bool absolute);
    void findRelativeInputs(ProjectElement *first, const QString &config, QStringList &list);
    ProjectElement *findFileOfType(ProjectElement *element, const QString &config,
                                   const QString &fileType);
    void cleanFile(const QString &path, bool quiet, Builder *builder);
    int countJobs(ProjectElement *element, const QString &config, int flags);

    // Queries for an interactive host; the build walk does not use them.
    virtual bool canCompile(ProjectElement *element, const QString &config);
    virtual bool mustCompile(ProjectElement *element, const QString &config);
    virtual bool canLoad(ProjectElement *element, const QString &config);

    // Generates the tool commands of `action` and runs them through the builder. The base
    // runs nothing; the tool-chain build systems implement it.
    virtual void createCommandFor(ProjectElement *element, const QString &config,
                                  BuildAction action, const QString &output,
                                  const QString &absoluteOutput, const QStringList &inputs,
                                  Builder *builder, bool quiet, bool clean);

    // Up-to-date checks of the properties that shape an action's command.
    virtual bool commandUpToDate(ProjectElement *element, const QString &config, QDateTime time,
                                 BuildAction action, Builder *builder, bool quiet);
    bool genericOptionsUpToDate(const std::list<PropertyClass *> &properties,
                                ProjectElement *element, const QString &config,
                                const QDateTime &time, Builder *builder, bool quiet);
    // The same for a fixed set, without building a list on every check.
    bool genericOptionsUpToDate(std::initializer_list<PropertyClass *> properties,
                                ProjectElement *element, const QString &config,
                                const QDateTime &time, Builder *builder, bool quiet);
    bool propertyGroupsDefinesUpToDate(ProjectElement *element, const QString &config,
                                       const QDateTime &time, Builder *builder, bool quiet);
    bool mapOutputFileUpToDate(ProjectElement *element, const QString &config,
                               const QString &absoluteOutput, const QStringList &dependencies,
                               Builder *builder, bool quiet);
    bool additionalOutputFileUpToDate(ProjectElement *element, const QString &config,
                                      const QString &absoluteOutput,
                                      const QStringList &dependencies, Builder *builder,
                                      bool quiet);

    // The files an object depends on, read from the dependency file the compiler wrote beside
    // it; empty when there is none.
    virtual QStringList getObjectFileDependencies(const QString &projectDir,
                                                  const QString &sourceFile,
                                                  const QString &absoluteObject);
    // The dependency list the build would compare for `element` (for an interactive host).
    virtual void getDependencies(ProjectElement *element, const QString &config,
                                 QStringList &list);
    virtual QString findIncludeFile(bool systemInclude, const QString &name,
                                    ProjectElement *element, const QString &config);
    QString findIncludeFile(const QString &name, const QString &projectDir,
                            const QString &fileDir, const QStringList &directories);

    // Linker inputs other than objects: a "Linker Script" file of the project, or the memory
    // map and section placement files a script is generated from. `path` is set when found.
    bool useLinkerScriptFileForLink(ProjectElement *element, const QString &config,
                                    QString &path);
    bool useMemoryMapFileForLink(ProjectElement *element, const QString &config, QString &path);
    // The linker script the link of `absoluteOutput` uses: the project's own, or the one
    // generated for it; null when there is neither.
    virtual QString linkerScriptFor(ProjectElement *element, const QString &config,
                                    const QString &absoluteOutput);
    bool useSectionPlacementFileForLink(ProjectElement *element, const QString &config,
                                        QString &path);

    // Built-in file commands the builder offers before starting a process: true when handled
    // here (a non-empty `error` then means it failed). `args` may be rewritten to name an
    // installation program instead.
    bool builtinCommand(const QString &dir, QStringList &args, QString &error);
    bool cp(const QString &dir, const QString &source, const QString &destination,
            QString &error);
    bool chmod(const QString &dir, bool writable, const QString &path, QString &error);
    bool rm(const QString &dir, const QString &path, QString &error);
    static QString getAbsPath(const QString &dir, const QString &path);
    bool getExportableBuiltinCommand(const QString &command, const QStringList &args,
                                     QString &text);
    bool addOptionsFromFileToCommand(const QString &file, QStringList &args);
    void createLinkPatchCommand(ProjectElement *element, const QString &config,
                                const QString &absoluteOutput, Builder *builder);
    void addCommonPreprocessorDefinitions(QStringList &args);

    // The signature of the commands `action` would run now to make `output` from `inputs` (see
    // output_signature.cpp); 0 for actions that make nothing.
    quint64 outputSignature(ProjectElement *element, const QString &config, BuildAction action,
                            const QString &output, const QStringList &inputs);
    // The directory the tool chain's programs are run from; part of every signature.
    virtual QString toolChainDirectory() const;
    // Writes the records of the outputs. Steps that never settled failed when `failed`;
    // otherwise they were interrupted or only shown, and their outputs keep what they had.
    void saveOutputRecords(bool failed);

    // The directory of the project being built; set by platformBuild().
    QString projectDirectory;
    // Per absolute object path, the dependency list with which it was last found up to date.
    // Hashed: a no-op build looks up every object, and an ordered map compared the long
    // common prefixes of their paths at every level.
    std::unordered_map<QString, QStringList, PathHash> dependencyCache;
    QStringList cachedDependencies(const QString &absoluteObject) const
    {
        const auto it = dependencyCache.find(absoluteObject);
        return it == dependencyCache.end() ? QStringList() : it->second;
    }
    // What the objects' dependency files said, kept between runs (saved after each project).
    DependencyLog dependencyLog;
    // Properties added to the compile and link comparisons (nothing adds any in the tool).
    std::list<PropertyClass *> additionalCompilerProperties;
    std::list<PropertyClass *> additionalLinkerProperties;

protected:
    // The catalogue every setting is read through (created by the constructor when the
    // process has none yet).
    BuildPropertyCatalogue &properties() const { return *m_catalogue; }
    QString setting(ProjectElement *element, const PropertyClass *property,
                    const QString &config) const;
    bool settingIs(ProjectElement *element, const PropertyClass *property, const QString &config,
                   const QString &value) const;

private:
    bool compileStep(ProjectElement *element, const QString &config, BuildAction action,
                     bool rebuild, Builder *builder, int flags);
    bool archiveStep(ProjectElement *element, const QString &config, bool rebuild,
                     Builder *builder, int flags);
    bool linkStep(ProjectElement *element, const QString &config, bool rebuild,
                  Builder *builder, int flags);
    bool stageStep(ProjectElement *element, const QString &config, bool rebuild,
                   Builder *builder, int flags);
    bool combineStep(ProjectElement *element, const QString &config, bool rebuild,
                     Builder *builder, int flags);
    bool externalBuildStep(ProjectElement *element, const QString &config, bool rebuild,
                           Builder *builder, int flags);
    void addDependencyInputs(ProjectElement *element, const QString &config,
                             QStringList &inputs, bool &rebuild);
    void addLinkerScriptInputs(ProjectElement *element, const QString &config,
                               QStringList &dependencies);
    QString workingDirectory(ProjectElement *element, const PropertyClass *property,
                             const QString &config);
    void runUserCommand(ProjectElement *element, const QString &config,
                        const PropertyClass *command, const PropertyClass *directoryProperty,
                        const QString &label, const QString &targetPath, Builder *builder);
    void selectPropertyGroupFile(ProjectElement *element, const QString &config);
    void reportUpToDate(Builder *builder, bool quiet, const QString &output,
                        const QString &suffix = QString());

    BuildAction computeBuildAction(ProjectElement *element, const QString &config);
    QString computeOutput(BuildAction action, ProjectElement *element, const QString &config,
                          bool absolute);

    // Records of what made each output (see output_signature.cpp).
    struct SharedSignature
    {
        quint64 hash = 0;
        QList<const PropertyClass *> perElement; // expanded for each element
    };
    struct SignatureKey
    {
        const ProjectElement *anchor;
        int kind;
        bool operator==(const SignatureKey &) const = default;
        friend size_t qHash(const SignatureKey &key, size_t seed = 0)
        {
            return qHashMulti(seed, key.anchor, key.kind);
        }
    };
    const QList<const PropertyClass *> &signatureSettings(int kind);
    const SharedSignature &sharedSignature(ProjectElement *element, const QString &config,
                                           int kind);
    const QString &toolChainRoot();
    void resetSignatures();
    // False, with the reason told unless quiet, when the record of the output says its step
    // failed or ran another command.
    bool signatureUpToDate(const QString &output, const QString &absoluteOutput, quint64 signature,
                           Builder *builder, bool quiet);
    class StepRecord;
    void startStep(const QString &absoluteOutput);
    // `dependencyDir`, when not null, marks a compilation: once it has succeeded, the ".d" file
    // it has just written is logged, its names resolved against that directory.
    void settleStep(Builder *builder, const QString &absoluteOutput, quint64 signature,
                    const QString &dependencyDir);
    void logObjectDependencies(const QString &projectDir, const QString &absoluteObject);
    void buildEnded() override;

    QList<const PropertyClass *> m_signatureSettings[5];
    // Per settings anchor; only while one project is built, in one configuration.
    QHash<SignatureKey, SharedSignature> m_sharedSignatures;
    QString m_toolChainRoot;
    bool m_globalMacrosReferToMacros = false;

    BuildPropertyCatalogue *m_catalogue = nullptr;
    bool m_ownsCatalogue = false;

    // Output names of the project being built. A link asks again for every object name its
    // compile steps already expanded, and each expansion builds a whole macro table.
    struct OutputKey
    {
        ProjectElement *element;
        QString config;
        int action;
        bool absolute;
        bool operator==(const OutputKey &) const = default;
        friend size_t qHash(const OutputKey &key, size_t seed = 0)
        {
            // Not the configuration: a build asks in one at a time, and hashing its name for
            // every output costs more than the rest of the lookup.
            return qHashMulti(seed, key.element, key.action, key.absolute);
        }
    };
    QHash<OutputKey, QString> m_outputs;
    // The step of each element, counted and then walked: by element, with its configuration.
    QHash<const ProjectElement *, std::pair<QString, BuildAction>> m_actions;
    bool m_cacheOutputs = false; // only while a project is being built
};

extern StandardBuildSystem *standardBuildSystem;
