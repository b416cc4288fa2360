// The expression evaluator, as the preprocessor's conditions and the memory map's addresses and
// sizes use it.
#include "expr/simple_expression_parser.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    SimpleExpressionParser *parser = SimpleExpressionParser::instance();
    bool ok = false;
    const quint64 value = parser->getUInteger(text.constData(), ok);
    if (!ok && value != 0)
        __builtin_trap(); // a failed evaluation is 0
    parser->getBoolean(text.constData(), ok);

    // The QString overloads read the text as Latin-1, so they must agree with the byte ones.
    bool ok2 = false;
    const quint64 value2 = parser->getUInteger(QString::fromLatin1(text), ok2);
    parser->getUInteger(text.constData(), ok);
    if (ok != ok2 || value != value2)
        __builtin_trap();
    return 0;
}
