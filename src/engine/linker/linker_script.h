// Generation of a GNU ld script from a memory map (the device's segments) and a section
// placement (which program sections go into which segment, in order).
#pragma once

#include <QString>

#include <list>

class MemoryMap;
class MemoryMapElement;
class QTextStream;

// The project settings the script is made from, already resolved for the configuration by the
// link step. Sizes are the settings' text; an empty text is written as "0".
struct LinkerScriptSettings
{
    QString architecture; // arm_architecture: "v6M" and "v7M" get the Cortex-M stack lines
    QString stackSize;    // arm_linker_stack_size (main stack on Cortex-M, user/system else)
    QString processStackSize;
    QString irqStackSize;
    QString fiqStackSize;
    QString svcStackSize;
    QString abtStackSize;
    QString undStackSize;
    QString heapSize;
};

// One program section to be placed, chained to the section before it in the same segment.
struct Section
{
    Section(Section *previous, const MemoryMapElement *element, const MemoryMapElement *segment);

    // With `symbol` the leading "." is dropped: ".text" gives the symbols __text_start__ ...
    QString name(bool symbol) const;

    Section *previous = nullptr;
    const MemoryMapElement *element = nullptr;
    const MemoryMapElement *segment = nullptr;
    QString fullName;
    bool done = false;
    bool inProgress = false;
    bool last = true;
};

// Writes `scriptPath` (created or truncated). `placement` may be null. Throws a QString with
// the message when the placement cannot be laid out or the file cannot be written; what was
// written so far stays in the file.
void createLinkerScript(const LinkerScriptSettings &settings, const QString &scriptPath,
                        bool checkOverflow, MemoryMap *memoryMap, MemoryMap *placement);

// The same text written to a stream (the link step compares it with the script on disk).
void writeLinkerScript(const LinkerScriptSettings &settings, QTextStream &out, bool checkOverflow,
                       MemoryMap *memoryMap, MemoryMap *placement);

// Writes `section`, after whatever it depends on that is not written yet. Throws a QString.
void layoutMemorySection(MemoryMap *map, QTextStream &out, std::list<Section *> &sections,
                         Section *section, bool checkOverflow);
