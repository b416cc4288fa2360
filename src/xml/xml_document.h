// An XML file read into a tree of pool-allocated nodes, with its DOCTYPE, version and encoding.
#pragma once

#include "xml/pool.h"

#include <QString>
#include <cstdint>

class XMLElement;

// The document owns its pool, and with it every node and string of the tree: destroying the
// document releases them all at once. Code that adds nodes or strings after loading makes the
// document's pool current first (CurrentPoolScope scope(&doc.pool())).
//
// String fields are null until set. After a failed load `errorMessage` and `errorLine` (0-based)
// describe the fault. A successful load can leave `root` null when no element was closed;
// callers report such a document as unusable in their own words.
class XMLDocument
{
public:
    explicit XMLDocument(bool keepText);
    virtual ~XMLDocument();
    XMLDocument(const XMLDocument &) = delete;
    XMLDocument &operator=(const XMLDocument &) = delete;

    // The factory through which the parser creates every element; a derived document may
    // return its own subclass, allocated in the current pool.
    virtual XMLElement *mkXMLElement(const char *tagName);

    // Reads and parses the whole file; false with `errorMessage` and `errorLine` set on failure.
    bool load(const char *path);
    bool load(const QString &path);
    // Parses a NUL-terminated buffer as if it were a file's contents.
    bool loadFromText(const char *text);

    // The DOCTYPE name of a file, or null. The result lives in a static buffer that the next
    // call overwrites.
    static const char *xmlDocumentType(const char *path);

    Pool &pool() { return m_pool; }

private:
    Pool m_pool;

public:
    const bool keepText;  // keep character data and comments
    const char *docType = nullptr;
    const char *version = nullptr;
    const char *encoding = nullptr;
    XMLElement *root = nullptr;
    char errorMessage[1024] = {};
    std::uint32_t errorLine = 0;
};
