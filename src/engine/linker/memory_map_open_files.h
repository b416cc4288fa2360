// MemoryMapOpenFiles: the process-wide cache of loaded memory maps, so that every link of a run
// reads a memory map or section placement file once unless it changes.
#pragma once

#include <QString>

class MemoryMap;

// Keyed by the native form of the file path. The cache owns the maps; callers borrow them and
// must not keep them past a later request for the same file, which may replace the map.
class MemoryMapOpenFiles
{
public:
    // The loaded map, reloaded when the file (or an import) changed or the macro text differs;
    // null when the file cannot be loaded (nothing is cached then).
    static MemoryMap *getMemoryMapFile(const QString &file, const QString &macros, bool preprocess);
    // Drops every cached map (for tests and for hosts that run several builds).
    static void clear();
    static int count();
};
