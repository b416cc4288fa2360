// A full read of a document tree, so that a node or string the parser left dangling or
// unterminated is touched (and reported by the address sanitizer) while the input is still known.
#pragma once

#include "xml/xml_element.h"
#include "xml/xml_node.h"

#include <cstring>

// Iterative, so that a deep tree the parser accepted cannot overflow the fuzzer's stack. Also
// checks the structural invariants every user of the tree relies on: each child names its parent
// and the parent's last child is the end of its chain.
inline std::size_t walkTree(const XMLNode *root)
{
    std::size_t bytes = 0;
    const XMLNode *node = root;
    while (node) {
        if (const XMLElement *e = node->toElement()) {
            bytes += std::strlen(e->tagName());
            for (const XMLAttribute &a : e->getAttributeList())
                bytes += std::strlen(a.name) + std::strlen(a.value);
        } else if (node->kind() == XMLNode::Data) {
            bytes += std::strlen(static_cast<const XMLData *>(node)->data());
        } else if (node->kind() == XMLNode::Comment) {
            bytes += std::strlen(static_cast<const XMLComment *>(node)->comment());
        } else {
            bytes += std::strlen(static_cast<const XMLCDATASection *>(node)->CDATASection());
        }
        if (const XMLNode *child = node->firstChild()) {
            if (child->parentNode() != node)
                __builtin_trap();
            node = child;
            continue;
        }
        while (node && node != root && !node->nextSibling()) {
            const XMLNode *parent = node->parentNode();
            if (parent && parent->lastChild() != node)
                __builtin_trap();
            node = parent;
        }
        if (!node || node == root)
            break;
        node = node->nextSibling();
    }
    return bytes;
}
