// ProjectTemplates: the catalogue of project templates and configuration templates read from
// the templates file, and their instantiation into a solution tree.
#pragma once

#include "xml/xmlpp2.h"

#include <QMap>
#include <QString>
#include <QStringList>

class ProjectElement;
class XMLElement;

// The templates file named by `templatesFile`, default "$(TargetsDir)/project_templates.xml";
// the system macros are expanded in it before use.
extern QString templatesFile;

// Reads the templates file once, at construction. Any "project" element with a
// `template_name` is a template (a later one of the same name wins); every child of a
// "configurations" element is a configuration template, keyed by its `name`. A missing or
// unreadable file gives an empty catalogue. Instantiation uses the global `projectSystem`.
class ProjectTemplates : public XMLPP2
{
public:
    ProjectTemplates();
    // Reads `fileName` as it is, without macro expansion.
    explicit ProjectTemplates(const QString &fileName);

    QStringList listTemplates() const; // sorted
    XMLElement *findTemplate(const QString &name) const;
    XMLElement *findConfiguration(const QString &name) const;

    // Fills `project`, already in the tree below `solution`, from `templ`: its project type,
    // then folders, files, properties, property group choices and configurations.
    void createProjectFromTemplate(ProjectElement *solution, ProjectElement *project,
                                   XMLElement *templ);
    // Applies `first` and each following sibling element to `node`.
    void createFromTemplate(ProjectElement *node, XMLElement *first);
    // Instantiates the configuration template `name` on the solution; a value the solution
    // already holds differently is stored on the project instead. Unknown names do nothing.
    void createConfiguration(ProjectElement *solution, ProjectElement *project,
                             const QString &name);

    static QString projectTemplatesFile();
    const QString &fileName() const { return m_fileName; }
    // Preprocessor problems, in the order reported.
    const QStringList &warnings() const { return m_warnings; }

    void warning(const QString &message) override;

private:
    void read();
    void collect(XMLElement *e);
    void applyFolder(ProjectElement *node, XMLElement *e);
    void applyFile(ProjectElement *node, XMLElement *e);
    void applyProperty(ProjectElement *node, XMLElement *e);
    void applyPropertyGroup(ProjectElement *node, XMLElement *e);
    void applyConfigurationValue(ProjectElement *solutionConfiguration, ProjectElement *project,
                                 const QString &configuration, const QString &name,
                                 const QString &value);

    QString m_fileName;
    QMap<QString, XMLElement *> m_templates;
    QMap<QString, XMLElement *> m_configurations;
    QStringList m_warnings;
    ProjectElement *m_solution = nullptr;
    ProjectElement *m_project = nullptr;
    // Configuration templates being instantiated, to stop one that inherits itself.
    QStringList m_instantiating;
};
