#include "engine/linker/memory_map_element.h"

#include "engine/linker/memory_map_numbers.h"

#include <cstring>

namespace {

const char *const kTypeNames[] = {"MemorySegment", "Register",      "ProgramSection",
                                  "Root",          "RegisterGroup", "BitField",
                                  "Enum",          "Processor",     "Unsupported"};

QString hexText(quint32 value)
{
    return QStringLiteral("0x") + QString::number(value, 16);
}

bool attributeIs(const char *value, const char *expected)
{
    return value != nullptr && std::strcmp(value, expected) == 0;
}

} // namespace

MemoryMapElement::MemoryMapElement(const char *tagName)
    : XMLElement(tagName), m_type(typeFromTagName(tagName))
{
}

MemoryMapElement::ElementType MemoryMapElement::typeFromTagName(const char *tagName)
{
    for (int type = MemorySegment; type < Unsupported; ++type) {
        if (attributeIs(tagName, kTypeNames[type]))
            return ElementType(type);
    }
    return Unsupported;
}

QString MemoryMapElement::typeToString(ElementType type)
{
    return QString::fromLatin1(kTypeNames[type]);
}

void MemoryMapElement::setTagName(const char *tagName)
{
    XMLElement::setTagName(tagName);
    m_type = typeFromTagName(tagName);
}

MemoryMapElement *MemoryMapElement::parentElement() const
{
    XMLNode *parent = parentNode();
    return parent ? static_cast<MemoryMapElement *>(parent->toElement()) : nullptr;
}

MemoryMapElement *MemoryMapElement::firstChildElement() const
{
    return static_cast<MemoryMapElement *>(XMLNode::firstChildElement());
}

MemoryMapElement *MemoryMapElement::nextSiblingElement() const
{
    return static_cast<MemoryMapElement *>(XMLNode::nextSiblingElement());
}

QString MemoryMapElement::attributeText(const char *name) const
{
    const char *value = attribute(name);
    return value ? QString::fromUtf8(value) : QString();
}

void MemoryMapElement::setAttributeText(const char *name, const QString &value)
{
    const QByteArray bytes = value.toUtf8();
    setAttribute(XMLNode::mkString(name), XMLNode::mkString(bytes.constData(), bytes.size()));
}

QString MemoryMapElement::name() const
{
    return attributeText("name");
}
void MemoryMapElement::setName(const QString &name)
{
    setAttributeText("name", name);
}

bool MemoryMapElement::hasAddress() const
{
    return hasAttribute("start");
}

// A relative start only means something inside its enclosing element, so it is given as the
// address it was resolved to; an absolute one stays as written, expressions included, since
// the linker evaluates the same C-style arithmetic.
QString MemoryMapElement::addressAsString() const
{
    const QString text = attributeText("start");
    if (text.startsWith(QLatin1Char('+')))
        return hexText(m_address);
    return text;
}

void MemoryMapElement::setAddress(quint32 address)
{
    m_address = address;
    setAttributeText("start", hexText(address));
}

bool MemoryMapElement::hasSize() const
{
    return hasAttribute("size");
}
QString MemoryMapElement::sizeAsString() const
{
    return attributeText("size");
}

void MemoryMapElement::setSize(quint32 size)
{
    m_size = size;
    setAttributeText("size", hexText(size));
}

bool MemoryMapElement::hasAddressSymbol() const
{
    return hasAttribute("address_symbol");
}
QString MemoryMapElement::addressSymbol() const
{
    return attributeText("address_symbol");
}
bool MemoryMapElement::hasSizeSymbol() const
{
    return hasAttribute("size_symbol");
}
QString MemoryMapElement::sizeSymbol() const
{
    return attributeText("size_symbol");
}

bool MemoryMapElement::hasAlignment() const
{
    return hasAttribute("alignment");
}
QString MemoryMapElement::alignmentAsString() const
{
    return attributeText("alignment");
}

quint32 MemoryMapElement::alignment() const
{
    if (!hasAlignment())
        return 0;
    return quint32(evaluateMemoryMapExpression(alignmentAsString()).value_or(0));
}

bool MemoryMapElement::hasRunIn() const
{
    return hasAttribute("runin");
}
QString MemoryMapElement::runIn() const
{
    return attributeText("runin");
}

bool MemoryMapElement::hasAccessType() const
{
    return hasAttribute("access");
}
QString MemoryMapElement::accessType() const
{
    return attributeText("access");
}
bool MemoryMapElement::isReadOnly() const
{
    return attributeIs(attribute("access"), "ReadOnly");
}
bool MemoryMapElement::isWriteOnly() const
{
    return attributeIs(attribute("access"), "WriteOnly");
}
bool MemoryMapElement::isNone() const
{
    return attributeIs(attribute("access"), "None");
}

bool MemoryMapElement::hasInputSections() const
{
    const char *value = attribute("inputsections");
    return value != nullptr && *value != '\0';
}

QString MemoryMapElement::inputSections() const
{
    return attributeText("inputsections");
}

bool MemoryMapElement::hasLoad() const
{
    return hasAttribute("load");
}
bool MemoryMapElement::load() const
{
    return attributeIs(attribute("load"), "Yes");
}
QString MemoryMapElement::loadAsString() const
{
    return attributeText("load");
}

bool MemoryMapElement::hasFill() const
{
    return hasAttribute("fill");
}
QString MemoryMapElement::fill() const
{
    return attributeText("fill");
}

bool MemoryMapElement::hasEndian() const
{
    return hasAttribute("endian");
}
QString MemoryMapElement::endian() const
{
    return attributeText("endian");
}
bool MemoryMapElement::hasAddressSpace() const
{
    return hasAttribute("addressSpace");
}
QString MemoryMapElement::addressSpace() const
{
    return attributeText("addressSpace");
}

QDateTime MemoryMapElement::loadTime() const
{
    if (m_loadTime == kNoLoadTime)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(m_loadTime);
}

void MemoryMapElement::setLoadTime(const QDateTime &time)
{
    m_loadTime = time.isValid() ? time.toMSecsSinceEpoch() : kNoLoadTime;
}

QString getMemoryMapElementName(const MemoryMapElement *element)
{
    QString name = element->name();
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    return name;
}
