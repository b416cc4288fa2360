#include "project/property_class.h"

#include "xml/xml_element.h"

namespace {

const char *const kTypeNames[] = {"Boolean", "Integer",        "IntegerHex",   "IntegerRange",
                                  "String",  "FileName",       "ProjFileName", "StringList",
                                  "DirPath", "DirPathList",    "Enumeration",  "Color",
                                  "Font",    "FixedPitchFont", "Custom"};

// A missing attribute is a null string, so "only when present" can be told from "empty".
QString xmlAttribute(const XMLElement *e, const char *name)
{
    const char *value = e->attribute(name);
    return value ? QString::fromUtf8(value) : QString();
}

PropertyClass::Type typeFromName(const QString &name)
{
    for (int type = 0; type < int(std::size(kTypeNames)); ++type) {
        if (name == QLatin1StringView(kTypeNames[type]))
            return PropertyClass::Type(type);
    }
    return PropertyClass::Boolean;
}

// Unsigned decimal as written in a definition file: the leading digits, 0 when there are none.
int unsignedDecimal(const QString &text)
{
    quint32 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + quint32(c.unicode() - u'0');
    }
    return int(value);
}

const QString kNo = QStringLiteral("No");
const QString kYes = QStringLiteral("Yes");

} // namespace

PropertyClass::PropertyClass(const QString &name, Type type, const QString &page,
                             const QString &group, const QString &shortDescription,
                             const QString &longDescription, const QString &defaultValue)
    : m_name(name), m_group(group), m_shortDescription(shortDescription),
      m_longDescription(longDescription), m_defaultValue(defaultValue), m_page(page), m_type(type)
{
    if (type == Boolean && defaultValue.isEmpty())
        m_defaultValue = kNo;
}

PropertyClass::PropertyClass(const QString &name, Type type, const QStringList &enumerates,
                             const QString &page, const QString &group,
                             const QString &shortDescription, const QString &longDescription,
                             const QString &defaultValue)
    : PropertyClass(name, type, page, group, shortDescription, longDescription, defaultValue)
{
    m_enumerates = enumerates;
}

PropertyClass::PropertyClass(const QString &name, Type type, int minimum, int maximum,
                             const QString &page, const QString &group,
                             const QString &shortDescription, const QString &longDescription,
                             int defaultValue)
    : PropertyClass(name, type, page, group, shortDescription, longDescription,
                    type == IntegerHex ? toHexString(defaultValue, maximum)
                                       : QString::number(defaultValue))
{
    m_minimum = minimum;
    m_maximum = maximum;
}

PropertyClass::PropertyClass(const QString &name, const QString &page, const QString &group,
                             const QString &shortDescription, const QString &longDescription,
                             bool defaultValue)
    : PropertyClass(name, Boolean, page, group, shortDescription, longDescription,
                    defaultValue ? kYes : kNo)
{
}

PropertyClass::PropertyClass(const QString &name, Type type) : m_name(name), m_type(type) {}

PropertyClass::PropertyClass(const QString &name, Type type, int minimum, int maximum)
    : m_name(name), m_type(type), m_minimum(minimum), m_maximum(maximum)
{
}

PropertyClass::PropertyClass(const XMLElement *e)
    : m_name(xmlAttribute(e, "name")), m_group(xmlAttribute(e, "group")),
      m_shortDescription(xmlAttribute(e, "short")), m_longDescription(xmlAttribute(e, "long")),
      m_type(typeFromName(xmlAttribute(e, "type")))
{
    if (e->hasAttribute("default"))
        m_defaultValue = xmlAttribute(e, "default");
    if (e->hasAttribute("minimum"))
        m_minimum = unsignedDecimal(xmlAttribute(e, "minimum"));
    if (e->hasAttribute("maximum"))
        m_maximum = unsignedDecimal(xmlAttribute(e, "maximum"));
    if (e->hasAttribute("enumeration"))
        m_enumerates = xmlAttribute(e, "enumeration").split(u';', Qt::SkipEmptyParts);
    if (e->hasAttribute("specialvalue"))
        m_specialValueText = xmlAttribute(e, "specialvalue");
}

PropertyClass::~PropertyClass() = default;

QStringList PropertyClass::enumerates() const
{
    if (m_type == Boolean && m_enumerates.isEmpty())
        return {kNo, kYes};
    return m_enumerates;
}

QString PropertyClass::typeAsString() const
{
    return typeAsString(m_type);
}

QString PropertyClass::typeAsString(int type)
{
    if (type < 0 || type >= int(std::size(kTypeNames)))
        return QStringLiteral("Unknown");
    return QString::fromLatin1(kTypeNames[type]);
}

QString PropertyClass::toHexString(int value, int maximum)
{
    const quint32 max = quint32(maximum);
    int digits = 8;
    for (int d = 1; d < 8; ++d) {
        if (max <= (quint32(1) << (4 * d)) - 1) {
            digits = d;
            break;
        }
    }
    return QStringLiteral("0x") + QString::number(quint32(value), 16).rightJustified(digits, u'0');
}
