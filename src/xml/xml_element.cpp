#include "xml/xml_element.h"

#include "xml/pool.h"

#include <cstring>
#include <new>

int XMLAttributeList::count() const
{
    int n = 0;
    for (const XMLAttribute *a = m_first; a; a = a->next)
        ++n;
    return n;
}

void XMLElement::setTagName(const char *tagName)
{
    m_tagName = tagName;
}

const char *XMLElement::tagName() const
{
    return m_tagName;
}

bool XMLElement::tagIs(const char *name) const
{
    return m_tagName && name && std::strcmp(m_tagName, name) == 0;
}

XMLAttribute *XMLElement::find(const char *name) const
{
    for (XMLAttribute *a = m_attributes.m_first; a; a = a->next) {
        if (std::strcmp(a->name, name) == 0)
            return a;
    }
    return nullptr;
}

void XMLElement::setAttribute(const char *name, const char *value)
{
    if (XMLAttribute *existing = find(name)) {
        existing->value = value;
        return;
    }
    appendAttribute(name, value);
}

void XMLElement::appendAttribute(const char *name, const char *value)
{
    if (!Pool::currentPool)
        Pool::currentPool = new Pool;
    void *memory = Pool::currentPool->allocate(sizeof(XMLAttribute));
    auto *added = new (memory) XMLAttribute{name, value, nullptr};
    if (m_attributes.m_last)
        m_attributes.m_last->next = added;
    else
        m_attributes.m_first = added;
    m_attributes.m_last = added;
}

void XMLElement::removeAttribute(const char *name)
{
    XMLAttribute *previous = nullptr;
    for (XMLAttribute *a = m_attributes.m_first; a; previous = a, a = a->next) {
        if (std::strcmp(a->name, name) != 0)
            continue;
        if (previous)
            previous->next = a->next;
        else
            m_attributes.m_first = a->next;
        if (m_attributes.m_last == a)
            m_attributes.m_last = previous;
        return;
    }
}

bool XMLElement::hasAttribute(const char *name) const
{
    return find(name) != nullptr;
}

const char *XMLElement::attribute(const char *name) const
{
    const XMLAttribute *a = find(name);
    return a ? a->value : nullptr;
}

const XMLAttributeList &XMLElement::getAttributeList() const
{
    return m_attributes;
}
