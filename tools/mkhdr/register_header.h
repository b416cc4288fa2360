// The C header of a memory map's peripheral registers: one #define per register (an lvalue
// at its address), and masks, bit positions and values of its bit fields.
#pragma once

#include <QString>

class MemoryMap;

// The header text for `map`; `headerName` gives the include guard and `sourceName` the
// comment that says where the definitions come from.
QString registerHeader(const MemoryMap &map, const QString &headerName, const QString &sourceName);
