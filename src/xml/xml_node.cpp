#include "xml/xml_node.h"

#include "xml/xml_element.h"

#include <cstring>

XMLElement *XMLNode::toElement()
{
    return m_kind == Element ? static_cast<XMLElement *>(this) : nullptr;
}

const XMLElement *XMLNode::toElement() const
{
    return m_kind == Element ? static_cast<const XMLElement *>(this) : nullptr;
}

static XMLElement *firstElementFrom(XMLNode *node)
{
    while (node && !node->isElement())
        node = node->nextSibling();
    return node ? node->toElement() : nullptr;
}

XMLElement *XMLNode::firstChildElement() const
{
    return firstElementFrom(m_firstChild);
}

XMLElement *XMLNode::nextSiblingElement() const
{
    return firstElementFrom(m_next);
}

void XMLNode::appendChild(XMLNode *child)
{
    child->m_parent = this;
    child->m_next = nullptr;
    if (m_lastChild)
        m_lastChild->m_next = child;
    else
        m_firstChild = child;
    m_lastChild = child;
}

void XMLNode::prependChild(XMLNode *child)
{
    child->m_parent = this;
    child->m_next = m_firstChild;
    m_firstChild = child;
    if (!m_lastChild)
        m_lastChild = child;
}

void XMLNode::removeChild(XMLNode *child)
{
    XMLNode *previous = nullptr;
    for (XMLNode *c = m_firstChild; c; previous = c, c = c->m_next) {
        if (c != child)
            continue;
        if (previous)
            previous->m_next = c->m_next;
        else
            m_firstChild = c->m_next;
        if (m_lastChild == c)
            m_lastChild = previous;
        return;
    }
}

void XMLNode::replaceChild(XMLNode *oldChild, XMLNode *newChild)
{
    if (oldChild == newChild)
        return;
    XMLNode *previous = nullptr;
    for (XMLNode *c = m_firstChild; c; previous = c, c = c->m_next) {
        if (c != oldChild)
            continue;
        newChild->m_parent = this;
        newChild->m_next = c->m_next;
        if (previous)
            previous->m_next = newChild;
        else
            m_firstChild = newChild;
        if (m_lastChild == c)
            m_lastChild = newChild;
        return;
    }
}

void XMLNode::reparentChildrenAfter(XMLNode *after, XMLNode *firstOfChain)
{
    if (!firstOfChain)
        return;
    XMLNode *lastOfChain = firstOfChain;
    for (XMLNode *c = firstOfChain; c; c = c->m_next) {
        c->m_parent = this;
        lastOfChain = c;
    }
    bool afterIsChild = false;
    for (XMLNode *c = m_firstChild; c && after; c = c->m_next) {
        if (c == after) {
            afterIsChild = true;
            break;
        }
    }
    if (!afterIsChild)
        after = m_lastChild;
    if (!after) {
        m_firstChild = firstOfChain;
        m_lastChild = lastOfChain;
        return;
    }
    lastOfChain->m_next = after->m_next;
    after->m_next = firstOfChain;
    if (m_lastChild == after)
        m_lastChild = lastOfChain;
}

void XMLNode::insertChainAfter(XMLNode *after, XMLNode *firstOfChain)
{
    if (!firstOfChain)
        return;
    XMLNode *lastOfChain = firstOfChain;
    for (XMLNode *c = firstOfChain; c; c = c->m_next) {
        c->m_parent = this;
        lastOfChain = c;
    }
    XMLNode *&link = after ? after->m_next : m_firstChild;
    lastOfChain->m_next = link;
    link = firstOfChain;
    if (m_lastChild == after)
        m_lastChild = lastOfChain;
}

void XMLNode::removeChildAfter(XMLNode *previous, XMLNode *child)
{
    XMLNode *&link = previous ? previous->m_next : m_firstChild;
    link = child->m_next;
    if (m_lastChild == child)
        m_lastChild = previous;
}

void XMLNode::detach()
{
    if (m_parent)
        m_parent->removeChild(this);
    m_parent = nullptr;
    m_next = nullptr;
}

char *XMLNode::mkString(const char *s, unsigned length)
{
    if (!Pool::currentPool)
        Pool::currentPool = new Pool;
    char *copy = static_cast<char *>(Pool::currentPool->allocate(std::size_t(length) + 1));
    if (length)
        std::memcpy(copy, s, length);
    copy[length] = '\0';
    return copy;
}

char *XMLNode::mkString(const char *s)
{
    return mkString(s, unsigned(std::strlen(s)));
}
