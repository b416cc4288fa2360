// The two ways numbers are written in memory map files: expressions (segment, section and
// register group addresses and sizes, alignments) and plain numbers (registers, bit fields).
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Evaluates `text` as an unsigned integer expression; nothing when it cannot be evaluated
// (a symbol the host does not know, a syntax error, a division by zero).
std::optional<quint64> evaluateMemoryMapExpression(const QString &text);

// A plain number with C conventions: "0x" hexadecimal, "0b" binary, a leading "0" octal,
// otherwise decimal; leading blanks and a sign are accepted, the rest of the text is ignored.
quint64 memoryMapPlainNumber(const QString &text);
