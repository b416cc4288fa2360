// An element of the XML tree: a tag name and its attributes in document order.
#pragma once

#include "xml/xml_node.h"

// One attribute; name and value are NUL-terminated strings, normally in the document's pool.
struct XMLAttribute
{
    const char *name;
    const char *value;
    XMLAttribute *next;
};

// The attributes of an element in document order, for iteration:
//   for (const XMLAttribute &a : e->getAttributeList()) use(a.name, a.value);
// The entries live in the pool like the element itself, so they need no destruction.
class XMLAttributeList
{
public:
    class const_iterator
    {
    public:
        explicit const_iterator(const XMLAttribute *a) : m_a(a) {}
        const XMLAttribute &operator*() const { return *m_a; }
        const XMLAttribute *operator->() const { return m_a; }
        const_iterator &operator++()
        {
            m_a = m_a->next;
            return *this;
        }
        bool operator==(const const_iterator &other) const { return m_a == other.m_a; }
        bool operator!=(const const_iterator &other) const { return m_a != other.m_a; }

    private:
        const XMLAttribute *m_a;
    };

    const_iterator begin() const { return const_iterator(m_first); }
    const_iterator end() const { return const_iterator(nullptr); }
    bool isEmpty() const { return m_first == nullptr; }
    int count() const;
    const XMLAttribute *first() const { return m_first; }

private:
    friend class XMLElement;
    XMLAttribute *m_first = nullptr;
    XMLAttribute *m_last = nullptr;
};

// Names compare by exact, case-sensitive byte comparison. The setters store the pointers they
// are given without copying: pass strings that live as long as the document (XMLNode::mkString
// with the document's pool current). Subclasses made by XMLDocument::mkXMLElement live in the
// pool too and must not own heap memory.
class XMLElement : public XMLNode
{
public:
    explicit XMLElement(const char *tagName) : XMLNode(Element), m_tagName(tagName) {}

    virtual void setTagName(const char *tagName);
    virtual const char *tagName() const;
    // Replaces the value of the first attribute of that name, or appends a new attribute.
    virtual void setAttribute(const char *name, const char *value);
    // Appends without looking for an attribute of the same name: for a caller that knows the
    // name is new (the parser, which indexes the names of a long start tag itself).
    void appendAttribute(const char *name, const char *value);
    virtual void removeAttribute(const char *name);
    virtual bool hasAttribute(const char *name) const;
    // The value of the first attribute of that name, or null.
    virtual const char *attribute(const char *name) const;
    virtual const XMLAttributeList &getAttributeList() const;

    bool tagIs(const char *name) const;

private:
    XMLAttribute *find(const char *name) const;

    const char *m_tagName;
    XMLAttributeList m_attributes;
};
