// Number to text and text to number conversions of the expression evaluator.
#pragma once

#include <QString>
#include <QtGlobal>

// Digits from "0123456789abcdefghijklmnopqrstuvwxyz"; `base` 2 to 36.
QString toStringFromuint64(quint64 value, int base);
QString toStringFromint64(qint64 value, int base);
// `format` as for QString::number ('f', 'e', 'g'); NaN and infinities print "NaN" and "Inf".
QString toStringFromDouble(double value, char format);

// Leading whitespace skipped, optional sign, then "0x" selects base 16, "0b" base 2, a leading
// "0" base 8, otherwise base 10. Reading stops at the first character that is not a digit of
// the base; overflow wraps. So "010" is 8 and "09" is 0.
qint64 int64FromString(const QString &text);
