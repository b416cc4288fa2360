// The node classes of the XML tree: elements, character data, comments and CDATA sections.
#pragma once

#include "xml/pool.h"

#include <cstdint>

class XMLElement;

// A node of a document tree. Nodes live in their document's pool and are never destroyed one by
// one. Children are a singly linked chain; an element is linked into its parent when the parser
// sees it close.
class XMLNode : public PoolObject
{
public:
    enum Kind : std::uint8_t { Element, Data, Comment, CDATASection };

    virtual ~XMLNode() = default;
    virtual void appendChild(XMLNode *child);
    virtual void prependChild(XMLNode *child);
    // Unlinks `child` from the chain; the child keeps its own parent and sibling fields.
    virtual void removeChild(XMLNode *child);
    // Puts `newChild` where `oldChild` was, with its parent and next sibling.
    virtual void replaceChild(XMLNode *oldChild, XMLNode *newChild);
    // Splices the sibling chain starting at `firstOfChain` in after the child `after` (at the end
    // when `after` is null or not a child) and makes this node the parent of the whole chain.
    virtual void reparentChildrenAfter(XMLNode *after, XMLNode *firstOfChain);

    // Constant-time editing for callers that already know the neighbours (the preprocessor
    // walking a sibling chain). `after` and `previous` must be children of this node, or null
    // for the front of the chain; nothing is checked.
    void insertChainAfter(XMLNode *after, XMLNode *firstOfChain);
    void removeChildAfter(XMLNode *previous, XMLNode *child);
    // Removes this node from its parent's children and clears its parent and sibling links.
    void detach();

    XMLNode *parentNode() const { return m_parent; }
    XMLNode *nextSibling() const { return m_next; }
    XMLNode *firstChild() const { return m_firstChild; }
    XMLNode *lastChild() const { return m_lastChild; }
    // Count of newline characters before the construct: the first line is 0.
    std::uint32_t lineNumber() const { return m_line; }
    void setLineNumber(std::uint32_t line) { m_line = line; }

    Kind kind() const { return m_kind; }
    bool isElement() const { return m_kind == Element; }
    // This node as an element, or null when it is another kind of node.
    XMLElement *toElement();
    const XMLElement *toElement() const;

    // The first child that is an element, and the next sibling that is one: the usual walk.
    XMLElement *firstChildElement() const;
    XMLElement *nextSiblingElement() const;

    // Copies `length` bytes of `s` and a terminating NUL into the current pool.
    static char *mkString(const char *s, unsigned length);
    static char *mkString(const char *s);

protected:
    explicit XMLNode(Kind kind) : m_kind(kind) {}

private:
    XMLNode *m_parent = nullptr;
    XMLNode *m_next = nullptr;
    XMLNode *m_firstChild = nullptr;
    XMLNode *m_lastChild = nullptr;  // keeps appending O(1) for elements with many children
    std::uint32_t m_line = 0;
    Kind m_kind;
};

// Character data. Constructed with its string; the string is not copied.
class XMLData : public XMLNode
{
public:
    explicit XMLData(const char *data) : XMLNode(Data), m_data(data) {}
    void setData(const char *data) { m_data = data; }
    const char *data() const { return m_data; }

private:
    const char *m_data;
};

class XMLComment : public XMLNode
{
public:
    explicit XMLComment(const char *comment) : XMLNode(Comment), m_comment(comment) {}
    void setComment(const char *comment) { m_comment = comment; }
    const char *comment() const { return m_comment; }

private:
    const char *m_comment;
};

class XMLCDATASection : public XMLNode
{
public:
    explicit XMLCDATASection(const char *text) : XMLNode(XMLNode::CDATASection), m_text(text) {}
    void setCDATASection(const char *text) { m_text = text; }
    const char *CDATASection() const { return m_text; }

private:
    const char *m_text;
};
