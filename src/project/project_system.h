// ProjectSystem: owns the loaded solution tree; loads solution files and their imports, keeps
// the project and solution lists, creates nodes, and resolves property values by inheritance.
#pragma once

#include "project/project_element.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Builder;
class ProjectTemplates;
class PropertyClass;
class PropertyInheritanceInformation;
class PropertyValueList;
class XMLElement;

// Asked when a solution file to load is missing; true makes the loader try again.
class ProjectFileNotFoundErrorHandler
{
public:
    virtual ~ProjectFileNotFoundErrorHandler() = default;
    virtual bool retry(const QString &fileName) = 0;
};

// Asked when a templated project names no template; true continues with `templateName`.
class TemplateNotFoundErrorHandler
{
public:
    virtual ~TemplateNotFoundErrorHandler() = default;
    virtual bool retry(ProjectTemplates *templates, const QString &projectName,
                       QString &templateName) = 0;
};

// The base of the project system chain. It defines the project system's own property classes
// (registered with the build system's catalogue when that exists) and everything about the
// tree that does not depend on file or project types; the derived systems add those.
// Loading throws SolutionLoadError; nothing else here throws.
class ProjectSystem
{
public:
    // Bits of configurations(): add "Common", list hidden ones, list visible ones of this
    // tool's platform.
    enum ConfigurationFlags { WithCommon = 1, WithHidden = 2, WithVisible = 4 };

    // `fileTypes` and `projectTypes` become the enumerations of "file_type" (after "Default")
    // and "project_type".
    ProjectSystem(const QStringList &fileTypes = {}, const QStringList &projectTypes = {});
    virtual ~ProjectSystem();
    ProjectSystem(const ProjectSystem &) = delete;
    ProjectSystem &operator=(const ProjectSystem &) = delete;

    // Virtual operations the derived systems specialise.
    virtual ProjectElement *createSolution(const QString &name, const QString &directory);
    virtual ProjectElement *createProject(ProjectElement *solution, const QString &name,
                                          const QString &directory, const QString &type);
    // A new transient list the caller owns; empty here.
    virtual PropertyValueList *applicableSettingsFor(ProjectElement *e,
                                                     const QString &configuration) const;
    virtual QString defaultFileLocation(ProjectElement *e) const;
    virtual QString getFileType(ProjectElement *e) const; // null here
    virtual QString objectFileExtension() const { return QString(); }
    virtual QString libraryFileExtension() const { return QString(); }
    virtual QString executableFileExtension() const { return QString(); }
    // Converts the values of a file written in an older format; does nothing here.
    virtual void munge(ProjectElement *e);

    // Loading hooks for project templates and dynamic folders, which a derived system
    // supplies. Without them a solution that needs them fails to load with a clear message.
    // openProjectTemplates: a catalogue for one load, or null when templates are unavailable.
    virtual std::shared_ptr<ProjectTemplates> openProjectTemplates();
    // Fills `project` (already in the tree) from the template named `templateName`; false when
    // `templates` has no such template.
    virtual bool instantiateProjectTemplate(ProjectTemplates *templates, ProjectElement *solution,
                                            ProjectElement *project, const QString &templateName);
    // Adds the files found in the directory of a folder that carries `path`.
    virtual void populateDynamicFolder(ProjectElement *folder);

    // Loading.
    void loadSolution(const QString &path, ProjectFileNotFoundErrorHandler *fileHandler,
                      TemplateNotFoundErrorHandler *templateHandler);
    ProjectElement *loadProjectFile(const QString &directory, const QString &fileName,
                                    ProjectFileNotFoundErrorHandler *handler);
    ProjectElement *domToElement(const QString &directory, XMLElement *element,
                                 ProjectFileNotFoundErrorHandler *handler);
    void updateProjectList();
    void loadedSolution();
    // Destroys the loaded tree and empties every list.
    void closeSolution();

