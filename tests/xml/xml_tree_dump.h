// Compact text form of a tree so that tests can state a whole expected structure in one line:
// a[x=1]{b "text" !comment ?cdata}
#pragma once

#include "xml/xml_element.h"

#include <QString>

inline QString dumpXMLNode(const XMLNode *node)
{
    switch (node->kind()) {
    case XMLNode::Data:
        return u'"' + QString::fromUtf8(static_cast<const XMLData *>(node)->data()) + u'"';
    case XMLNode::Comment:
        return u'!' + QString::fromUtf8(static_cast<const XMLComment *>(node)->comment());
    case XMLNode::CDATASection:
        return u'?' + QString::fromUtf8(static_cast<const XMLCDATASection *>(node)->CDATASection());
    case XMLNode::Element:
        break;
    }
    const XMLElement *e = node->toElement();
    QString text = QString::fromUtf8(e->tagName());
    if (!e->getAttributeList().isEmpty()) {
        QStringList attributes;
        for (const XMLAttribute &a : e->getAttributeList())
            attributes << QString::fromUtf8(a.name) + u'=' + QString::fromUtf8(a.value);
        text += u'[' + attributes.join(u',') + u']';
    }
    if (node->firstChild()) {
        QStringList children;
        for (const XMLNode *c = node->firstChild(); c; c = c->nextSibling())
            children << dumpXMLNode(c);
        text += u'{' + children.join(u' ') + u'}';
    }
    return text;
}

inline QString dumpXMLNode(const XMLElement *e)
{
    return e ? dumpXMLNode(static_cast<const XMLNode *>(e)) : QStringLiteral("(null)");
}
