#include "driver/kestrel_arg_parse.h"

#include "engine/build_flags.h"
#include "driver/help_text.h"
#include "host/user_data_dir.h"

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <thread>

namespace {

// Command-line words are in the host's 8-bit encoding, the same one file names use. A word
// is never null: an option given with an empty argument is present.
QString fromWord(const char *word)
{
    const QString text = QString::fromLocal8Bit(word);
    return text.isNull() ? QStringLiteral("") : text;
}

template <typename Member>
ArgParse::Handler handler(Member member)
{
    return static_cast<ArgParse::Handler>(member);
}

} // namespace

void splitAssignment(const QString &text, QString &name, QString &value)
{
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) {
        name = text;
        value = QString();
        return;
    }
    name = text.left(equals);
    value = text.mid(equals + 1);
    if (value.isNull())
        value = QStringLiteral("");
}

KestrelArgParse::KestrelArgParse()
{
    onFlag("-batch", &batch);
    onFlag("-check", &check);
    onFlag("-clean", &clean);
    onOptionGetArgAndCall("-compile-commands", false,
                          handler(&KestrelArgParse::onCompileCommands));
    onOptionGetArgAndCall("-config", false, handler(&KestrelArgParse::onConfig));
    onOptionGetArgAndCall("-D", false, handler(&KestrelArgParse::onDefineMacro));
    onFlag("-echo", &echo);
    onOptionGetArgAndCall("-file", false, handler(&KestrelArgParse::onFile));
    onOptionCall("-help", handler(&KestrelArgParse::onHelp));
    onOptionGetArgAndCall("-j", false, handler(&KestrelArgParse::onJobs));
    onOptionGetArgAndCall("-launcher", false, handler(&KestrelArgParse::onLauncher));
    onFlag("-memory-usage", &memoryUsage);
    onOptionGetArgAndCall("-memory-usage-json", false,
                          handler(&KestrelArgParse::onMemoryUsageFile));
    onOptionGetArgAndCall("-packagesdir", false, handler(&KestrelArgParse::onPackagesDir));
    onFlag("-progress", &progress);
    onOptionGetArgAndCall("-project", false, handler(&KestrelArgParse::onProject));
    onOptionGetArgAndCall("-property", false, handler(&KestrelArgParse::onProperty));
    onFlag("-rebuild", &rebuild);
    onOptionGetArgAndCall("-rootuserdir", false, handler(&KestrelArgParse::onRootUserDir));
    onFlag("-show", &show);
    onOptionGetArgAndCall("-solution", false, handler(&KestrelArgParse::onSolution));
    onOptionGetArgAndCall("-studiodir", false, handler(&KestrelArgParse::onStudioDir));
    onOptionGetArgAndCall("-StudioDir", false, handler(&KestrelArgParse::onStudioDir));
    onOptionGetArgAndCall("-template", false, handler(&KestrelArgParse::onTemplate));
    onOptionGetArgAndCall("-templatesfile", false, handler(&KestrelArgParse::onTemplatesFile));
    onOptionGetArgAndCall("-trace", false, handler(&KestrelArgParse::onTrace));
    onOptionGetArgAndCall("-type", false, handler(&KestrelArgParse::onType));
    onFlag("-verbose", &verbose);
}

int KestrelArgParse::buildFlags() const
{
    int flags = 0;
    if (clean)
        flags |= BuildClean | BuildRebuild | BuildNoBuild;
    if (rebuild)
        flags |= BuildRebuild;
    if (!verbose)
        flags |= BuildQuiet;
    return flags;
}

void KestrelArgParse::onArgument(const char *argument)
{
    solutionFileName = fromWord(argument);
}

void KestrelArgParse::onCompileCommands(const char *, const char *argument)
{
    compileCommandsFile = fromWord(argument);
}

void KestrelArgParse::onMemoryUsageFile(const char *, const char *argument)
{
    memoryUsageFile = fromWord(argument);
}

void KestrelArgParse::onTrace(const char *, const char *argument)
{
    traceFile = fromWord(argument);
}

void KestrelArgParse::onConfig(const char *, const char *argument)
{
    configName = fromWord(argument);
}

void KestrelArgParse::onDefineMacro(const char *, const char *argument)
{
    QString name;
    QString value;
    splitAssignment(fromWord(argument), name, value);
    if (defineGlobalMacro)
        defineGlobalMacro(name, value);
}

void KestrelArgParse::onFile(const char *, const char *argument)
{
    files.append(fromWord(argument));
}

void KestrelArgParse::onHelp(const char *, const char *)
{
    if (helpRequested) {
        helpRequested();
        return;
    }
    printHelp(stderr);
    std::exit(0);
}

void KestrelArgParse::onJobs(const char *, const char *argument)
{
    bool ok = false;
    const int count = fromWord(argument).toInt(&ok);
    if (!ok || count < 0) {
        error() << "-j expects a number of jobs, not '" << argument << "'" << std::endl;
        return;
    }
    jobs = count > 0 ? count : int(std::max(1U, std::thread::hardware_concurrency()));
}

void KestrelArgParse::onLauncher(const char *, const char *argument)
{
    launcher = fromWord(argument);
}

void KestrelArgParse::onPackagesDir(const char *, const char *argument)
{
    packagesDir = fromWord(argument);
}

void KestrelArgParse::onProject(const char *, const char *argument)
{
    projectName = fromWord(argument);
}

void KestrelArgParse::onProperty(const char *, const char *argument)
{
    properties.append(fromWord(argument));
}

void KestrelArgParse::onRootUserDir(const char *, const char *argument)
{
    setRootUserDataDir(fromWord(argument));
}

void KestrelArgParse::onSolution(const char *, const char *argument)
{
    solutionName = fromWord(argument);
}

void KestrelArgParse::onStudioDir(const char *, const char *argument)
{
    studioDir = fromWord(argument);
}

void KestrelArgParse::onTemplate(const char *, const char *argument)
{
    templateName = fromWord(argument);
}

void KestrelArgParse::onTemplatesFile(const char *, const char *argument)
{
    if (setTemplatesFile)
        setTemplatesFile(fromWord(argument));
}

void KestrelArgParse::onType(const char *, const char *argument)
{
    projectType = fromWord(argument);
}
