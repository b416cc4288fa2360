#include "project/property_value.h"

#include "macros/macro_system.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_class.h"
#include "project/property_inheritance_information.h"

#include <QtGlobal>
#include <cstdlib>

namespace {

const QString kCommon = QStringLiteral("Common");

bool isEnumerated(const PropertyClass *c)
{
    return c && (c->type() == PropertyClass::Enumeration || c->type() == PropertyClass::Boolean);
}

// Reads the text as C does: optional sign, then decimal, "0x" hexadecimal or leading-0 octal
// digits; trailing text is ignored and no number at all reads as 0.
int cInteger(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    return int(std::strtoll(bytes.constData(), nullptr, 0));
}

} // namespace

PropertyValue::PropertyValue() = default;

PropertyValue::PropertyValue(const PropertyClass *propertyClass)
    : m_readOnly(propertyClass ? propertyClass->readOnly() : false), m_visible(true),
      m_propertyClass(propertyClass)
{
}

PropertyValue::~PropertyValue() = default;

void PropertyValue::setPropertyClass(const PropertyClass *propertyClass)
{
    m_propertyClass = propertyClass;
    m_readOnly = propertyClass ? propertyClass->readOnly() : false;
    setPropertyValue(propertyClass ? propertyClass->defaultValue() : QString());
    m_visible = true;
}

QString PropertyValue::valueOrDefault() const
{
    const QString value = propertyValue();
    if (value.isEmpty() && m_propertyClass)
        return m_propertyClass->defaultValue();
    return value;
}

QStringList PropertyValue::toStringList(bool keepEmpty) const
{
    return MacroSystem::stringListFromString(valueOrDefault(), keepEmpty);
}

bool PropertyValue::toBool() const
{
    const QString value = valueOrDefault();
    if (m_propertyClass) {
        const qsizetype index = m_propertyClass->enumerates().indexOf(value);
        if (index == 0 || index == 1)
            return index == 1;
    }
    const QString lower = value.toLower();
    return lower == u"true" || lower == u"yes" || lower == u"1";
}

int PropertyValue::toInt() const
{
    const QString value = valueOrDefault();
    if (isEnumerated(m_propertyClass))
        return int(m_propertyClass->enumerates().indexOf(value));
    return cInteger(value);
}

QRect PropertyValue::toRect() const
{
    const QStringList parts = propertyValue().split(u',');
    if (parts.size() != 4)
        return QRect();
    return QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
}

void PropertyValue::setValue(const QStringList &value)
{
    setPropertyValue(MacroSystem::stringFromStringList(value));
}

void PropertyValue::setValue(int value)
{
    const PropertyClass::Type type =
        m_propertyClass ? m_propertyClass->type() : PropertyClass::Custom;
    if (isEnumerated(m_propertyClass)) {
        const QStringList enumerates = m_propertyClass->enumerates();
        if (value >= 0 && value < enumerates.size()) {
            setPropertyValue(enumerates.at(value));
            return;
        }
        qWarning("PropertyValue::setValue(int): Setting an enumeration to a value which isn't in "
                 "its enumerates");
        setPropertyValue(QString());
    } else if (type == PropertyClass::IntegerHex) {
        setPropertyValue(PropertyClass::toHexString(value, m_propertyClass->maximum()));
    } else if (type == PropertyClass::Integer || type == PropertyClass::IntegerRange) {
        setPropertyValue(QString::number(value));
    } else {
        qWarning("PropertyValue::setValue(int): Setting a non-integer property");
    }
}

void PropertyValue::setValue(bool value)
{
    if (!m_propertyClass || m_propertyClass->type() != PropertyClass::Boolean)
        qWarning("PropertyValue::setValue(int): Setting a non-Boolean property");
    setValue(value ? 1 : 0);
}

void PropertyValue::setValue(const QRect &value)
{
    setPropertyValue(QStringLiteral("%1,%2,%3,%4")
                         .arg(value.x())
                         .arg(value.y())
                         .arg(value.width())
                         .arg(value.height()));
}

void PropertyValue::setToDefault()
{
    setPropertyValue(m_propertyClass ? m_propertyClass->defaultValue() : QString());
}

SimplePropertyValue::SimplePropertyValue(const PropertyClass *propertyClass)
    : PropertyValue(propertyClass)
{
}

SimplePropertyValue::SimplePropertyValue(const PropertyClass *propertyClass, const QString &value)
    : PropertyValue(propertyClass), m_value(value)
{
}

SimplePropertyValue::SimplePropertyValue(const PropertyClass *propertyClass, int value)
    : PropertyValue(propertyClass)
{
    setValue(value);
}

ProjectPropertyValue::ProjectPropertyValue(const PropertyClass *propertyClass,
                                           const QString &configuration, ProjectElement *node)
    : PropertyValue(propertyClass), m_node(node),
      m_configuration(propertyClass && !propertyClass->perConfiguration() ? kCommon : configuration)
{
    setTransient(true);
}

QString ProjectPropertyValue::propertyValue() const
{
    const PropertyClass *c = propertyClass();
    if (!c || !m_node)
        return QString();
    // A list shows only what this node itself adds; the inherited parts are appended anyway.
    if (c->type() == PropertyClass::StringList) {
        const ProjectElement *own = m_node->getConfigurationElement(m_configuration);
        return own ? own->attribute(c->saveName()) : QString();
    }
    return projectSystem->settingFor(m_node, c, m_configuration);
}

void ProjectPropertyValue::setPropertyValue(const QString &value)
{
    const PropertyClass *c = propertyClass();
    if (!c || !m_node)
        return;
    ProjectElement *own = m_node->getConfigurationElement(m_configuration);
    if (!own)
        own = projectSystem->createConfiguration(m_node, m_configuration, false);
    own->setAttribute(c->saveName(), value, false);
}

bool ProjectPropertyValue::inherited() const
{
    const PropertyClass *c = propertyClass();
    const ProjectElement *own = m_node ? m_node->getConfigurationElement(m_configuration) : nullptr;
    return !(own && c && own->hasAttribute(c->saveName()));
}

bool ProjectPropertyValue::nonDefault() const
{
    if (!propertyClass() || !m_node)
        return false;
    PropertyInheritanceInformation info;
    projectSystem->settingFor(m_node, propertyClass(), m_configuration, &info);
    return info.size() > 1 || (info.size() == 1 && info.first().node);
}
