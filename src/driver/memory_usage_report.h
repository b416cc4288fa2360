// MemoryUsageReport: how full each memory region of a linked firmware is, for -memory-usage
// and -memory-usage-json.
#pragma once

#include "engine/linker/elf_memory_usage.h"

#include <QJsonArray>
#include <QString>
#include <QStringList>

// Reads the figures of each link from its ELF file and the regions of its linker script, and
// keeps them for the JSON file. Regions of no size (a script's catch-all for unplaced
// sections) are left out.
class MemoryUsageReport
{
public:
    // The console lines for one link, without indentation; when the figures cannot be read,
    // one line that says why.
    QStringList add(const QString &project, const QString &config, const QString &elfFile,
                    const QString &linkerScript);

    // "FLASH  [###.................]  14.2%  37,248 of 262,144 bytes", the name padded to
    // `nameWidth`; a region over 100% gets a full bar and says by how much.
    static QString line(const SegmentUsage &segment, int nameWidth);
    // 262144 -> "262,144".
    static QString grouped(quint64 number);

    // {"links": [{"project", "configuration", "output", "script", "segments": [{"name",
    // "start", "size", "used", "sections"}]}]}, written through a temporary file renamed into
    // place; false with the reason in `*error`.
    [[nodiscard]] bool write(const QString &file, QString *error) const;

private:
    QJsonArray m_links;
};
