// StandardProjectSystem: the file type and project type vocabulary, classification of files by
// name, and the list of property classes that apply to each node of a solution.
#pragma once

#include "project/project_system.h"

#include <QString>
#include <QStringList>

class PropertyClass;
class PropertyClassList;
class PropertyValueList;
class ProjectElement;

class StandardProjectSystem : public ProjectSystem
{
public:
    // Creates the process-wide property group catalogue `propertyValueGroups` when there is
    // none yet; it lives until the process ends.
    StandardProjectSystem();
    ~StandardProjectSystem() override;

    // The file types, in the order the `file_type` property offers them after "Default".
    static QStringList standardFileTypes();
    // The project types, in the order the `project_type` property offers them.
    static QStringList standardProjectTypes();
    static const QString kDefaultProjectType; // "Executable"

    // A new transient list of ProjectPropertyValues, one per class that applies to `e`, bound
    // to `e` and `configuration`, in the order the append operations give. The caller owns it.
    PropertyValueList *applicableSettingsFor(ProjectElement *e,
                                             const QString &configuration) const override;
    // The node's `file_type` from its own "Common" configuration unless "Default", else the
    // type found from the file name (cached on the node); null when no type applies.
    QString getFileType(ProjectElement *e) const override;

    virtual void appendCCompilerProperties(ProjectElement *e, const QString &configuration,
                                           PropertyClassList *list) const;
    virtual void appendCppCompilerProperties(ProjectElement *e, const QString &configuration,
                                             PropertyClassList *list) const;
    virtual void appendAssemblerProperties(ProjectElement *e, const QString &configuration,
                                           PropertyClassList *list) const;
    virtual void appendLinkerProperties(ProjectElement *e, const QString &configuration,
                                        PropertyClassList *list) const;
    virtual void appendArchiverProperties(ProjectElement *e, const QString &configuration,
                                          PropertyClassList *list) const;
    virtual void appendDefaultProjectValues(PropertyValueList *list,
                                            const QString &configuration) const;
    virtual void appendProjectProperties(ProjectElement *e, const QString &configuration,
                                         PropertyClassList *list,
                                         const QString &projectType) const;
    virtual void appendSolutionProperties(ProjectElement *e, const QString &configuration,
                                          PropertyClassList *list) const;
    virtual void appendTargetProperties(ProjectElement *e, const QString &configuration,
                                        PropertyClassList *list) const;
    // Null here; the GNU tool chain's ".s" below.
    virtual QString assemblyCodeFileExtension() const;

    // A file node for `fileName` in the folder of `parent` that takes its extension.
    ProjectElement *addFile(ProjectElement *parent, const QString &fileName, bool flag);

    // Loading hooks: project templates from the templates file, dynamic folders from disk.
    std::shared_ptr<ProjectTemplates> openProjectTemplates() override;
    bool instantiateProjectTemplate(ProjectTemplates *templates, ProjectElement *solution,
                                    ProjectElement *project,
                                    const QString &templateName) override;
    void populateDynamicFolder(ProjectElement *folder) override;

protected:
    // The settings every compilation and assembly shares, then the build options file's
    // compiler-tool classes.
    void appendCompilerProperties(ProjectElement *e, const QString &configuration,
                                  PropertyClassList *list) const;

private:
    QString fileTypeFromName(ProjectElement *e) const;
    // The type of the project containing `e`, an unset one read as the default type.
    QString projectTypeOf(ProjectElement *e) const;
    void appendFileClasses(ProjectElement *e, const QString &configuration,
                           PropertyClassList *list) const;
    void appendFolderClasses(ProjectElement *e, const QString &configuration,
                             PropertyClassList *list) const;
    void appendProjectClasses(ProjectElement *e, const QString &configuration,
                              PropertyClassList *list) const;
    void appendExcludeAndRebuild(PropertyClassList *list) const;
    void appendPropertyGroups(ProjectElement *e, const QString &configuration,
                              PropertyClassList *list) const;
    void appendCompilerGroups(ProjectElement *e, const QString &configuration,
                              PropertyClassList *list) const;
};