    // Queries.
    bool haveSolution() const { return m_solution != nullptr; }
    ProjectElement *solutionElement() const { return m_solution; }
    const QStringList &projectNames() const { return m_projectNames; }
    const QStringList &solutionNames() const { return m_solutionNames; }
    const QList<ProjectElement *> &templatedElements() const { return m_templatedElements; }
    const QList<ProjectElement *> &dynamicFolders() const { return m_dynamicFolders; }
    QMap<QString, ProjectElement *> &solutionProjects(ProjectElement *e) const;
    QMap<QString, ProjectElement *> &solutionSolutions() const { return m_solutions; }
    ProjectElement *projectContaining(ProjectElement *e) const;
    ProjectElement *solutionContaining(ProjectElement *e) const;
    int numProjects(ProjectElement *e) const;
    ProjectElement *findProject(ProjectElement *e, const QString &name) const;
    QString getGlobalProjectName(ProjectElement *project) const;
    ProjectElement *findConfiguration(ProjectElement *e, const QString &name) const;
    ProjectElement *findFolder(ProjectElement *parent, const QString &name) const;
    ProjectElement *findFile(ProjectElement *parent, const QString &fileName) const;
    ProjectElement *findByName(ProjectElement *e, const QString &name) const;
    QString projectDirectoryPath(ProjectElement *project) const;
    QString solutionFilePath() const;
    static QString absoluteProjectFilePath(const QString &path, const QString &base);

    // Creation.
    ProjectElement *createConfiguration(ProjectElement *e, const QString &name, bool flag);
    ProjectElement *createFolder(ProjectElement *parent, const QString &name, const QString &filter,
                                 bool flag);
    void setProperty(ProjectElement *e, const QString &name, const QString &configuration,
                     const QString &value, bool flag);
    void setProperty(ProjectElement *e, const PropertyClass *p, const QString &configuration,
                     const QString &value, bool flag);

    // Configurations and inheritance.
    QString settingFor(ProjectElement *e, const PropertyClass *p, const QString &configuration,
                       PropertyInheritanceInformation *info = nullptr) const;
    QString specificSettingFor(ProjectElement *e, const PropertyClass *p,
                               const QString &configuration) const;
    QStringList configurations(ProjectElement *e, int flags) const;
    QStringList getInheritedConfigurations(ProjectElement *e, const QString &configuration) const;
    QStringList getBatchBuildConfigurations(ProjectElement *e, const QString &configuration) const;
    QString platform(ProjectElement *e) const;
    QString getProjectType(ProjectElement *project) const;

    // Defined by the build engine (build/), which owns the up-to-date checks.
    bool upToDate(ProjectElement *e, const PropertyClass *p, const QString &config,
                  const QDateTime &time, Builder *b, bool quiet, bool isFile);
    bool upToDate1(ProjectElement *e, const PropertyClass *p, const QString &config,
                   const QDateTime &time);

    const QStringList &filetypes() const { return m_fileTypes; }
    const QStringList &projecttypes() const { return m_projectTypes; }

    // The project system's own property classes.
    const PropertyClass *dateCreatedProperty() const { return m_dateCreated; }
    const PropertyClass *dateModifiedProperty() const { return m_dateModified; }
    const PropertyClass *platformProperty() const { return m_platform; }
    const PropertyClass *fullPathProperty() const { return m_fullPath; }
    const PropertyClass *relativePathProperty() const { return m_relativePath; }
    const PropertyClass *nameProperty() const { return m_name; }
    const PropertyClass *fileNameProperty() const { return m_fileName; }
    const PropertyClass *fileCodecProperty() const { return m_fileCodec; }
    const PropertyClass *fileOpenWithProperty() const { return m_fileOpenWith; }
    const PropertyClass *fileTypeProperty() const { return m_fileType; }
    const PropertyClass *fileTagProperty() const { return m_fileTag; }
    const PropertyClass *folderFilterProperty() const { return m_folderFilter; }
    const PropertyClass *dynamicFolderPathProperty() const { return m_dynamicFolderPath; }
    const PropertyClass *dynamicFolderFilterProperty() const { return m_dynamicFolderFilter; }
    const PropertyClass *projectTypeProperty() const { return m_projectType; }
    const PropertyClass *solutionNameProperty() const { return m_solutionName; }
    const PropertyClass *projectDirectoryProperty() const { return m_projectDirectory; }
    const PropertyClass *fullProjectDirectoryProperty() const { return m_fullProjectDirectory; }
    const PropertyClass *projectDependenciesProperty() const { return m_projectDependencies; }
    const PropertyClass *macrosProperty() const { return m_macros; }
    const PropertyClass *batchBuildConfigurationsProperty() const { return m_batchBuild; }
    const PropertyClass *inheritedConfigurationsProperty() const { return m_inherited; }
    // Every class above in definition order (owned by this object).
    const QList<PropertyClass *> &propertyClasses() const { return m_propertyClasses; }

protected:
    ProjectElement *m_solution = nullptr;
    QStringList m_projectNames;
    QStringList m_solutionNames;
    mutable QMap<QString, ProjectElement *> m_solutions;
    QStringList m_loadingFiles;
    QList<ProjectElement *> m_templatedElements;
    QList<ProjectElement *> m_dynamicFolders;

private:
    struct ConfigurationRead;
    struct LookupChain;

