#include "engine/linker/memory_map.h"

#include "engine/linker/memory_map_element.h"
#include "engine/linker/memory_map_numbers.h"
#include "macros/macro_system.h"

#include <QDir>
#include <QFileInfo>

namespace {

QDateTime modificationTime(const QString &path)
{
    QFileInfo info(path);
    return info.exists() ? info.lastModified() : QDateTime();
}

bool hasOwnBase(int type)
{
    return type == MemoryMapElement::MemorySegment || type == MemoryMapElement::ProgramSection ||
           type == MemoryMapElement::RegisterGroup;
}

// Depth first in document order, an element before its children; with `documentOrder` false
// every match goes to the front, which reverses the list.
template <typename Match>
void collect(MemoryMapElement *from, bool documentOrder, const Match &match,
             QList<MemoryMapElement *> &list)
{
    for (MemoryMapElement *e = from->firstChildElement(); e; e = e->nextSiblingElement()) {
        if (match(e)) {
            if (documentOrder)
                list.append(e);
            else
                list.prepend(e);
        }
        collect(e, documentOrder, match, list);
    }
}

// A leading "+" makes the start relative to the enclosing element; an address that cannot be
// evaluated is 0.
quint32 computeAddress(QString text, quint32 base)
{
    const bool relative = text.startsWith(QLatin1Char('+'));
    if (relative)
        text.remove(0, 1);
    const std::optional<quint64> value = evaluateMemoryMapExpression(text);
    if (!value)
        return 0;
    return quint32(*value) + (relative ? base : 0);
}

} // namespace

MemoryMap::MemoryMap() = default;
MemoryMap::~MemoryMap() = default;

XMLElement *MemoryMap::mkXMLElement(const char *tagName)
{
    return new MemoryMapElement(tagName);
}

void MemoryMap::warning(const QString &message)
{
    m_warnings.append(message);
}

bool MemoryMap::load(const QString &file, const QString &macros, bool preprocess)
{
    m_preprocess = preprocess;
    m_macros = macros;
    const QString path = resolveFileName(file);
    MemoryMapElement *loaded = load1(file);
    if (!loaded)
        return false;
    root = loaded;
    m_baseFile = path;
    m_readOnly = !QFileInfo(path).isWritable();
    CurrentPoolScope scope(&pool());
    processImports();
    fixupAddresses(loaded, 0);
    return true;
}

QString MemoryMap::resolveFileName(const QString &file) const
{
    const QString expanded = macroSystem.replaceGlobalMacros(file);
    if (QFileInfo(expanded).isRelative() && !m_baseFile.isEmpty())
        return QFileInfo(m_baseFile).dir().filePath(expanded);
    return expanded;
}

MemoryMapElement *MemoryMap::load1(const QString &file)
{
    const QString path = resolveFileName(file);
    XMLElement *const previousRoot = root;
    const bool previousReadOnly = m_readOnly;
    m_readOnly = !QFileInfo(path).isWritable();
    const QByteArray pathBytes = QFile::encodeName(path);
    const QByteArray macroBytes = m_macros.toUtf8();
    root = nullptr;
    // Attributes are expanded too, so a placement can take segment names, sizes and the like
    // from the project's macros.
    const bool ok = m_preprocess ? XMLPP2::load(pathBytes.constData(), macroBytes.constData(), true)
                                 : XMLDocument::load(pathBytes.constData());
    auto *loaded = ok ? static_cast<MemoryMapElement *>(root) : nullptr;
    root = previousRoot;
    m_readOnly = previousReadOnly;
    if (loaded)
        loaded->setLoadTime(modificationTime(path));
    return loaded;
}

// One level only: an imported file's own imports are left as they are.
void MemoryMap::processImports()
{
    MemoryMapElement *top = rootElement();
    MemoryMapElement *next = nullptr;
    for (MemoryMapElement *child = top->firstChildElement(); child; child = next) {
        next = child->nextSiblingElement();
        if (!child->tagIs("Import"))
            continue;
        const char *fileName = child->attribute("filename");
        MemoryMapElement *imported = fileName ? load1(QString::fromUtf8(fileName)) : nullptr;
        if (!imported)
            continue;
        top->replaceChild(child, imported);
        imported->setImportedBy(child);
    }
}

