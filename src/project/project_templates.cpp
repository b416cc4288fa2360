#include "project/project_templates.h"

#include "engine/build_system.h"
#include "macros/build_macros.h"
#include "macros/macro_system.h"
#include "project/dynamic_folders.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_value_groups.h"
#include "xml/xml_element.h"

#include <QDir>
#include <QFile>

QString templatesFile = QStringLiteral("$(TargetsDir)/project_templates.xml");

namespace {

const QString kCommon = QStringLiteral("Common");
const QString kInheritedConfigurations = QStringLiteral("inherited_configurations");

QString text(const XMLElement *e, const char *attribute)
{
    const char *value = e->attribute(attribute);
    return value ? QString::fromUtf8(value) : QString();
}

QString configurationOf(const XMLElement *e)
{
    const QString configuration = text(e, "configuration");
    return configuration.isEmpty() ? kCommon : configuration;
}

bool expandRequested(const XMLElement *e)
{
    return text(e, "expand").toLower() == QLatin1String("yes");
}

// Template values may use the build macros of the node they land on ($(ProjectName) ...).
QString expandBuildMacros(ProjectElement *node, const QString &value)
{
    if (buildSystem)
        return buildSystem->replaceMacros(node, value, kCommon);
    return macroSystem.replaceMacros(buildMacros(node, kCommon), value);
}

} // namespace

ProjectTemplates::ProjectTemplates() : m_fileName(projectTemplatesFile())
{
    read();
}

ProjectTemplates::ProjectTemplates(const QString &fileName) : m_fileName(fileName)
{
    read();
}

QString ProjectTemplates::projectTemplatesFile()
{
    return macroSystem.replaceMacros(macroSystem.systemMacros(), templatesFile);
}

void ProjectTemplates::read()
{
    if (!XMLPP2::load(QFile::encodeName(m_fileName).constData(), nullptr, false) || !root)
        return;
    collect(root);
}

void ProjectTemplates::collect(XMLElement *e)
{
    if (e->tagIs("project") && e->hasAttribute("template_name"))
        m_templates.insert(text(e, "template_name"), e);
    const bool configurations = e->tagIs("configurations");
    for (XMLElement *c = e->firstChildElement(); c; c = c->nextSiblingElement()) {
        if (configurations)
            m_configurations.insert(text(c, "name"), c);
        collect(c);
    }
}

void ProjectTemplates::warning(const QString &message)
{
    m_warnings.append(message);
    qWarning("%s: %s", qPrintable(m_fileName), qPrintable(message));
}

QStringList ProjectTemplates::listTemplates() const
{
    return m_templates.keys(); // QMap keeps them sorted
}

XMLElement *ProjectTemplates::findTemplate(const QString &name) const
{
    return m_templates.value(name);
}

XMLElement *ProjectTemplates::findConfiguration(const QString &name) const
{
    return m_configurations.value(name);
}

void ProjectTemplates::createProjectFromTemplate(ProjectElement *solution,
                                                 ProjectElement *project, XMLElement *templ)
{
    m_solution = solution;
    m_project = project;
    // A template without a type leaves the type the project was created with.
    if (templ->hasAttribute("type"))
        projectSystem->setProperty(project, QStringLiteral("project_type"), kCommon,
                                   text(templ, "type"), true);
    if (XMLElement *first = templ->firstChildElement())
        createFromTemplate(project, first);
}

void ProjectTemplates::createFromTemplate(ProjectElement *node, XMLElement *first)
{
    for (XMLElement *e = first; e; e = e->nextSiblingElement()) {
        if (e->tagIs("folder"))
            applyFolder(node, e);
        else if (e->tagIs("file"))
            applyFile(node, e);
        else if (e->tagIs("property"))
            applyProperty(node, e);
        else if (e->tagIs("propertygroup"))
            applyPropertyGroup(node, e);
        else if (e->tagIs("configuration"))
            createConfiguration(m_solution, m_project, text(e, "name"));
    }
}

void ProjectTemplates::applyFolder(ProjectElement *node, XMLElement *e)
{
    const QString name = text(e, "name");
    ProjectElement *folder = projectSystem->findFolder(node, name);
    if (!folder)
        folder = projectSystem->createFolder(node, name, text(e, "filter"), false);
    if (XMLElement *first = e->firstChildElement())
        createFromTemplate(folder, first);
}

void ProjectTemplates::applyFile(ProjectElement *node, XMLElement *e)
{
    if (e->hasAttribute("source"))
        return;
    const QString name = text(e, "name");
    ProjectElement *file = projectSystem->findFile(node, name);
    if (!file)
        file = addFile(*projectSystem, node, name, true);
    if (XMLElement *first = e->firstChildElement())
        createFromTemplate(file, first);
}

void ProjectTemplates::applyProperty(ProjectElement *node, XMLElement *e)
{
    QString value = text(e, "value");
    if (expandRequested(e))
        value = expandBuildMacros(node, value);
    projectSystem->setProperty(node, text(e, "name"), configurationOf(e), value, true);
}

void ProjectTemplates::applyPropertyGroup(ProjectElement *node, XMLElement *e)
{
    if (!propertyValueGroups)
        return;
    propertyValueGroups->setGroupFile(propertyGroupsFileFor(node, kCommon));
    PropertyValueGroupClass *group = propertyValueGroups->getGroupClass(text(e, "name"));
    if (!group)
        return;
    PropertyValueGroupValue choice(group, node, configurationOf(e));
    choice.setPropertyValue(text(e, "value"), true);
}

void ProjectTemplates::createConfiguration(ProjectElement *solution, ProjectElement *project,
                                           const QString &name)
{
    XMLElement *templ = findConfiguration(name);
    if (!templ || !solution || m_instantiating.contains(name))
        return;
    m_instantiating.append(name);
    ProjectElement *configuration = projectSystem->findConfiguration(solution, name);
    if (!configuration)
        configuration = projectSystem->createConfiguration(solution, name, true);
    for (XMLElement *c = templ->firstChildElement(); c; c = c->nextSiblingElement()) {
        const QString property = text(c, "name");
        const QString value = text(c, "value");
        if (property.isEmpty() || value.isEmpty())
            continue;
        if (property == kInheritedConfigurations) {
            configuration->setAttribute(property, value, true);
            for (const QString &inherited : value.split(QLatin1Char(';'), Qt::SkipEmptyParts))
                createConfiguration(solution, project, inherited);
        } else {
            applyConfigurationValue(configuration, project, name, property, value);
        }
    }
    m_instantiating.removeLast();
}

// The solution's value is shared by every project: a differing template value only concerns
// the project being created, so it is stored there.
void ProjectTemplates::applyConfigurationValue(ProjectElement *solutionConfiguration,
                                               ProjectElement *project,
                                               const QString &configuration,
                                               const QString &name, const QString &value)
{
    if (!solutionConfiguration->hasAttribute(name))
        solutionConfiguration->setAttribute(name, value, true);
    else if (solutionConfiguration->attribute(name) != value && project)
        projectSystem->setProperty(project, name, configuration, value, true);
}
