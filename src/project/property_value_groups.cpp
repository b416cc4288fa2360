#include "project/property_value_groups.h"

#include "engine/build_system.h"
#include "macros/build_macros.h"
#include "macros/macro_system.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "xml/xml_element.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

PropertyValueGroups *propertyValueGroups = nullptr;

namespace {

const char kName[] = "name";
const char kValue[] = "value";
const char kConfiguration[] = "configuration";
const char kDefine[] = "cdefine";

QString text(const XMLElement *e, const char *attribute)
{
    const char *value = e->attribute(attribute);
    return value ? QString::fromUtf8(value) : QString();
}

// The first child element with that tag and, when `name` is given, that `name`.
const XMLElement *child(const XMLElement *e, const QByteArray &tag, const QString &name = QString())
{
    for (const XMLElement *c = e->firstChildElement(); c; c = c->nextSiblingElement())
        if (c->tagIs(tag.constData()) && (name.isNull() || text(c, kName) == name))
            return c;
    return nullptr;
}

QDateTime modificationTime(const QString &fileName)
{
    return QFileInfo(fileName).lastModified();
}

} // namespace

QStringList PropertyValueGroupEntry::getTaggedNames(const QString &tag) const
{
    QStringList names;
    if (!m_entry)
        return names;
    const QByteArray t = tag.toUtf8();
    for (const XMLElement *c = m_entry->firstChildElement(); c; c = c->nextSiblingElement())
        if (c->tagIs(t.constData()))
            names.append(text(c, kName));
    return names;
}

QString PropertyValueGroupEntry::getTaggedValue(const QString &tag, const QString &name,
                                                QString &configuration) const
{
    if (!m_entry)
        return QString();
    const XMLElement *c = child(m_entry, tag.toUtf8(), name.isNull() ? QString("") : name);
    if (!c)
        return QString();
    if (c->hasAttribute(kConfiguration))
        configuration = text(c, kConfiguration);
    return text(c, kValue);
}

bool PropertyValueGroupEntry::hasDefines() const
{
    return m_entry && child(m_entry, kDefine);
}

PropertyValueGroupClass::PropertyValueGroupClass(const XMLElement *group)
    : PropertyClass(text(group, kName), Enumeration,
                    group->hasAttribute("page") ? text(group, "page") : QStringLiteral("General"),
                    text(group, "group"), text(group, "short"), text(group, "long"),
                    text(group, "default")),
      m_group(group)
{
    QStringList entries;
    for (const XMLElement *c = group->firstChildElement(); c; c = c->nextSiblingElement())
        if (c->tagIs("groupEntry"))
            entries.append(text(c, kName));
    setEnumerates(entries);
}

PropertyValueGroupEntry PropertyValueGroupClass::getGroupEntry(const QString &entryName) const
{
    return PropertyValueGroupEntry(child(m_group, "groupEntry", entryName));
}

PropertyValueGroupValue::PropertyValueGroupValue(const PropertyValueGroupClass *group,
                                                 ProjectElement *node,
                                                 const QString &configuration)
    : ProjectPropertyValue(group, configuration, node)
{
}

const PropertyValueGroupClass *PropertyValueGroupValue::groupClass() const
{
    return static_cast<const PropertyValueGroupClass *>(propertyClass());
}

void PropertyValueGroupValue::setPropertyValue(const QString &value, bool flag)
{
    const PropertyValueGroupClass *group = groupClass();
    QString chosen = value;
    PropertyValueGroupEntry entry = group->getGroupEntry(chosen);
    if (entry.isNull()) {
        chosen = group->defaultValue();
        entry = group->getGroupEntry(chosen);
    }
    projectSystem->setProperty(node(), group, configuration(), chosen, flag);
    if (entry.isNull())
        return;
    for (const XMLElement *p = entry.element()->firstChildElement(); p; p = p->nextSiblingElement()) {
        if (!p->tagIs("property"))
            continue;
        const QString where = p->hasAttribute(kConfiguration) ? text(p, kConfiguration)
                                                               : configuration();
        projectSystem->setProperty(node(), text(p, kName), where, text(p, kValue), flag);
    }
}

