// MemoryMapElement: one element of a memory map or section placement file, with typed access
// to the attributes the linker script generator reads and the addresses computed at load time.
#pragma once

#include "xml/xml_element.h"

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#include <limits>

// The setters store pool strings: make the document's pool current before calling them
// (CurrentPoolScope). Numbers are written back as "0x" and lower-case hexadecimal digits.
class MemoryMapElement : public XMLElement
{
public:
    // Fixed by the tag name; the numbers are stable because other tools store them.
    enum ElementType {
        MemorySegment = 0,
        Register = 1,
        ProgramSection = 2,
        Root = 3,
        RegisterGroup = 4,
        BitField = 5,
        Enum = 6,
        Processor = 7,
        Unsupported = 8
    };

    explicit MemoryMapElement(const char *tagName);

    static ElementType typeFromTagName(const char *tagName);
    static QString typeToString(ElementType type); // "MemorySegment" ... "Unsupported"

    ElementType elementType() const { return m_type; }
    void setTagName(const char *tagName) override;

    // The parent and child elements, skipping non-element nodes; null when there are none.
    MemoryMapElement *parentElement() const;
    MemoryMapElement *firstChildElement() const;
    MemoryMapElement *nextSiblingElement() const;

    QString name() const; // null when absent
    void setName(const QString &name);

    // "start": an expression; a leading "+" makes it relative to the enclosing element.
    bool hasAddress() const;
    quint32 address() const { return m_address; } // 0 until computed
    QString addressAsString() const;              // the attribute text as written
    void setAddress(quint32 address);             // stores the value and writes "0x..." back

    bool hasSize() const;
    quint32 size() const { return m_size; }
    QString sizeAsString() const;
    void setSize(quint32 size);

    bool hasAddressSymbol() const;
    QString addressSymbol() const;
    bool hasSizeSymbol() const;
    QString sizeSymbol() const;

    bool hasAlignment() const;
    quint32 alignment() const; // evaluated; 0 when absent or not a number
    QString alignmentAsString() const;

    bool hasRunIn() const;
    QString runIn() const;

    bool hasAccessType() const;
    QString accessType() const;
    bool isReadOnly() const;  // "ReadOnly"
    bool isWriteOnly() const; // "WriteOnly"
    bool isNone() const;      // "None"

    bool hasInputSections() const; // present and not empty
    QString inputSections() const;

    bool hasLoad() const;
    bool load() const; // true only when the attribute is present and "Yes"
    QString loadAsString() const;

    bool hasFill() const;
    QString fill() const;

    bool hasEndian() const;
    QString endian() const;
    bool hasAddressSpace() const;
    QString addressSpace() const;

    // The "Import" element that brought this subtree in, or null.
    MemoryMapElement *importedBy() const { return m_importedBy; }
    void setImportedBy(MemoryMapElement *import) { m_importedBy = import; }

    // Modification time of the file this element's subtree was read from (roots only); null
    // for other elements.
    QDateTime loadTime() const;
    void setLoadTime(const QDateTime &time);

    // Used while loading: the computed values are kept beside the attribute text.
    void setComputedAddress(quint32 address) { m_address = address; }
    void setComputedSize(quint32 size) { m_size = size; }

    QString attributeText(const char *name) const; // null when absent

private:
    void setAttributeText(const char *name, const QString &value);

    ElementType m_type = Unsupported;
    quint32 m_address = 0;
    quint32 m_size = 0;
    MemoryMapElement *m_importedBy = nullptr;
    // Milliseconds since the epoch: elements live in the document's pool and are never
    // destroyed, so they hold no member that owns heap memory.
    qint64 m_loadTime = kNoLoadTime;
    static constexpr qint64 kNoLoadTime = std::numeric_limits<qint64>::min();
};

// The element's name as linker symbols use it: every blank becomes "_".
QString getMemoryMapElementName(const MemoryMapElement *element);
