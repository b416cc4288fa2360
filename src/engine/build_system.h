// The top of the build engine: walks solutions and projects in dependency order, holds the
// flags that stop a build, the property class registry and the file-time checks every build
// step shares.
#pragma once

#include "engine/dependency_log.h"
#include "host/path.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <unordered_map>

class Builder;
class ProjectElement;
class PropertyClass;

class BuildSystem
{
public:
    // One record per project and configuration built in a run, in completion order. `result`
    // is true when the project (or something it depends on) was rebuilt.
    struct builtStruct
    {
        ProjectElement *project = nullptr;
        QString configuration;
        bool result = false;
    };

    BuildSystem();
    virtual ~BuildSystem();
    BuildSystem(const BuildSystem &) = delete;
    BuildSystem &operator=(const BuildSystem &) = delete;

    // Builds `element` (a solution, a project or any element below one) in `config`. `builder`
    // may be null: then every decision is taken but nothing is announced or run. Returns 3 when
    // stopped, 2 when failed, 1 when anything was rebuilt, 0 otherwise.
    int build(ProjectElement *element, const QString &config, Builder *builder, int flags,
              bool buildDependencies, bool batch);
    bool solutionBuild(ProjectElement *solution, const QString &config, Builder *builder,
                       int flags, bool batch);
    bool projectBuild(ProjectElement *project, const QString &config, Builder *builder, int flags,
                      bool batch, const QString &solutionConfig);
    void displayProjectConfiguration(ProjectElement *element, const QString &config,
                                     Builder *builder, int flags);
    // True, with `result` set, when this run already built `project` in exactly `config`.
    bool justBuilt(ProjectElement *project, const QString &config, bool &result) const;

    // Builds one project (or other element) after it has been announced.
    virtual bool platformBuild(ProjectElement *element, const QString &config, Builder *builder,
                               int flags);

    // Projects named by `project_dependencies`, in the order written; unknown names dropped.
    QList<ProjectElement *> directlyDependsOn(ProjectElement *project, const QString &config);
    // Projects ordered so that each follows those it depends on (null: the loaded solution).
    QList<ProjectElement *> buildOrder(ProjectElement *element, const QString &config);
    void buildOrder(ProjectElement *project, const QString &config,
                    QList<ProjectElement *> &order);

    // The build macro table for `element` and the expansions built on it. A build system that
    // adds names of its own (overriding macros or addMacros) says for which elements through
    // hasOwnMacros: the expansions for other elements skip building the table when they can.
    virtual QMap<QString, QString> macros(ProjectElement *element, const QString &config);
    virtual void addMacros(ProjectElement *element, const QString &config,
                           QMap<QString, QString> &table);
    virtual bool hasOwnMacros(ProjectElement *element) const;
    QString replaceMacros(ProjectElement *element, const QString &text, const QString &config);
    QStringList replaceStringListMacros(ProjectElement *element, const QStringList &items,
                                        const QString &config);
    QString settingForExpanded(ProjectElement *element, const PropertyClass *property,
                               const QString &config);
    QStringList stringListSetting(const QString &prefix, ProjectElement *element,
                                  const PropertyClass *property, const QString &config,
                                  bool expand, bool escaped);

    // File-time checks. `name` is resolved against `dir` unless absolute; reports go to the
    // builder's message() unless `quiet`.
    bool exists(const QString &dir, const QString &name, QString &path, QDateTime &time,
                Builder *builder, bool quiet);
    bool upToDate(const QString &dir, const QString &name, const QDateTime &time,
                  const QStringList &dependencies, Builder *builder, bool quiet);
    // The modification time of an absolute path as seen in this build (an invalid time when the
    // file does not exist). Stats are remembered until the next build or until forgotten,
    // because a build looks at the same headers again for every source that includes them.
    QDateTime fileTime(const QString &absolutePath);
    // The same file's time to the nanosecond and its size, from the same look.
    FileIdentity fileIdentity(const QString &absolutePath);
    void forgetFileTime(const QString &absolutePath);

    // A fresh temporary file name in the element's intermediate directory; null when the file
    // cannot be created there, with the reason in `*error` when that is given.
    QString createTmpFile(ProjectElement *element, const QString &config,
                          QString *error = nullptr);

    // The catalogue of every registered property class, in registration order.
    static void addPropertyClass(PropertyClass *property);
    static PropertyClass *findPropertyClass(const QString &name);
    static void removePropertyClass(const QString &name);
    // Takes out exactly this class, whatever else is registered under its name.
    static void removePropertyClass(const PropertyClass *property);
    static const QList<PropertyClass *> &propertyClasses();

    QList<builtStruct> builtList;
    bool stopRequested = false; // set only by an interactive host, between steps
    bool buildFailed = false;   // set by the builder when a command fails, and by the engine
    // Times of files seen during the run, by absolute path; emptied by build(). Hashed: every
    // header a build looks at goes in once, thousands of them in a big project.
    std::unordered_map<QString, QDateTime, PathHash> fileTimes;

protected:
    bool stopping() const { return buildFailed || stopRequested; }
    // Called once the last step of a build has ended.
    virtual void buildEnded() {}

private:
    bool projectBuildIn(ProjectElement *project, const QString &config, Builder *builder,
                        int flags, bool batch, const QString &solutionConfig);
    bool reportCycle(ProjectElement *project, const QString &config, Builder *builder);

    // Projects whose projectBuild() is in progress, by configuration, to catch cyclic
    // `project_dependencies` before they recurse without end.
    QList<QPair<ProjectElement *, QString>> m_inProgress;
    QSet<ProjectElement *> m_visiting; // buildOrder()'s projects whose dependencies are pending
    struct Stat
    {
        bool exists = false;
        qint64 msecs = 0;      // modification time, in milliseconds since the epoch
        bool recorded = false; // entered into fileTimes already
        bool stale = false;    // rewritten by this build: to be read again when next asked
        FileIdentity identity;
    };
    // `shared`: the name is one of many copies of one string, as the dependency lists of a
    // directory's objects hold them; later copies are then found by the address of their
    // characters instead of by the characters.
    Stat &stat(const QString &absolutePath, bool shared = false);
    // Stats are only remembered while a build runs: between builds files change under us.
    bool m_building = false;
    std::unordered_map<QString, Stat, PathHash> m_statCache;
    // The string kept with each address holds its characters, so that no other string can
    // take that address while the build runs.
    struct SharedName
    {
        QString name;
        Stat *stat;
    };
    std::unordered_map<const QChar *, SharedName> m_statByAddress;
    Stat m_uncached;
};

extern BuildSystem *buildSystem;
