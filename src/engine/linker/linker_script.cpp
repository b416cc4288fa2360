#include "engine/linker/linker_script.h"

#include "engine/linker/memory_map.h"
#include "engine/linker/memory_map_element.h"

#include <QFile>
#include <QMap>
#include <QTextStream>

#include <memory>
#include <vector>

namespace {

QString hex8(quint64 value)
{
    return QStringLiteral("0x%1").arg(value, 8, 16, QLatin1Char('0'));
}

QString orZero(const QString &value)
{
    return value.isEmpty() ? QStringLiteral("0") : value;
}

QString segmentName(const Section *s)
{
    return getMemoryMapElementName(s->segment);
}

bool isRegion(const MemoryMapElement *segment)
{
    return segment->hasAddress() && segment->hasSize();
}

void writeRegion(QTextStream &out, const MemoryMapElement *segment)
{
    out << "  " << getMemoryMapElementName(segment) << " (" << (segment->isReadOnly() ? "rx" : "wx")
        << ") : ORIGIN = " << hex8(segment->address()) << ", LENGTH = " << hex8(segment->size())
        << "\n";
}

struct Regions
{
    QList<MemoryMapElement *> segments;
    bool fromPlacement = false;
};

// The segments the frame of the script describes: the placement's when it gives any segment
// a start and a size of its own, otherwise the memory map's.
Regions writeRegions(QTextStream &out, MemoryMap *memoryMap, MemoryMap *placement)
{
    Regions regions;
    if (placement) {
        for (MemoryMapElement *segment : placement->getSegments(true)) {
            if (isRegion(segment))
                regions.segments.append(segment);
        }
        regions.fromPlacement = !regions.segments.isEmpty();
    }
    if (!regions.fromPlacement)
        regions.segments = memoryMap->getSegments(true);
    for (const MemoryMapElement *segment : std::as_const(regions.segments))
        writeRegion(out, segment);
    return regions;
}

void writeMapSymbols(QTextStream &out, MemoryMap *memoryMap)
{
    for (const MemoryMapElement *e : memoryMap->getAllElements()) {
        if (e->hasAddressSymbol() && e->hasAddress())
            out << "  " << e->addressSymbol() << " = " << e->addressAsString() << ";\n";
        if (e->hasSizeSymbol() && e->hasSize())
            out << "  " << e->sizeSymbol() << " = " << e->sizeAsString() << ";\n";
    }
}

void writeSegmentSymbols(QTextStream &out, const QList<MemoryMapElement *> &segments)
{
    for (const MemoryMapElement *segment : segments) {
        const QString name = getMemoryMapElementName(segment);
        out << "  __" << name << "_segment_start__ = " << hex8(segment->address()) << ";\n";
        out << "  __" << name
            << "_segment_end__ = " << hex8(quint64(segment->address()) + segment->size()) << ";\n";
    }
}

void writeSize(QTextStream &out, const char *symbol, const QString &value)
{
    out << "  " << symbol << " = " << orZero(value) << ";\n";
}

// Cortex-M cores have a main and a process stack and no banked mode stacks; the classic ARM
// cores have one stack per processor mode.
void writeStackAndHeapSizes(QTextStream &out, const LinkerScriptSettings &settings)
{
    if (settings.architecture == u"v6M" || settings.architecture == u"v7M") {
        writeSize(out, "__STACKSIZE__", settings.stackSize);
        writeSize(out, "__STACKSIZE_PROCESS__", settings.processStackSize);
        for (const char *mode : {"IRQ", "FIQ", "SVC", "ABT", "UND"})
            out << "  __STACKSIZE_" << mode << "__ = 0;\n";
    } else {
        writeSize(out, "__STACKSIZE__", settings.stackSize);
        writeSize(out, "__STACKSIZE_IRQ__", settings.irqStackSize);
        writeSize(out, "__STACKSIZE_FIQ__", settings.fiqStackSize);
        writeSize(out, "__STACKSIZE_SVC__", settings.svcStackSize);
        writeSize(out, "__STACKSIZE_ABT__", settings.abtStackSize);
        writeSize(out, "__STACKSIZE_UND__", settings.undStackSize);
    }
    writeSize(out, "__HEAPSIZE__", settings.heapSize);
    out << "\n";
}

// Owns the Section records while the script is written and chains each new section after the
// last one placed in the same segment, whichever file placed it.
class SectionList
{
public:
    void append(const MemoryMapElement *element, const MemoryMapElement *segment)
    {
        Section *previous = m_lastInSegment.value(segment);
        m_owned.push_back(std::make_unique<Section>(previous, element, segment));
        Section *section = m_owned.back().get();
        if (previous)
            previous->last = false;
        m_lastInSegment.insert(segment, section);
        m_sections.push_back(section);
    }

