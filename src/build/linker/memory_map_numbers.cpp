#include "build/linker/memory_map_numbers.h"

namespace {

int digitValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'z')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'Z')
        return c.unicode() - u'A' + 10;
    return 99;
}

struct Scan
{
    quint64 value = 0;
    qsizetype end = 0; // index after the last character used
    bool digits = false;
};

Scan scanNumber(const QString &text)
{
    Scan scan;
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    int base = 10;
    if (text.mid(i, 2).compare(u"0x", Qt::CaseInsensitive) == 0) {
        base = 16;
        i += 2;
    } else if (text.mid(i, 2).compare(u"0b", Qt::CaseInsensitive) == 0) {
        base = 2;
        i += 2;
    } else if (text.mid(i, 1) == u"0") {
        base = 8;
    }
    for (; i < text.size() && digitValue(text.at(i)) < base; ++i) {
        scan.value = scan.value * base + digitValue(text.at(i));
        scan.digits = true;
    }
    if (negative)
        scan.value = quint64(0) - scan.value;
    scan.end = i;
    return scan;
}

} // namespace

// TODO(linker): evaluate through the shared expression evaluator once it is in the tree; until
// then only a single number is accepted.
std::optional<quint64> evaluateMemoryMapExpression(const QString &text)
{
    const Scan scan = scanNumber(text);
    if (!scan.digits || !text.mid(scan.end).trimmed().isEmpty())
        return std::nullopt;
    return scan.value;
}

quint64 memoryMapPlainNumber(const QString &text)
{
    return scanNumber(text).value;
}
