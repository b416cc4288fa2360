#include "expr/number_format.h"

#include <cmath>

namespace {

const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

int validBase(int base)
{
    return base >= 2 && base <= 36 ? base : 10;
}

int digitOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'z')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'Z')
        return u - 'A' + 10;
    return 99;
}

} // namespace

QString toStringFromuint64(quint64 value, int base)
{
    base = validBase(base);
    char buffer[65];
    int at = 64;
    buffer[at] = '\0';
    do {
        buffer[--at] = kDigits[value % unsigned(base)];
        value /= unsigned(base);
    } while (value);
    return QString::fromLatin1(buffer + at);
}

QString toStringFromint64(qint64 value, int base)
{
    if (value >= 0)
        return toStringFromuint64(quint64(value), base);
    return u'-' + toStringFromuint64(0 - quint64(value), base);
}

QString toStringFromDouble(double value, char format)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
    return QString::number(value, format);
}

qint64 int64FromString(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    int base = 10;
    if (i + 1 < n && text.at(i) == u'0' && (text.at(i + 1) == u'x' || text.at(i + 1) == u'X')) {
        base = 16;
        i += 2;
    } else if (i + 1 < n && text.at(i) == u'0' &&
               (text.at(i + 1) == u'b' || text.at(i + 1) == u'B')) {
        base = 2;
        i += 2;
    } else if (i < n && text.at(i) == u'0') {
        base = 8;
    }
    quint64 value = 0;
    for (; i < n && digitOf(text.at(i)) < base; ++i)
        value = value * unsigned(base) + unsigned(digitOf(text.at(i)));
    return qint64(negative ? 0 - value : value);
}
