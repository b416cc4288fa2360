#include "macros/build_macros.h"

#include "engine/build_system.h"
#include "host/path.h"
#include "macros/macro_system.h"
#include "project/project_element.h"
#include "project/project_system.h"

#include <QDir>
#include <QFileInfo>

namespace {

using MacroTable = QMap<QString, QString>;

const QString kIntermediateDirectory = QStringLiteral("build_intermediate_directory");
const QString kRootOutputDirectory = QStringLiteral("build_root_output_directory");
const QString kOutputDirectory = QStringLiteral("build_output_directory");

// The resolved setting of the catalogue property `name`; empty when no build system defined it.
QString setting(ProjectElement *e, const QString &name, const QString &configuration)
{
    const PropertyClass *pc = BuildSystem::findPropertyClass(name);
    if (!pc || !projectSystem)
        return QString();
    return projectSystem->settingFor(e, pc, configuration);
}

void addProjectMacros(ProjectElement *e, const QString &configuration, MacroTable &table)
{
    if (!projectSystem || !projectSystem->macrosProperty())
        return;
    const QString value = projectSystem->settingFor(e, projectSystem->macrosProperty(),
                                                    configuration);
    if (value.isEmpty())
        return;
    const MacroTable project =
        MacroSystem::macrosFromStringList(MacroSystem::stringListFromString(value, false));
    for (auto it = project.cbegin(); it != project.cend(); ++it)
        table.insert(it.key(), it.value());
}

ProjectElement *enclosing(ProjectElement *e, ProjectElement::Kind kind)
{
    for (ProjectElement *n = e; n; n = n->parent) {
        if (n->type == kind)
            return n;
    }
    return nullptr;
}

void addProjectNames(ProjectElement *e, const QString &configuration, MacroTable &table)
{
    ProjectElement *project = enclosing(e, ProjectElement::Project);
    if (project) {
        const QString dir = projectSystem ? projectSystem->projectDirectoryPath(project)
                                          : project->directory;
        if (!dir.isNull())
            table.insert(QStringLiteral("ProjectDir"), dir);
        table.insert(QStringLiteral("ProjectName"), project->getName());
    }
    table.insert(QStringLiteral("Configuration"), configuration);
    const QString platform = project && projectSystem ? projectSystem->platform(project)
                                                      : QStringLiteral("arm");
    table.insert(QStringLiteral("Platform"), platform.toLower());
}

// Solution names split at the first ".": "board.rev.zav" is "board" with extension "rev.zav".
void addSolutionNames(ProjectElement *e, MacroTable &table)
{
    ProjectElement *solution = enclosing(e, ProjectElement::Solution);
    if (!solution)
        return;
    const QString path = solution->absolutePath.filePath();
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    table.insert(QStringLiteral("SolutionDir"), info.absolutePath());
    table.insert(QStringLiteral("SolutionName"), info.baseName());
    table.insert(QStringLiteral("SolutionFileName"), info.fileName());
    table.insert(QStringLiteral("SolutionPath"), info.absoluteFilePath());
    table.insert(QStringLiteral("SolutionExt"), info.completeSuffix());
}

// The file's path relative to its project directory when it lies below it; otherwise as the
// project stores it.
QString relativeInputPath(const ProjectElement *file)
{
    const QString &stored = file->filePath;
    if (!Path::isAbsolute(stored) || file->directory.isEmpty())
        return stored;
    const QString prefix = file->directory.endsWith(u'/') ? file->directory
                                                          : file->directory + u'/';
    return stored.startsWith(prefix) ? stored.mid(prefix.size()) : stored;
}

// The directory part of a path as a file information object gives it: "." for a bare name,
// "/" for a name in the root.
QString directoryPart(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

// The input names of a file: split at the last ".", "main.test.c" is "main.test" with extension
// "c". Worked out on the strings: this runs for every file of every build, and the paths are
// already normalised.
struct InputNames
{
    QString dir;
    QString ext;
    QString fileName;
    QString name;
    QString path;
    QString relativePath;
};

// False when the element has none (it is no file, or has no name).
bool inputNames(ProjectElement *e, InputNames &names)
{
    if (!e->isFile())
        return false;
    e->checkDoFileStuff();
    if (e->filePath.isEmpty())
        return false;
    QString full = e->absolutePath.filePath();
    if (!full.startsWith(u'/'))
        full = QFileInfo(full).absoluteFilePath();
    names.fileName = full.mid(full.lastIndexOf(u'/') + 1);
    const qsizetype dot = names.fileName.lastIndexOf(u'.');
    names.dir = directoryPart(e->filePath);
    names.ext = dot < 0 ? QStringLiteral("") : names.fileName.mid(dot + 1);
    names.name = dot < 0 ? names.fileName : names.fileName.left(dot);
    names.path = full;
    names.relativePath = relativeInputPath(e);
    return true;
}

bool addInputNames(ProjectElement *e, MacroTable &table)
{
    InputNames names;
    if (!inputNames(e, names))
        return false;
    // Written in the order of the keys, each from where the last went: they sit side by side in
    // the table, so each write costs a comparison or two instead of a search. A hint that turns
    // out wrong (a global macro between them) only costs the search.
    auto at = table.lowerBound(QStringLiteral("InputDir"));
    at = table.insert(at, QStringLiteral("InputDir"), names.dir);
    at = table.insert(++at, QStringLiteral("InputExt"), names.ext);
    at = table.insert(++at, QStringLiteral("InputFileName"), names.fileName);
    at = table.insert(++at, QStringLiteral("InputName"), names.name);
    table.insert(++at, QStringLiteral("InputPath"), names.path);
    table.insert(QStringLiteral("RelInputPath"), names.relativePath);
    return true;
}

void addExtensions(MacroTable &table)
{
    const bool haveSystem = projectSystem != nullptr;
    table.insert(QStringLiteral("OBJ"),
                 haveSystem ? projectSystem->objectFileExtension() : QStringLiteral(".o"));
    table.insert(QStringLiteral("EXE"),
                 haveSystem ? projectSystem->executableFileExtension() : QStringLiteral(".elf"));
    table.insert(QStringLiteral("LIB"),
                 haveSystem ? projectSystem->libraryFileExtension() : QStringLiteral(".a"));
    table.insert(QStringLiteral("PackageExt"), QStringLiteral("voz"));
}

// The directory names with the values they expand to for one element.
struct Directories
{
    QString intDir;
    QString rootOutDir;
    QString outDir;
    QString rootRelativeOutDir; // null when there is none
};

// Each directory is expanded with the table as it stands, so "$(Configuration)" (their
// default) and earlier directories can be used.
Directories expandDirectories(const QString (&settings)[3], MacroTable &table)
{
    const QString dot = QStringLiteral(".");
    Directories d;
    d.intDir = macroSystem.replaceMacros(table, settings[0]);
    if (d.intDir.isEmpty())
        d.intDir = dot;
    table.insert(QStringLiteral("IntDir"), d.intDir);

    d.rootOutDir = macroSystem.replaceMacros(table, settings[1]);
    if (d.rootOutDir.isNull())
        d.rootOutDir = QStringLiteral("");
    table.insert(QStringLiteral("RootOutDir"), d.rootOutDir);

    d.outDir = macroSystem.replaceMacros(table, settings[2]);
    if (d.outDir.isEmpty())
        d.outDir = dot;
    table.insert(QStringLiteral("OutDir"), d.outDir);

    QString relative;
    if (!d.rootOutDir.isEmpty() && Path::relativeDirPath(d.outDir, d.rootOutDir, relative)) {
        d.rootRelativeOutDir = relative;
        table.insert(QStringLiteral("RootRelativeOutDir"), relative);
    }
    return d;
}

void insertDirectories(const Directories &d, MacroTable &table)
{
    table.insert(QStringLiteral("IntDir"), d.intDir);
    table.insert(QStringLiteral("RootOutDir"), d.rootOutDir);
    table.insert(QStringLiteral("OutDir"), d.outDir);
    if (!d.rootRelativeOutDir.isNull())
        table.insert(QStringLiteral("RootRelativeOutDir"), d.rootRelativeOutDir);
}

// The part of the table that every element of a project shares: the global macros, the
// project's own macros, the project, solution and extension names. A build asks for the table
// of every file it looks at, so the part is kept and reused while nothing it came from has
// changed: the element tree, the values, the global table, and the project macros setting
// (which a file may set for itself).
struct SharedPart
{
    ProjectElement *project = nullptr;
    QString configuration;
    QString projectMacros;
    quint64 structure = 0;
    quint64 values = 0;
    MacroTable globals;
    MacroTable table;
};

QString projectMacrosSetting(ProjectElement *e, const QString &configuration)
{
    if (!projectSystem || !projectSystem->macrosProperty())
        return QString();
    return projectSystem->settingFor(e, projectSystem->macrosProperty(), configuration);
}

const MacroTable &sharedPart(ProjectElement *e, const QString &configuration)
{
    static SharedPart part;
    ProjectElement *project = enclosing(e, ProjectElement::Project);
    const MacroTable globals = macroSystem.globalMacros(true);
    const QString projectMacros = projectMacrosSetting(e, configuration);
    if (project && part.project == project && part.configuration == configuration
        && part.structure == ProjectElement::structureGeneration()
        && part.values == ProjectElement::valueGeneration() && part.globals.isSharedWith(globals)
        && part.projectMacros == projectMacros)
        return part.table;
    part = SharedPart{project,
                      configuration,
                      projectMacros,
                      ProjectElement::structureGeneration(),
                      ProjectElement::valueGeneration(),
                      globals,
                      globals};
    addProjectMacros(e, configuration, part.table);
    addProjectNames(e, configuration, part.table);
    addSolutionNames(e, part.table);
    addExtensions(part.table);
    return part.table;
}

// Gives `name` in `table` the value the shared part has for it, or removes it.
void restore(MacroTable &table, const MacroTable &shared, const QString &name)
{
    const auto it = shared.constFind(name);
    if (it == shared.cend())
        table.remove(name);
    else
        table.insert(name, *it);
}

// The table of the last element asked for: the shared part plus that element's own names.
// Building each table afresh copied the whole shared part and freed it again; instead the
// element's names are written over the last element's. The copy handed out shares this one's
// data, so as long as the caller has let go of it by the next request, nothing is copied.
MacroTable &elementTable(const MacroTable &shared)
{
    static MacroTable table;
    static MacroTable base;
    if (!base.isSharedWith(shared)) {
        base = shared;
        table = shared;
    }
    return table;
}

const QString kInputNames[] = {QStringLiteral("InputDir"),      QStringLiteral("InputName"),
                               QStringLiteral("InputFileName"), QStringLiteral("InputExt"),
                               QStringLiteral("InputPath"),     QStringLiteral("RelInputPath")};
// Reset before the directories are expanded, which must not see the last element's values.
const QString kDirectoryNames[] = {QStringLiteral("IntDir"), QStringLiteral("RootOutDir"),
                                   QStringLiteral("OutDir"), QStringLiteral("RootRelativeOutDir")};

bool isElementName(QStringView name)
{
    if (name == u"ProjectNodeName")
        return true;
    for (const QString &n : kInputNames) {
        if (name == n)
            return true;
    }
    for (const QString &n : kDirectoryNames) {
        if (name == n)
            return true;
    }
    return false;
}

// One reference of the kind the whole table resolves in a single pass: "$(", a name, an
// optional ":" fallback (with "::", taken literally), ")", and no "$" or "(" inside.
struct PlainReference
{
    enum Kind { None, Plain, Unclosed, NotPlain };
    qsizetype start = 0; // of the "$("
    qsizetype end = 0;   // just after the ")"
    QStringView name;
    QStringView fallback;
    bool hasFallback = false;
};

// The next reference at or after `from` in `in`, and what kind it is.
PlainReference::Kind nextReference(QStringView in, qsizetype from, PlainReference &ref)
{
    ref.start = findMacroReference(in, from);
    if (ref.start < 0)
        return PlainReference::None;
    qsizetype close = ref.start + 2;
    for (; close < in.size() && in[close] != u')'; ++close) {
        if (in[close] == u'$' || in[close] == u'(')
            return PlainReference::NotPlain;
    }
    if (close == in.size())
        return PlainReference::Unclosed;
    ref.end = close + 1;
    const QStringView inner = in.mid(ref.start + 2, close - ref.start - 2);
    const qsizetype colon = inner.indexOf(u':');
    ref.hasFallback = colon >= 0;
    ref.name = ref.hasFallback ? inner.left(colon) : inner;
    ref.fallback = ref.hasFallback ? inner.mid(colon + 1) : QStringView();
    if (ref.fallback.startsWith(u':'))
        ref.fallback = ref.fallback.mid(1);
    return PlainReference::Plain;
}

// True when `text` expands to the same value for every element that shares `shared`: each
// reference is plain and names something other than an element's own names or a date, and what
// it names refers to nothing further. Otherwise the text is expanded for each element.
bool expandsAlikeForEveryElement(const QString &text, const MacroTable &shared)
{
    PlainReference ref;
    PlainReference::Kind kind;
    for (qsizetype from = 0; (kind = nextReference(text, from, ref)) != PlainReference::None;
         from = ref.end) {
        if (kind != PlainReference::Plain)
            return false;
        const QString key = QString::fromRawData(ref.name.data(), ref.name.size());
        if (isElementName(ref.name) || MacroSystem::isDynamicMacro(key))
            return false;
        const auto it = shared.constFind(key);
        if (it != shared.cend() && it->contains(u'$'))
            return false;
    }
    return true;
}

// The directories of the last element, kept while they are known to come out the same for the
// next: in a project whose files do not set their own, every file has the same ones.
struct DirectoryCache
{
    bool valid = false;
    MacroTable shared;
    QString settings[3];
    Directories directories;
};

DirectoryCache directoryCache;

struct DirectorySettings
{
    QString values[3];
};

DirectorySettings directorySettings(ProjectElement *e, const QString &configuration)
{
    return {{setting(e, kIntermediateDirectory, configuration),
             setting(e, kRootOutputDirectory, configuration),
             setting(e, kOutputDirectory, configuration)}};
}

// The kept directories when they are the element's; null when they must be expanded for it.
const Directories *cachedDirectories(const DirectorySettings &settings, const MacroTable &shared)
{
    const DirectoryCache &cache = directoryCache;
    if (cache.valid && cache.shared.isSharedWith(shared) && cache.settings[0] == settings.values[0]
        && cache.settings[1] == settings.values[1] && cache.settings[2] == settings.values[2])
        return &cache.directories;
    return nullptr;
}

// What the element's table holds under one of the element's own names, found without building
// the table; false when it cannot be told here (the directories are not kept for it). `found`
// is false when the table has no such name.
bool elementValue(ProjectElement *e, const QString &configuration, const MacroTable &shared,
                  QStringView name, QString &value, bool &found)
{
    static const QString kInput = QStringLiteral("Input");
    found = true;
    if (name == u"ProjectNodeName") {
        value = e->getName();
        return true;
    }
    const auto fromShared = [&] {
        const auto it = shared.constFind(QString::fromRawData(name.data(), name.size()));
        found = it != shared.cend();
        if (found)
            value = *it;
        return true;
    };
    if (name.startsWith(kInput) || name == u"RelInputPath") {
        InputNames names;
        if (!inputNames(e, names))
            return fromShared();
        value = name == u"InputDir"        ? names.dir
                : name == u"InputExt"      ? names.ext
                : name == u"InputFileName" ? names.fileName
                : name == u"InputName"     ? names.name
                : name == u"InputPath"     ? names.path
                                           : names.relativePath;
        return true;
    }
    const Directories *d = cachedDirectories(directorySettings(e, configuration), shared);
    if (!d)
        return false;
    if (name == u"IntDir")
        value = d->intDir;
    else if (name == u"RootOutDir")
        value = d->rootOutDir;
    else if (name == u"OutDir")
        value = d->outDir;
    else if (d->rootRelativeOutDir.isNull())
        return fromShared();
    else
        value = d->rootRelativeOutDir;
    return true;
}

} // namespace

bool expandBuildMacros(ProjectElement *e, const QString &configuration, const QString &text,
                       QString &result)
{
    if (!e)
        return false;
    const MacroTable &shared = sharedPart(e, configuration);
    const QStringView in(text);
    QString out;
    qsizetype copied = 0;
    PlainReference ref;
    PlainReference::Kind kind;
    while ((kind = nextReference(in, copied, ref)) == PlainReference::Plain) {
        out += in.mid(copied, ref.start - copied);
        const QString key = QString::fromRawData(ref.name.data(), ref.name.size());
        if (MacroSystem::isDynamicMacro(key))
            return false;
        QString value;
        bool found = false;
        if (isElementName(ref.name)) {
            if (!elementValue(e, configuration, shared, ref.name, value, found))
                return false;
        } else {
            const auto it = shared.constFind(key);
            found = it != shared.cend();
            if (found)
                value = *it;
        }
        if (found)
            out += value;
        else if (ref.hasFallback)
            out += ref.fallback;
        else
            out += in.mid(ref.start, ref.end - ref.start);
        copied = ref.end;
    }
    // An unclosed reference and the rest after it are copied as they are.
    if (kind == PlainReference::NotPlain)
        return false;
    if (copied == 0) {
        result = text;
        return true;
    }
    out += in.mid(copied);
    result = out;
    return true;
}

QMap<QString, QString> buildMacros(ProjectElement *e, const QString &configuration)
{
    if (!e)
        return macroSystem.globalMacros(true);
    const MacroTable &shared = sharedPart(e, configuration);
    MacroTable &table = elementTable(shared);
    table.insert(QStringLiteral("ProjectNodeName"), e->getName());
    if (!addInputNames(e, table)) {
        for (const QString &name : kInputNames)
            restore(table, shared, name);
    }

    DirectoryCache &cache = directoryCache;
    const DirectorySettings directory = directorySettings(e, configuration);
    const QString(&settings)[3] = directory.values;
    if (const Directories *kept = cachedDirectories(directory, shared)) {
        insertDirectories(*kept, table);
        if (kept->rootRelativeOutDir.isNull())
            restore(table, shared, kDirectoryNames[3]);
        return table;
    }
    for (const QString &name : kDirectoryNames)
        restore(table, shared, name);
    const Directories directories = expandDirectories(settings, table);
    cache.valid = expandsAlikeForEveryElement(settings[0], shared)
                  && expandsAlikeForEveryElement(settings[1], shared)
                  && expandsAlikeForEveryElement(settings[2], shared);
    if (cache.valid) {
        cache.shared = shared;
        for (int i = 0; i < 3; ++i)
            cache.settings[i] = settings[i];
        cache.directories = directories;
    }
    return table;
}

QString armLibExt(const ARMLibrarySettings &s)
{
    QString ext = QStringLiteral("_");
    const QString &arch = s.architecture;
    if (arch == u"ARM4T" || arch == u"v4T" || arch == u"v5T")
        ext += s.interwork == u"Yes" ? u"v4t" : u"v4";
    else if (arch == u"v5TE")
        ext += u"v5te";
    else if (arch == u"v6")
        ext += u"v6";
    else if (arch == u"v6T2")
        ext += u"v6t2";
    else if (arch == u"v6M")
        ext += u"v6m";
    else if (arch == u"v7M")
        ext += u"v7m";
    if (s.fpAbi == u"SoftFP")
        ext += u"_vfp";
    ext += s.instructionSet == u"ARM" ? u"_a" : u"_t";
    ext += s.endian == u"Little" ? u"_le" : u"_be";
    return ext;
}

QString armLoaderType(const QString &flashLoaderType)
{
    if (flashLoaderType == u"Comms Channel Loader" || flashLoaderType == u"Fast Comms Channel Loader")
        return QStringLiteral("dcc");
    if (flashLoaderType == u"RAM Loader")
        return QStringLiteral("ram");
    if (flashLoaderType == u"Flash Library RPC Loader")
        return QStringLiteral("rpc");
    return QString("");
}

void addARMBuildMacros(ProjectElement *e, const QString &configuration,
                       QMap<QString, QString> &table)
{
    if (!e || !e->isProject())
        return;
    // A project without a type of its own is an executable, the default project type.
    const QString type = projectSystem ? projectSystem->getProjectType(e) : QString();
    const bool executable = type.isEmpty() || type == u"Executable";
    ARMLibrarySettings s;
    s.architecture = setting(e, QStringLiteral("arm_architecture"), configuration);
    s.interwork = setting(e, QStringLiteral("arm_interwork"), configuration);
    s.fpAbi = setting(e, QStringLiteral("arm_fp_abi"), configuration);
    s.instructionSet = setting(e,
                               executable ? QStringLiteral("arm_library_instruction_set")
                                          : QStringLiteral("arm_instruction_set"),
                               configuration);
    s.endian = setting(e, QStringLiteral("arm_endian"), configuration);
    table.insert(QStringLiteral("LibExt"), armLibExt(s));
    table.insert(QStringLiteral("LoaderType"),
                 armLoaderType(setting(e, QStringLiteral("arm_target_flash_loader_type"),
                                       configuration)));
}