    std::list<Section *> &sections() { return m_sections; }

private:
    std::vector<std::unique_ptr<Section>> m_owned;
    std::list<Section *> m_sections;
    QMap<const MemoryMapElement *, Section *> m_lastInSegment;
};

MemoryMapElement *targetSegment(MemoryMap *memoryMap, const MemoryMapElement *placementSegment)
{
    const QStringList names = placementSegment->name().split(QLatin1Char(';'));
    for (const QString &name : names) {
        if (MemoryMapElement *segment = memoryMap->getSegment(name))
            return segment;
    }
    return nullptr;
}

void collectSections(SectionList &list, MemoryMap *memoryMap, MemoryMap *placement,
                     bool placementHasRegions)
{
    if (!placementHasRegions) {
        for (const MemoryMapElement *segment : memoryMap->getSegments(true)) {
            for (const MemoryMapElement *section : memoryMap->getSections(segment, true))
                list.append(section, segment);
        }
    }
    if (!placement)
        return;
    for (const MemoryMapElement *placed : placement->getSegments(true)) {
        const MemoryMapElement *segment = targetSegment(memoryMap, placed);
        if (!segment)
            continue;
        for (const MemoryMapElement *section : placement->getSections(placed, true))
            list.append(section, segment);
    }
}

bool isAbsolute(const Section *s)
{
    return s->element->hasAddress();
}

// Where a section starts when nothing but its segment and its predecessor decide it.
QString startExpression(const Section *s)
{
    QString start;
    if (isAbsolute(s))
        start = hex8(s->element->address());
    else if (!s->previous)
        start = QStringLiteral("__") + segmentName(s) + QStringLiteral("_segment_start__");
    else if (s->previous->element->hasRunIn())
        start = QStringLiteral("__") + s->previous->name(true) +
                QStringLiteral("_load_start__ + SIZEOF(") + s->previous->name(false) +
                QStringLiteral(")");
    else
        start = QStringLiteral("__") + s->previous->name(true) + QStringLiteral("_end__");
    const quint32 alignment = s->element->alignment();
    if (alignment > 1)
        start = QStringLiteral("ALIGN(") + start + QStringLiteral(" , ") +
                QString::number(alignment) + QStringLiteral(")");
    return start;
}

void checkAbsolutePlacement(const Section *s)
{
    if (!isAbsolute(s))
        return;
    const quint64 address = s->element->address();
    const quint64 start = s->segment->address();
    if (address < start || address >= start + s->segment->size())
        throw QString(
            QStringLiteral("The ") + s->name(false) +
            QStringLiteral(
                " section has been placed at an absolute address outside of its segment range."));
}

QString sizeLine(const Section *s)
{
    if (!s->element->hasSize())
        return QString();
    const QString max = QStringLiteral("MAX(__") + s->name(true) + QStringLiteral("_start__ + ") +
                        s->element->sizeAsString() + QStringLiteral(" , .)");
    const quint32 alignment = s->element->alignment();
    if (alignment > 1)
        return QStringLiteral("    . = ALIGN(") + max + QStringLiteral(", ") +
               QString::number(alignment) + QStringLiteral(");\n");
    return QStringLiteral("    . = ") + max + QStringLiteral(";\n");
}

// Sections that run at this section's place need its room at run time. A section that runs
// elsewhere has no room of its own to lend, which is checked before anything it depends on is
// laid out: its run section's predecessor may lead back to it, and the rule it breaks is the
// message the user needs, not the cycle that follows from it.
QString reservationLines(const std::list<Section *> &sections, const Section *s)
{
    QString lines;
    for (const Section *other : sections) {
        if (other == s || !other->element->hasRunIn() || other->element->runIn() != s->name(false))
            continue;
        if (s->element->hasRunIn())
            throw QString(QStringLiteral("run section ") + s->name(false) +
                          QStringLiteral(" cannot have run in sections"));
        lines += QStringLiteral("    . = MAX(__") + s->name(true) +
                 QStringLiteral("_start__ + SIZEOF(") + other->name(false) +
                 QStringLiteral("), .);\n");
    }
    return lines;
}

void writeBody(QTextStream &out, const Section *s, const QString &reservations)
{
    const QString n = s->name(true);
    const QString input = s->element->hasInputSections()
                              ? s->element->inputSections()
                              : QStringLiteral("*(") + s->name(false) + QStringLiteral(")");
    out << "  {\n";
    out << "    __" << n << "_start__ = .;\n";
    out << "    " << input << "\n";
    out << sizeLine(s) << reservations;
    if (s->element->hasFill())
        out << "  } =" << s->element->fill() << "\n";
    else
        out << "  }\n";
    out << "  __" << n << "_end__ = __" << n << "_start__ + SIZEOF(" << s->name(false) << ");\n\n";
}

Section *findRunSection(const std::list<Section *> &sections, const Section *s)
{
    const QString runIn = s->element->runIn();
    for (Section *candidate : sections) {
        if (candidate->name(false) == runIn)
            return candidate;
    }
    throw QString(QStringLiteral("cannot find run section ") + runIn +
                  QStringLiteral(" referenced in ") + s->name(false));
}

QString sectionType(const Section *s)
{
    return s->element->load() ? QString() : QStringLiteral(" (NOLOAD)");
}

void writeRunInSection(MemoryMap *map, QTextStream &out, std::list<Section *> &sections, Section *s,
                       const QString &start, const QString &reservations, bool checkOverflow)
{
    Section *run = findRunSection(sections, s);
    if (run->previous && !run->previous->done)
        layoutMemorySection(map, out, sections, run->previous, checkOverflow);
    const QString n = s->name(true);
    out << "  __" << n << "_load_start__ = " << start << ";\n";
    out << "  " << s->name(false) << " " << startExpression(run) << sectionType(s) << " : AT(__"
        << n << "_load_start__)\n";
    writeBody(out, s, reservations);
    out << "  __" << n << "_load_end__ = __" << n << "_load_start__ + SIZEOF(" << s->name(false)
        << ");\n\n";
}

void writeOverflowCheck(QTextStream &out, const Section *s)
{
    const QString n = s->name(true);
    const QString segment = segmentName(s);
    const QString end =
        s->element->hasRunIn()
            ? QString(u"(__" + n + u"_load_start__ + SIZEOF(" + s->name(false) + u"))")
            : QString(u"__" + n + u"_end__");
    const QString segmentStart =
        QStringLiteral("__") + segment + QStringLiteral("_segment_start__");
    out << "  . = ASSERT(" << end << " >= " << segmentStart << " && " << end << " <= ("
        << segmentStart << " + " << hex8(s->segment->size()) << ") , \"error: " << s->name(false)
        << " is too large to fit in " << segment << " memory segment\");\n\n";
}

void writeOverlapCheck(QTextStream &out, const Section *s)
{
    if (!isAbsolute(s) || !s->previous)
        return;
    const Section *p = s->previous;
    out << "  . = ASSERT(__" << p->name(true) << (p->element->hasRunIn() ? "_load" : "")
        << "_end__ <= __" << s->name(true) << (s->element->hasRunIn() ? "_load" : "")
        << "_start__ , \"error: section " << p->name(false) << " overlaps absolute placed section "
        << s->name(false) << "\");\n\n";
}

} // namespace

