// KestrelArgParse: the options of the kestrel command line.
#pragma once

#include "driver/arg_parse.h"

#include <QString>
#include <QStringList>
#include <functional>

// Strings stay null until their option is given (an option with an empty argument makes
// them empty, which the driver's exclusivity check tells apart). -D, -rootuserdir,
// -templatesfile and -help act as soon as they are met.
class KestrelArgParse : public ArgParse
{
public:
    KestrelArgParse();

    void onArgument(const char *argument) override;

    // The build flags word: -clean gives BuildClean, BuildRebuild and BuildNoBuild, -rebuild
    // BuildRebuild, and BuildQuiet is added unless -verbose is given.
    int buildFlags() const;

    // What -D and -templatesfile act on; the driver points them at the macro system and the
    // project templates, tests at recorders.
    std::function<void(const QString &name, const QString &value)> defineGlobalMacro;
    std::function<void(const QString &file)> setTemplatesFile;
    // -help prints the help and ends the process; tests replace it.
    std::function<void()> helpRequested;

    QString configName;
    QString solutionFileName;
    QString projectName;
    QString solutionName;
    QString studioDir;
    QString packagesDir;
    QString templateName;
    QString projectType;
    QStringList files;
    QStringList properties;
    bool batch = false;
    bool clean = false;
    bool echo = false;
    bool show = false;
    bool rebuild = false;
    bool verbose = false;
    // -j: how many build steps may run at the same time; 0 gives one per processor core.
    int jobs = 1;
    // -compile-commands: the compile commands file to write before building (null: none).
    QString compileCommandsFile;
    // -progress: each step's group line starts with its number and the project's step count.
    bool progress = false;
    // -check: report what the solution file says that the build would ignore, build nothing.
    bool check = false;
    // -memory-usage: after each link, how full each memory region is.
    bool memoryUsage = false;
    // -memory-usage-json: the same figures written to this file (null: none).
    QString memoryUsageFile;
    // -trace: the build's steps and kestrel's own phases as a trace event file (null: none).
    QString traceFile;
    // -launcher: the compiler launcher's command (null: not given, KESTREL_LAUNCHER decides;
    // empty: none).
    QString launcher;

private:
    void onCompileCommands(const char *option, const char *argument);
    void onConfig(const char *option, const char *argument);
    void onDefineMacro(const char *option, const char *argument);
    void onFile(const char *option, const char *argument);
    void onHelp(const char *option, const char *argument);
    void onJobs(const char *option, const char *argument);
    void onMemoryUsageFile(const char *option, const char *argument);
    void onLauncher(const char *option, const char *argument);
    void onPackagesDir(const char *option, const char *argument);
    void onProject(const char *option, const char *argument);
    void onProperty(const char *option, const char *argument);
    void onRootUserDir(const char *option, const char *argument);
    void onSolution(const char *option, const char *argument);
    void onStudioDir(const char *option, const char *argument);
    void onTemplate(const char *option, const char *argument);
    void onTemplatesFile(const char *option, const char *argument);
    void onTrace(const char *option, const char *argument);
    void onType(const char *option, const char *argument);
};

// Splits "name=value" at the first "=": the value is null when there is no "=" (the whole
// text is the name then) and empty when nothing follows it.
void splitAssignment(const QString &text, QString &name, QString &value);
