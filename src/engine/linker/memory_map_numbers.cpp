#include "engine/linker/memory_map_numbers.h"

#include "expr/number_format.h"
#include "expr/simple_expression_parser.h"

namespace {

// A literal such as "0x20000000" or "4096", read the way the expression parser reads it; null
// for anything else (an expression, a sign, blanks, leading zeros, more digits than 32 bits).
std::optional<quint64> plainLiteral(const QString &text)
{
    QStringView digits = text;
    int base = 10;
    if (digits.startsWith(u"0x")) {
        base = 16;
        digits = digits.sliced(2);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
    } else if (digits.isEmpty() || digits.size() > 9 || (digits.size() > 1 && digits[0] == u'0')) {
        return std::nullopt;
    }
    quint64 value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        const int digit = u >= u'0' && u <= u'9'             ? u - u'0'
                          : base == 16 && u >= u'a' && u <= u'f' ? u - u'a' + 10
                          : base == 16 && u >= u'A' && u <= u'F' ? u - u'A' + 10
                                                                 : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * quint64(base) + quint64(digit);
    }
    return value;
}

} // namespace

std::optional<quint64> evaluateMemoryMapExpression(const QString &text)
{
    // Most addresses and sizes in a map are literals, and setting up the expression parser
    // costs more than a no-op build of a small project.
    if (const std::optional<quint64> literal = plainLiteral(text))
        return literal;
    bool ok = false;
    const quint64 value = SimpleExpressionParser::instance()->getUInteger(text, ok);
    if (!ok)
        return std::nullopt;
    return value;
}

quint64 memoryMapPlainNumber(const QString &text)
{
    return quint64(int64FromString(text));
}