Section::Section(Section *previousSection, const MemoryMapElement *sectionElement,
                 const MemoryMapElement *segmentElement)
    : previous(previousSection), element(sectionElement), segment(segmentElement),
      fullName(getMemoryMapElementName(sectionElement))
{
}

QString Section::name(bool symbol) const
{
    if (symbol && fullName.startsWith(QLatin1Char('.')))
        return fullName.mid(1);
    return fullName;
}

void layoutMemorySection(MemoryMap *map, QTextStream &out, std::list<Section *> &sections,
                         Section *s, bool checkOverflow)
{
    if (s->done)
        return;
    if (s->inProgress)
        throw QString(QStringLiteral("cyclic memory section dependency with section ") +
                      s->name(false));
    s->inProgress = true;
    if (s->previous && !s->previous->done)
        layoutMemorySection(map, out, sections, s->previous, checkOverflow);
    checkAbsolutePlacement(s);
    const QString start = startExpression(s);
    const QString reservations = reservationLines(sections, s);
    if (s->element->hasRunIn()) {
        writeRunInSection(map, out, sections, s, start, reservations, checkOverflow);
    } else {
        out << "  " << s->name(false) << " " << start << sectionType(s) << " :\n";
        writeBody(out, s, reservations);
    }
    if (s->last)
        out << "  __" << segmentName(s) << "_segment_used_end__ = " << start << " + SIZEOF("
            << s->name(false) << ");\n\n";
    if (checkOverflow) {
        writeOverflowCheck(out, s);
        writeOverlapCheck(out, s);
    }
    s->inProgress = false;
    s->done = true;
}

void createLinkerScript(const LinkerScriptSettings &settings, const QString &scriptPath,
                        bool checkOverflow, MemoryMap *memoryMap, MemoryMap *placement)
{
    const QString failure = QStringLiteral("cannot write linker script file: ") + scriptPath;
    QFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw failure;
    QTextStream out(&file);
    writeLinkerScript(settings, out, checkOverflow, memoryMap, placement);
    // A full disk shows only once the text reaches the file; the link must fail here rather
    // than hand ld a script cut short.
    out.flush();
    file.close();
    if (out.status() != QTextStream::Ok || file.error() != QFileDevice::NoError)
        throw QString(failure + QStringLiteral(" (") + file.errorString() + u')');
}

void writeLinkerScript(const LinkerScriptSettings &settings, QTextStream &out, bool checkOverflow,
                       MemoryMap *memoryMap, MemoryMap *placement)
{
    out << "MEMORY\n{\n";
    if (checkOverflow)
        out << "  UNPLACED_SECTIONS (wx) : ORIGIN = 0x100000000, LENGTH = 0\n";
    const Regions regions = writeRegions(out, memoryMap, placement);
    out << "}\n\n";
    writeMapSymbols(out, memoryMap);
    out << "SECTIONS\n{\n";
    writeSegmentSymbols(out, regions.segments);
    out << "\n";
    writeStackAndHeapSizes(out, settings);

    SectionList list;
    collectSections(list, memoryMap, placement, regions.fromPlacement);
    for (Section *s : list.sections())
        layoutMemorySection(memoryMap, out, list.sections(), s, checkOverflow);
    out << "}\n\n";
}