void MemoryMap::fixupAddresses(MemoryMapElement *element, quint32 base)
{
    const int type = element->elementType();
    quint32 childBase = base;
    if (element->hasAddress()) {
        const QString text = element->attributeText("start");
        if (hasOwnBase(type)) {
            childBase = computeAddress(text, base);
            element->setComputedAddress(childBase);
        } else if (type == MemoryMapElement::Register) {
            element->setComputedAddress(computeAddress(text, base));
        } else if (type == MemoryMapElement::BitField || type == MemoryMapElement::Enum) {
            element->setComputedAddress(computeAddress(text, 0));
        }
    }
    if (element->hasSize()) {
        const QString text = element->sizeAsString();
        if (hasOwnBase(type)) {
            // A size the evaluator cannot compute (a linker symbol, say) keeps the last one.
            if (const std::optional<quint64> value = evaluateMemoryMapExpression(text))
                element->setComputedSize(quint32(*value));
        } else if (type == MemoryMapElement::Register || type == MemoryMapElement::BitField ||
                   type == MemoryMapElement::Enum) {
            element->setComputedSize(quint32(memoryMapPlainNumber(text)));
        }
    }
    for (MemoryMapElement *child = element->firstChildElement(); child;
         child = child->nextSiblingElement())
        fixupAddresses(child, childBase);
}

bool MemoryMap::upToDate() const
{
    const MemoryMapElement *top = rootElement();
    if (!top || top->loadTime() != modificationTime(m_baseFile))
        return false;
    for (const MemoryMapElement *child = top->firstChildElement(); child;
         child = child->nextSiblingElement()) {
        const MemoryMapElement *import = child->importedBy();
        if (!import)
            continue;
        const QString path = resolveFileName(import->attributeText("filename"));
        if (child->loadTime() != modificationTime(path))
            return false;
    }
    return true;
}

QStringList MemoryMap::importedFiles() const
{
    QStringList files;
    const MemoryMapElement *top = rootElement();
    for (const MemoryMapElement *child = top ? top->firstChildElement() : nullptr; child;
         child = child->nextSiblingElement()) {
        if (const MemoryMapElement *import = child->importedBy())
            files.append(resolveFileName(import->attributeText("filename")));
    }
    return files;
}

MemoryMapElement *MemoryMap::rootElement() const
{
    return static_cast<MemoryMapElement *>(root);
}

QList<MemoryMapElement *> MemoryMap::getSegments(bool documentOrder) const
{
    QList<MemoryMapElement *> list;
    if (MemoryMapElement *top = rootElement()) {
        collect(
            top, documentOrder,
            [](const MemoryMapElement *e) {
                return e->elementType() == MemoryMapElement::MemorySegment;
            },
            list);
    }
    return list;
}

QList<MemoryMapElement *> MemoryMap::getSections(const MemoryMapElement *segment,
                                                 bool documentOrder) const
{
    QList<MemoryMapElement *> list;
    collect(
        const_cast<MemoryMapElement *>(segment), documentOrder,
        [](const MemoryMapElement *e) {
            return e->elementType() == MemoryMapElement::ProgramSection;
        },
        list);
    return list;
}

MemoryMapElement *MemoryMap::getSegment(const QString &name) const
{
    return getNamedElementOfType(nullptr, MemoryMapElement::MemorySegment, name);
}

MemoryMapElement *MemoryMap::getNamedElementOfType(const MemoryMapElement *from, int type,
                                                   const QString &name) const
{
    const MemoryMapElement *start = from ? from : rootElement();
    if (!start)
        return nullptr;
    QList<MemoryMapElement *> matches;
    collect(
        const_cast<MemoryMapElement *>(start), true,
        [&](const MemoryMapElement *e) { return e->elementType() == type && e->name() == name; },
        matches);
    return matches.isEmpty() ? nullptr : matches.first();
}

QList<MemoryMapElement *> MemoryMap::getAllElements() const
{
    QList<MemoryMapElement *> list;
    if (MemoryMapElement *top = rootElement()) {
        list.append(top);
        collect(
            top, true, [](const MemoryMapElement *) { return true; }, list);
    }
    return list;
}
