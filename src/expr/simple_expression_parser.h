// The evaluator host of the build tool: it knows no symbols, registers or memory, so only
// literals, operators and parentheses evaluate.
#pragma once

#include "expr/c_style_lexer.h"
#include "expr/expression_parser.h"

#include <QString>
#include <QtGlobal>

// One process-wide instance (instance()). It holds the lexer state of the evaluation in progress
// and is not re-entrant.
class SimpleExpressionParser : public ExpressionParser
{
public:
    SimpleExpressionParser();
    static SimpleExpressionParser *instance();

    // The value of `text` as an unsigned number; `ok` false (and 0) when the text does not
    // evaluate to a number, including when anything follows the expression.
    quint64 getUInteger(const char *text, bool &ok);
    quint64 getUInteger(const QString &text, bool &ok);
    // The value of a condition; `ok` is true only for a Boolean result, so "1" is not a
    // condition and "1 == 1" is.
    bool getBoolean(const char *text, bool &ok);
    bool getBoolean(const QString &text, bool &ok);

    ExpressionType getScopedIdentifier(const QStringList &parts) override;
    ExpressionType getIdentifier(const char *name) override;
    ExpressionType getRegister(const char *name) override;
    bool isUserTypeName(const char *name) override;
    ExpressionType cast(BaseType *type, const ExpressionType &value) override;
    ExpressionType getDereference(MarkerType *marker, unsigned index) override;
    ExpressionType getDereference(MarkerType *marker, const char *member) override;
    ExpressionType getDereference(MarkerType *marker, const QStringList &path) override;
    ExpressionType assign(MarkerType *marker, const ExpressionType &value) override;
    ExpressionType getValue(MarkerType *marker) override;

private:
    // The value of the whole text, or Unknown when it fails or leaves text unread.
    ExpressionType evaluateWhole(const char *text);

    CStyleLexer m_cLexer;
};
