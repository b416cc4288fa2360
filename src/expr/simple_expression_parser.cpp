#include "expr/simple_expression_parser.h"

#include "expr/parser_exception.h"

#include <cstring>

namespace {

[[noreturn]] void fail(const QString &message)
{
    throw ParserException(message);
}

} // namespace

SimpleExpressionParser::SimpleExpressionParser() : ExpressionParser(&m_cLexer) {}

SimpleExpressionParser *SimpleExpressionParser::instance()
{
    static SimpleExpressionParser *parser = new SimpleExpressionParser;
    return parser;
}

ExpressionType SimpleExpressionParser::evaluateWhole(const char *text)
{
    try {
        int end = 0;
        const ExpressionType value = parseAndEvaluate(text, &end);
        if (std::size_t(end) < std::strlen(text))
            return ExpressionType();
        return value;
    } catch (const ParserException &) {
        return ExpressionType();
    }
}

quint64 SimpleExpressionParser::getUInteger(const char *text, bool &ok)
{
    const ExpressionType value = evaluateWhole(text ? text : "");
    ok = value.isNumberType();
    return ok ? value.getUInteger() : 0;
}

quint64 SimpleExpressionParser::getUInteger(const QString &text, bool &ok)
{
    return getUInteger(text.toLatin1().constData(), ok);
}

bool SimpleExpressionParser::getBoolean(const char *text, bool &ok)
{
    const ExpressionType value = evaluateWhole(text ? text : "");
    ok = value.kind() == ExpressionType::Boolean;
    return ok && value.getBoolean();
}

bool SimpleExpressionParser::getBoolean(const QString &text, bool &ok)
{
    return getBoolean(text.toLatin1().constData(), ok);
}

ExpressionType SimpleExpressionParser::getScopedIdentifier(const QStringList &parts)
{
    fail(parts.join(QStringLiteral("::")) + QStringLiteral(" symbol not found"));
}

ExpressionType SimpleExpressionParser::getIdentifier(const char *name)
{
    fail(QString::fromLatin1(name) + QStringLiteral(" symbol not found"));
}

ExpressionType SimpleExpressionParser::getRegister(const char *)
{
    fail(QStringLiteral("unknown register"));
}

bool SimpleExpressionParser::isUserTypeName(const char *)
{
    return false;
}

ExpressionType SimpleExpressionParser::cast(BaseType *, const ExpressionType &)
{
    fail(QStringLiteral("cannot cast"));
}

ExpressionType SimpleExpressionParser::getDereference(MarkerType *, unsigned)
{
    fail(QStringLiteral("cannot dereference"));
}

ExpressionType SimpleExpressionParser::getDereference(MarkerType *, const char *)
{
    fail(QStringLiteral("cannot dereference"));
}

ExpressionType SimpleExpressionParser::getDereference(MarkerType *, const QStringList &)
{
    fail(QStringLiteral("cannot dereference"));
}

ExpressionType SimpleExpressionParser::assign(MarkerType *, const ExpressionType &)
{
    fail(QStringLiteral("this symbol not found"));
}

ExpressionType SimpleExpressionParser::getValue(MarkerType *)
{
    fail(QStringLiteral("this symbol not found"));
}
