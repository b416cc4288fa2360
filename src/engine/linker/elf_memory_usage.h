// How full each memory region is in a linked firmware, read from its ELF file.
#pragma once

#include "engine/linker/linker_script_regions.h"

#include <QList>
#include <QString>
#include <QStringList>

struct SegmentUsage
{
    QString name;
    quint64 start = 0;
    quint64 size = 0;
    quint64 used = 0;     // may exceed size when the overflow checks were turned off
    QStringList sections; // the allocated sections with an image starting here, by address
};

// For each of `regions`, the bytes that some allocated section of `elfFile` occupies: a
// section's run image where it runs, and its load image where it is stored when the program
// headers place that elsewhere. Sections without contents in the file (.bss, the stack, room
// reserved for code copied to RAM) only take room where they run. An image belongs to the
// region its first byte lies in, whole, so that one running past the region's end shows as
// over 100%; bytes two images share count once and gaps between images do not count.
// False, with the reason in `*error`, when the file cannot be read as ELF.
[[nodiscard]] bool elfMemoryUsage(const QString &elfFile, const QList<MemoryRegion> &regions,
                                  QList<SegmentUsage> *usage, QString *error);
