// An XML document that rewrites its own tree by running preprocessor directives after loading.
#pragma once

#include "xml/xml_document.h"

#include <QMap>
#include <QString>

class XMLNode;

// After `load`, the tree holds only plain elements: if, ifnot, ifex, ifdef, ifndef, switch,
// case, default, define, for and include are executed and removed (a few malformed ones stay
// as ordinary elements and are reported). The macro table is passed down by value, so a
// <define> is seen by the siblings after it and their subtrees, never by the parent level.
// Problems are reported through `warning`, which each user implements; none stops processing.
// Documents are loaded without character data and comments. A directive that is the document's
// root is processed like any other; the first element it leaves becomes the root.
class XMLPP2 : public XMLDocument
{
public:
    XMLPP2() : XMLDocument(false) {}

    // Loads `path` and processes it with the `;`-separated `name=value` list `macros` (may be
    // null). False when the file cannot be loaded, with the document's error fields set.
    bool load(const char *path, const char *macros, bool expandAttributes);

    void processConditionals(XMLNode *first, const QString &currentFile,
                             QMap<QString, QString> macros, bool expandAttributes);
    // Expands every attribute value holding a `$`; changed values are stored as pool copies.
    void expandAttributeMacros(XMLElement *e, const QMap<QString, QString> &macros);
    // Deep copy of `e` and its element children with every attribute value expanded.
    XMLElement *copyElementAndExpandAttributeMacros(XMLElement *e,
                                                    const QMap<QString, QString> &macros);

    virtual void warning(const QString &message) = 0;

    // Bounds on input that would otherwise never end or exhaust memory or the stack: the
    // iterations of one <for>, the elements all <for>s of a document may copy, the depth of
    // nested includes, the files one document may include in all (a file that includes itself
    // twice would otherwise multiply at every level) and the depth of element nesting across
    // includes.
    static constexpr unsigned kMaxForIterations = 65536;
    static constexpr unsigned kMaxCopies = 200000;
    static constexpr int kMaxIncludeDepth = 32;
    static constexpr int kMaxIncludes = 1000;
    static constexpr int kMaxNesting = 1200;

private:
    friend class XMLPP2Walk;
    int m_nesting = 0;
    int m_includeDepth = 0;
    int m_includes = 0;
    unsigned m_copies = 0;
};
