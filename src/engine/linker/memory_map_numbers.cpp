#include "engine/linker/memory_map_numbers.h"

#include "expr/number_format.h"
#include "expr/simple_expression_parser.h"

std::optional<quint64> evaluateMemoryMapExpression(const QString &text)
{
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
