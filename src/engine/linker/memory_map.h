// MemoryMap: a memory map or section placement file read into MemoryMapElements, with its
// imports resolved and the start addresses of segments, sections and registers computed.
#pragma once

#include "xml/xmlpp2.h"

#include <QList>
#include <QString>
#include <QStringList>

class MemoryMapElement;

// Loads either through the plain XML reader or through the XML preprocessor (with `macros`, a
// ";"-separated list of name=value items). Every element of the tree is a MemoryMapElement.
class MemoryMap : public XMLPP2
{
public:
    MemoryMap();
    ~MemoryMap() override;

    // False when the file does not exist or does not parse; the previous root is kept then.
    [[nodiscard]] bool load(const QString &file, const QString &macros, bool preprocess);
    // `file` is expanded with the global macros; `baseFile` becomes the path that was read.
    // True while neither the file nor any file it imports has a different time than at load.
    bool upToDate() const;
    // The files this map imported, as their paths were read.
    QStringList importedFiles() const;

    MemoryMapElement *rootElement() const;
    QList<MemoryMapElement *> getSegments(bool documentOrder) const;
    QList<MemoryMapElement *> getSections(const MemoryMapElement *segment,
                                          bool documentOrder) const;
    MemoryMapElement *getSegment(const QString &name) const;
    // The first element below `from` (or the root when null), in document order, of `type`
    // whose "name" is `name`.
    MemoryMapElement *getNamedElementOfType(const MemoryMapElement *from, int type,
                                            const QString &name) const;
    QList<MemoryMapElement *> getAllElements() const;

    bool preprocess() const { return m_preprocess; }
    QString macros() const { return m_macros; }
    bool readOnly() const { return m_readOnly; }
    QString baseFile() const { return m_baseFile; }

    // Problems the preprocessor reported while loading, in order; they never stop a load.
    QStringList warnings() const { return m_warnings; }

    XMLElement *mkXMLElement(const char *tagName) override;
    void warning(const QString &message) override;

private:
    MemoryMapElement *load1(const QString &file);
    void processImports();
    void fixupAddresses(MemoryMapElement *element, quint32 base);
    QString resolveFileName(const QString &file) const;

    bool m_preprocess = false;
    QString m_macros;
    bool m_readOnly = false;
    QString m_baseFile;
    QStringList m_warnings;
};