void PropertyValueGroupValue::removeProperty()
{
    const auto remove = [this](const QString &config, const QString &name) {
        if (ProjectElement *c = node()->getConfigurationElement(config))
            if (c->hasAttribute(name))
                c->removeAttribute(name);
    };
    const PropertyValueGroupClass *group = groupClass();
    remove(configuration(), group->saveName());
    const PropertyValueGroupEntry entry = group->getGroupEntry(group->defaultValue());
    if (entry.isNull())
        return;
    for (const XMLElement *p = entry.element()->firstChildElement(); p; p = p->nextSiblingElement())
        if (p->tagIs("property"))
            remove(p->hasAttribute(kConfiguration) ? text(p, kConfiguration) : configuration(),
                   text(p, kName));
}

PropertyValueGroupFile::PropertyValueGroupFile(const QString &fileName) : m_fileName(fileName) {}

PropertyValueGroupFile::~PropertyValueGroupFile()
{
    qDeleteAll(m_classes);
}

bool PropertyValueGroupFile::load()
{
    if (!XMLPP2::load(QFile::encodeName(m_fileName).constData(), nullptr, false) || !root)
        return false;
    m_modified = modificationTime(m_fileName);
    for (const XMLElement *g = root->firstChildElement(); g; g = g->nextSiblingElement())
        if (g->tagIs("group"))
            m_classes.append(new PropertyValueGroupClass(g));
    return true;
}

bool PropertyValueGroupFile::isUpToDate() const
{
    return modificationTime(m_fileName) == m_modified;
}

PropertyValueGroupClass *PropertyValueGroupFile::getGroupClass(const QString &name) const
{
    for (PropertyValueGroupClass *c : m_classes)
        if (c->saveName() == name)
            return c;
    return nullptr;
}

void PropertyValueGroupFile::warning(const QString &message)
{
    m_warnings.append(message);
    qWarning("%s: %s", qPrintable(m_fileName), qPrintable(message));
}

PropertyValueGroups::~PropertyValueGroups()
{
    qDeleteAll(m_files);
    if (propertyValueGroups == this)
        propertyValueGroups = nullptr;
}

void PropertyValueGroups::setGroupFile(const QString &fileName)
{
    m_current = nullptr;
    if (fileName == QLatin1String("None"))
        return;
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        if (m_files[i]->fileName() != fileName)
            continue;
        if (m_files[i]->isUpToDate()) {
            m_current = m_files[i];
            return;
        }
        delete m_files.takeAt(i);
        break;
    }
    auto *file = new PropertyValueGroupFile(fileName);
    if (!file->load()) {
        delete file;
        return;
    }
    m_files.append(file);
    m_current = file;
}

PropertyValueGroupClass *PropertyValueGroups::getGroupClass(const QString &name) const
{
    return m_current ? m_current->getGroupClass(name) : nullptr;
}

QList<PropertyValueGroupClass *> PropertyValueGroups::groupClasses() const
{
    return m_current ? m_current->groupClasses() : QList<PropertyValueGroupClass *>();
}

QStringList PropertyValueGroups::defineOptions(ProjectElement *node,
                                               const QString &configuration) const
{
    QStringList options;
    for (const PropertyValueGroupClass *group : groupClasses()) {
        const QString chosen = projectSystem->settingFor(node, group, configuration);
        const PropertyValueGroupEntry entry = group->getGroupEntry(chosen);
        for (const QString &name : entry.getTaggedNames(kDefine)) {
            QString ignored;
            options.append(QStringLiteral("-D") + name + QLatin1Char('=')
                           + entry.getTaggedValue(kDefine, name, ignored));
        }
    }
    return options;
}

QString propertyGroupsFileFor(ProjectElement *node, const QString &configuration)
{
    static const QString kNone = QStringLiteral("None");
    const PropertyClass *property =
        BuildSystem::findPropertyClass(QStringLiteral("property_groups_file_path"));
    if (!property || !projectSystem)
        return kNone;
    const QString value = projectSystem->settingFor(node, property, configuration);
    const QString file = buildSystem ? buildSystem->replaceMacros(node, value, configuration)
                                     : macroSystem.replaceMacros(buildMacros(node, configuration),
                                                                 value);
    if (file.isEmpty() || file == kNone)
        return kNone;
    ProjectElement *project = projectSystem->projectContaining(node);
    if (Path::isAbsolute(file) || !project)
        return file;
    project->checkDoFileStuff();
    return project->directory + QLatin1Char('/') + file;
}