    void createPropertyClasses();
    void createFileOptionClasses();
    void createFolderAndBuildClasses();
    void createListClasses();
    PropertyClass *addClass(PropertyClass *c, bool registered);
    void unregisterPropertyClasses();
    void instantiateTemplates(TemplateNotFoundErrorHandler *templateHandler);
    ProjectElement *importSolution(const QString &directory, XMLElement *element,
                                   ProjectFileNotFoundErrorHandler *handler);
    void collectProjects(ProjectElement *solution, const QString &qualifier,
                         QMap<QString, ProjectElement *> &projects, bool topWalk);
    static ProjectElement *withConfigurations(ProjectElement *e);
    LookupChain &lookupChain(ProjectElement *e, const QString &configuration) const;
    void buildLookupChain(ProjectElement *n, const QString &configuration,
                          LookupChain &chain) const;
    QStringList inheritedFor(ProjectElement *n, const QString &configuration) const;

    QStringList m_fileTypes;
    QStringList m_projectTypes;
    QList<PropertyClass *> m_propertyClasses;
    QList<PropertyClass *> m_registered;
    int m_loadedFiles = 0;  // files read by the current loadSolution
    int m_elementDepth = 0; // nesting of the element being converted, across imports
    PropertyClass *m_dateCreated = nullptr;
    PropertyClass *m_dateModified = nullptr;
    PropertyClass *m_platform = nullptr;
    PropertyClass *m_fullPath = nullptr;
    PropertyClass *m_relativePath = nullptr;
    PropertyClass *m_name = nullptr;
    PropertyClass *m_fileName = nullptr;
    PropertyClass *m_fileCodec = nullptr;
    PropertyClass *m_fileOpenWith = nullptr;
    PropertyClass *m_fileType = nullptr;
    PropertyClass *m_fileTag = nullptr;
    PropertyClass *m_folderFilter = nullptr;
    PropertyClass *m_dynamicFolderPath = nullptr;
    PropertyClass *m_dynamicFolderFilter = nullptr;
    PropertyClass *m_projectType = nullptr;
    PropertyClass *m_solutionName = nullptr;
    PropertyClass *m_projectDirectory = nullptr;
    PropertyClass *m_fullProjectDirectory = nullptr;
    PropertyClass *m_projectDependencies = nullptr;
    PropertyClass *m_macros = nullptr;
    PropertyClass *m_batchBuild = nullptr;
    PropertyClass *m_inherited = nullptr;

    // Lookup cache: per node with configuration children and per configuration, the chain a
    // settingFor walk reads. Valid while the tree's structure generation is unchanged.
    mutable QHash<const ProjectElement *,
                  std::vector<std::pair<QString, std::shared_ptr<LookupChain>>>>
        m_lookupChains;
    mutable quint64 m_lookupGeneration = ~quint64(0);
    // A build asks for many properties of one node in a row: the last chain is kept at hand.
    mutable const ProjectElement *m_lastAnchor = nullptr;
    mutable QString m_lastConfiguration;
    mutable LookupChain *m_lastChain = nullptr;
};

extern ProjectSystem *projectSystem;
