// The memory regions a GNU ld script declares in its MEMORY command.
#pragma once

#include <QList>
#include <QString>

struct MemoryRegion
{
    QString name;
    quint64 origin = 0;
    quint64 length = 0;
};

// The regions of the first MEMORY command in `scriptText`, in the order written. A region whose
// origin or length is not a plain number (decimal, octal or hexadecimal, with an optional K or M)
// is left out: kestrel does not evaluate ld's expressions.
QList<MemoryRegion> linkerScriptRegions(const QString &scriptText);
