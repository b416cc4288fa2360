// Loading solution files into the element tree, the project and solution lists, lookups and
// the creation of nodes.
#include "project/project_system.h"

#include "host/path.h"
#include "host/product.h"
#include "macros/macro_system.h"
#include "project/property_class.h"
#include "project/solution_load_error.h"
#include "xml/xml_document.h"
#include "xml/xml_element.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <memory>
#include <sys/stat.h>

ProjectSystem *projectSystem = nullptr;

namespace {

const QString kCommon = QStringLiteral("Common");
const QString kName = QStringLiteral("Name");
const QString kVersion = QStringLiteral("version");
const QString kCurrentVersion = QStringLiteral("2");
const QString kTemplateName = QStringLiteral("template_name");
const QString kPath = QStringLiteral("path");
const QString kFileName = QStringLiteral("file_name");

// Bounds that keep a hostile or broken set of files from exhausting the stack or looping:
// far beyond anything a real solution needs.
constexpr int kMaxElementDepth = 1000;
constexpr int kMaxImportDepth = 64;
constexpr int kMaxLoadedFiles = 10000;

// True when the file is there, or when a directory on its way cannot be searched: such a file
// is not missing, it is out of reach, and the user must be told that instead.
bool existsOrIsBlocked(const QString &file)
{
    struct stat status;
    if (::stat(QFile::encodeName(file).constData(), &status) == 0)
        return true;
    return errno == EACCES;
}

QString solutionDocType()
{
    return Get_STUDIO_NAME() + QStringLiteral("_Project_File");
}

QString directoryOfFile(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

// Pops the file off the stack of files being loaded however its loading ends.
class LoadingFileScope
{
public:
    LoadingFileScope(QStringList &files, const QString &path) : m_files(files)
    {
        m_files.append(path);
    }
    ~LoadingFileScope() { m_files.removeLast(); }
    LoadingFileScope(const LoadingFileScope &) = delete;
    LoadingFileScope &operator=(const LoadingFileScope &) = delete;

private:
    QStringList &m_files;
};

class DepthScope
{
public:
    explicit DepthScope(int &depth) : m_depth(depth) { ++m_depth; }
    ~DepthScope() { --m_depth; }
    DepthScope(const DepthScope &) = delete;
    DepthScope &operator=(const DepthScope &) = delete;

private:
    int &m_depth;
};

} // namespace

void ProjectSystem::closeSolution()
{
    m_projectNames.clear();
    m_solutionNames.clear();
    m_solutions.clear();
    m_loadingFiles.clear();
    m_templatedElements.clear();
    m_dynamicFolders.clear();
    delete m_solution;
    m_solution = nullptr;
    m_lookupChains.clear();
    m_lastAnchor = nullptr;
    m_lastChain = nullptr;
}

void ProjectSystem::loadSolution(const QString &path, ProjectFileNotFoundErrorHandler *fileHandler,
                                 TemplateNotFoundErrorHandler *templateHandler)
{
    closeSolution();
    try {
        m_solution = loadProjectFile(QString(), path, fileHandler);
        if (!m_templatedElements.isEmpty()) {
            instantiateTemplates(templateHandler);
            m_solution->markClean();
        }
        updateProjectList();
        if (!m_dynamicFolders.isEmpty()) {
            for (ProjectElement *folder : std::as_const(m_dynamicFolders))
                populateDynamicFolder(folder);
            m_solution->markClean();
        }
    } catch (...) {
        closeSolution();
        throw;
    }
}

void ProjectSystem::instantiateTemplates(TemplateNotFoundErrorHandler *templateHandler)
{
    std::shared_ptr<ProjectTemplates> templates = openProjectTemplates();
    for (ProjectElement *node : std::as_const(m_templatedElements)) {
        const QString projectName = node->attribute(kName);
        QString templateName = node->attribute(kTemplateName);
        node->removeAttribute(kTemplateName);
        if (templateName.isEmpty() &&
            !(templateHandler &&
              templateHandler->retry(templates.get(), projectName, templateName))) {
            throw SolutionLoadError(QStringLiteral("no template for project "), false, projectName);
        }
        if (!templates) {
            throw SolutionLoadError(templateName, false,
                                    QStringLiteral(" project template not found (project "
                                                   "templates are not available)"));
        }
        if (!instantiateProjectTemplate(templates.get(), solutionContaining(node), node,
                                        templateName)) {
            throw SolutionLoadError(templateName, false,
                                    QStringLiteral(" project template not found"));
        }
    }
}

std::shared_ptr<ProjectTemplates> ProjectSystem::openProjectTemplates()
{
    return nullptr;
}

bool ProjectSystem::instantiateProjectTemplate(ProjectTemplates *, ProjectElement *,
                                               ProjectElement *, const QString &)
{
    return false;
}

void ProjectSystem::populateDynamicFolder(ProjectElement *folder)
{
    throw SolutionLoadError(folder->attribute(kPath), false,
                            QStringLiteral(": dynamic folders are not available"));
}

ProjectElement *ProjectSystem::loadProjectFile(const QString &directory, const QString &fileName,
                                               ProjectFileNotFoundErrorHandler *handler)
{
    if (m_loadingFiles.isEmpty()) {
        // The bounds count per top-level file, imports included.
        m_loadedFiles = 0;
        m_elementDepth = 0;
    }
    QString file = fileName;
    if (!existsOrIsBlocked(file) && !directory.isEmpty())
        file = directory + u'/' + fileName;
    if (!existsOrIsBlocked(file) && !(handler && handler->retry(fileName)))
        throw SolutionLoadError(fileName, false, QStringLiteral(" does not exist"));
    QFile probe(file);
    if (!QFileInfo(file).isFile() || !probe.open(QIODevice::ReadOnly))
        throw SolutionLoadError(fileName, false, QStringLiteral(" cannot access"));
    probe.close();

    const QFileInfo info(file);
    // The canonical path sees through symbolic links and "..", so every cycle is caught.
    const QString identity = info.canonicalFilePath();
    if (m_loadingFiles.contains(identity))
        throw SolutionLoadError(identity, false, QStringLiteral(" solution already loaded"));
    if (m_loadingFiles.size() >= kMaxImportDepth)
        throw SolutionLoadError(
            fileName, false,
            QStringLiteral(" imports solutions nested more than %1 deep").arg(kMaxImportDepth));
    if (++m_loadedFiles > kMaxLoadedFiles)
        throw SolutionLoadError(
            fileName, false,
            QStringLiteral(": the solution imports more than %1 files").arg(kMaxLoadedFiles));

    auto document = std::make_unique<XMLDocument>(false);
    if (!document->load(file)) {
        throw SolutionLoadError(fileName, true, QString::fromUtf8(document->errorMessage),
                                int(document->errorLine), 0);
    }
    const bool rightType =
        document->docType && QString::fromUtf8(document->docType) == solutionDocType();
    if (!rightType || !document->root || !document->root->tagIs("solution"))
        throw SolutionLoadError(fileName, false, QStringLiteral(" not a solution file"));

    QString absolute = info.absoluteFilePath();
    Path::removeRelativePaths(absolute);
    std::unique_ptr<ProjectElement> root;
    {
        LoadingFileScope loading(m_loadingFiles, identity);
        root.reset(domToElement(directoryOfFile(absolute), document->root, handler));
    }
    root->setPath(absolute);
    root->loadTime = info.lastModified();
    if (root->attribute(kVersion) != kCurrentVersion) {
        munge(root.get());
        root->setAttribute(kVersion, kCurrentVersion, false);
    }
    root->markClean();
    return root.release();
}

ProjectElement *ProjectSystem::domToElement(const QString &directory, XMLElement *element,
                                            ProjectFileNotFoundErrorHandler *handler)
{
    DepthScope depth(m_elementDepth);
    if (m_elementDepth > kMaxElementDepth) {
        throw SolutionLoadError(
            m_loadingFiles.isEmpty() ? QString() : m_loadingFiles.last(), false,
            QStringLiteral(": elements nested more than %1 deep").arg(kMaxElementDepth));
    }
    if (element->tagIs("import"))
        return importSolution(directory, element, handler);

    auto node = std::make_unique<ProjectElement>(QUtf8StringView(element->tagName()));
    node->setAttributesFrom(element);
    node->sourceLine = element->lineNumber() + 1;
    if (node->hasAttribute(kTemplateName))
        m_templatedElements.append(node.get());
    else if (node->hasAttribute(kPath))
        m_dynamicFolders.append(node.get());
    for (XMLElement *child = element->firstChildElement(); child;
         child = child->nextSiblingElement()) {
        node->appendChild(domToElement(directory, child, handler));
    }
    node->modified = false;
    return node.release();
}

ProjectElement *ProjectSystem::importSolution(const QString &directory, XMLElement *element,
                                              ProjectFileNotFoundErrorHandler *handler)
{
    const char *raw = element->attribute("file_name");
    if (!raw || !*raw) {
        throw SolutionLoadError(m_loadingFiles.isEmpty() ? QString() : m_loadingFiles.last(), false,
                                QStringLiteral(": import without a file_name"));
    }
    const QString fileName = QString::fromUtf8(raw);
    ProjectElement *node =
        loadProjectFile(directory, macroSystem.replaceGlobalMacros(fileName), handler);
    // Set directly: the node keeps the absolute path it was loaded from.
    node->attributeMap.insert(kFileName, fileName);
    node->imported = true;
    return node;
}

void ProjectSystem::updateProjectList()
{
    m_solutions.clear();
    m_projectNames.clear();
    m_solutionNames.clear();
    if (!m_solution)
        return;
    m_solution->projects.clear();
    collectProjects(m_solution, QString(), m_solution->projects, true);
    m_solutions.insert(m_solution->getName(), m_solution);
    m_solution->updateInheritenceMap();
    m_projectNames = m_solution->projects.keys();
    m_solutionNames = m_solutions.keys();
}

// Enters the projects below `solution` into `projects`, qualified by the chain of solution
// names. Only the walk from the top registers solutions and rebuilds each nested solution's own
// project list (its direct and nested projects, qualified from it), so that every solution is
// rebuilt once however deep the nesting.
void ProjectSystem::collectProjects(ProjectElement *solution, const QString &qualifier,
                                    QMap<QString, ProjectElement *> &projects, bool topWalk)
{
    for (ProjectElement *child = solution->firstChild; child; child = child->nextSibling) {
        if (child->isProject()) {
            const QString name = child->getName();
            projects.insert(qualifier.isEmpty() ? name : name + u'(' + qualifier + u')', child);
            continue;
        }
        if (!child->isSolution())
            continue;
        const QString name = child->getName();
        const QString q = qualifier.isEmpty() ? name : qualifier + u',' + name;
        if (topWalk)
            m_solutions.insert(q, child);
        collectProjects(child, q, projects, topWalk);
        if (topWalk) {
            child->projects.clear();
            collectProjects(child, QString(), child->projects, false);
            child->updateInheritenceMap();
        }
    }
}

void ProjectSystem::loadedSolution()
{
    updateProjectList();
    if (m_solution)
        m_solution->markClean();
}

QMap<QString, ProjectElement *> &ProjectSystem::solutionProjects(ProjectElement *e) const
{
    static QMap<QString, ProjectElement *> none;
    if (e && e->isSolution())
        return e->projects;
    if (m_solution)
        return m_solution->projects;
    none.clear();
    return none;
}

ProjectElement *ProjectSystem::projectContaining(ProjectElement *e) const
{
    while (e && !e->isProject())
        e = e->parent;
    return e;
}

ProjectElement *ProjectSystem::solutionContaining(ProjectElement *e) const
{
    while (e && !e->isSolution())
        e = e->parent;
    return e;
}

int ProjectSystem::numProjects(ProjectElement *e) const
{
    int count = 0;
    for (ProjectElement *child = e ? e->firstChild : nullptr; child; child = child->nextSibling)
        count += child->isProject() ? 1 : 0;
    return count;
}

ProjectElement *ProjectSystem::findProject(ProjectElement *e, const QString &name) const
{
    for (ProjectElement *s = solutionContaining(e); s; s = solutionContaining(s->parent)) {
        if (ProjectElement *project = s->projects.value(name, nullptr))
            return project;
    }
    return nullptr;
}

QString ProjectSystem::getGlobalProjectName(ProjectElement *project) const
{
    if (!m_solution)
        return QString();
    for (auto it = m_solution->projects.cbegin(); it != m_solution->projects.cend(); ++it) {
        if (*it == project)
            return it.key();
    }
    return QString();
}

ProjectElement *ProjectSystem::findConfiguration(ProjectElement *e, const QString &name) const
{
    return e ? e->getConfigurationElement(name) : nullptr;
}

ProjectElement *ProjectSystem::findFolder(ProjectElement *parent, const QString &name) const
{
    for (ProjectElement *c = parent ? parent->firstChild : nullptr; c; c = c->nextSibling) {
        if (c->isFolder() && c->getName() == name)
            return c;
    }
    return nullptr;
}

ProjectElement *ProjectSystem::findFile(ProjectElement *parent, const QString &fileName) const
{
    for (ProjectElement *c = parent ? parent->firstChild : nullptr; c; c = c->nextSibling) {
        if (c->isFile() && c->getFileName() == fileName)
            return c;
    }
    return nullptr;
}

ProjectElement *ProjectSystem::findByName(ProjectElement *e, const QString &name) const
{
    ProjectElement *const end = e ? e->parent : nullptr;
    for (ProjectElement *n = e; n;) {
        if (n->getName() == name)
            return n;
        if (n->firstChild) {
            n = n->firstChild;
            continue;
        }
        while (n != end && !n->nextSibling)
            n = n->parent;
        if (n == end)
            return nullptr;
        n = n->nextSibling;
    }
    return nullptr;
}

QString ProjectSystem::projectDirectoryPath(ProjectElement *project) const
{
    if (!project)
        return QString();
    project->checkDoFileStuff();
    return project->directory;
}

QString ProjectSystem::defaultFileLocation(ProjectElement *e) const
{
    return projectDirectoryPath(projectContaining(e));
}

QString ProjectSystem::solutionFilePath() const
{
    return m_solution ? m_solution->absolutePath.filePath() : QString();
}

QString ProjectSystem::absoluteProjectFilePath(const QString &path, const QString &base)
{
    return Path::isAbsolute(path) ? path : base + u'/' + path;
}

ProjectElement *ProjectSystem::createSolution(const QString &name, const QString &directory)
{
    closeSolution();
    auto *node = new ProjectElement(QStringLiteral("solution"));
    node->setAttribute(kName, name, false);
    node->setAttribute(kVersion, kCurrentVersion, false);
    const QString file = directory + u'/' + name + QStringLiteral(".zav");
    node->setPath(file);
    Path::ensureDirExists(node->absolutePath.filePath());
    m_solution = node;
    updateProjectList();
    return node;
}

ProjectElement *ProjectSystem::createProject(ProjectElement *solution, const QString &name,
                                             const QString &directory, const QString &type)
{
    auto *project = new ProjectElement(QStringLiteral("project"));
    project->setAttribute(kName, name, false);
    solution->appendChild(project);
    updateProjectList();
    QString relative;
    if (!Path::relativeDirPath(directoryOfFile(solution->absolutePath.filePath()), directory,
                               relative)) {
        relative = directory;
    }
    setProperty(project, projectDirectoryProperty(), kCommon, relative, false);
    setProperty(project, projectTypeProperty(), kCommon, type, false);
    return project;
}

ProjectElement *ProjectSystem::createConfiguration(ProjectElement *e, const QString &name,
                                                   bool flag)
{
    auto *configuration = new ProjectElement(QStringLiteral("configuration"));
    configuration->setAttribute(kName, name, flag);
    configuration->creationFlag = flag;
    e->appendChild(configuration);
    return configuration;
}

ProjectElement *ProjectSystem::createFolder(ProjectElement *parent, const QString &name,
                                            const QString &filter, bool flag)
{
    if (ProjectElement *existing = findFolder(parent, name))
        return existing;
    auto *folder = new ProjectElement(QStringLiteral("folder"));
    folder->setAttribute(kName, name, flag);
    folder->creationFlag = flag;
    parent->appendChild(folder);
    if (!filter.isEmpty())
        setProperty(folder, folderFilterProperty(), kCommon, filter, flag);
    return folder;
}

void ProjectSystem::setProperty(ProjectElement *e, const QString &name,
                                const QString &configuration, const QString &value, bool flag)
{
    ProjectElement *c = findConfiguration(e, configuration);
    if (!c)
        c = createConfiguration(e, configuration, flag);
    c->setAttribute(name, value, flag);
}

void ProjectSystem::setProperty(ProjectElement *e, const PropertyClass *p,
                                const QString &configuration, const QString &value, bool flag)
{
    setProperty(e, p->saveName(), configuration, value, flag);
}
