// Binary nodes of the expression tree. The right operand is evaluated first, then the left;
// `&&` and `||` do not short-circuit.
#pragma once

#include "expr/expression.h"

class BinaryExpression : public Expression
{
public:
    BinaryExpression(ExpressionParser *host, ExpressionPtr left, ExpressionPtr right)
        : Expression(host), m_left(std::move(left)), m_right(std::move(right)) {}
    ExpressionType evaluate() override;
    QString dump() const override;

protected:
    virtual ExpressionType apply(const ExpressionType &left, const ExpressionType &right) = 0;
    virtual const char *symbol() const = 0;

    ExpressionPtr m_left;
    ExpressionPtr m_right;
};

#define KESTREL_BINARY_EXPRESSION(Name, Symbol)                                                    \
    class Name : public BinaryExpression                                                           \
    {                                                                                              \
    public:                                                                                        \
        using BinaryExpression::BinaryExpression;                                                  \
                                                                                                   \
    protected:                                                                                     \
        ExpressionType apply(const ExpressionType &left, const ExpressionType &right) override;   \
        const char *symbol() const override { return Symbol; }                                     \
    };

KESTREL_BINARY_EXPRESSION(PlusExpression, "+")
KESTREL_BINARY_EXPRESSION(MinusExpression, "-")
KESTREL_BINARY_EXPRESSION(MultiplyExpression, "*")
KESTREL_BINARY_EXPRESSION(DivideExpression, "/")
KESTREL_BINARY_EXPRESSION(ModExpression, "%")
KESTREL_BINARY_EXPRESSION(LshiftExpression, "<<")
KESTREL_BINARY_EXPRESSION(RshiftExpression, ">>")
KESTREL_BINARY_EXPRESSION(LtExpression, "<")
KESTREL_BINARY_EXPRESSION(LeExpression, "<=")
KESTREL_BINARY_EXPRESSION(GtExpression, ">")
KESTREL_BINARY_EXPRESSION(GeExpression, ">=")
KESTREL_BINARY_EXPRESSION(EqExpression, "==")
KESTREL_BINARY_EXPRESSION(NeExpression, "!=")
KESTREL_BINARY_EXPRESSION(BitAndExpression, "&")
KESTREL_BINARY_EXPRESSION(BitXorExpression, "^")
KESTREL_BINARY_EXPRESSION(BitOrExpression, "|")
KESTREL_BINARY_EXPRESSION(LogicalAndExpression, "&&")
KESTREL_BINARY_EXPRESSION(LogicalOrExpression, "||")

#undef KESTREL_BINARY_EXPRESSION

// `target = value` through the host. Prefix and postfix `++`/`--` are built from it with the
// step 1 as value; the postfix forms give the value from before the assignment.
class AssignExpression : public BinaryExpression
{
public:
    enum Mode { Plain, PreIncrement, PreDecrement, PostIncrement, PostDecrement };

    AssignExpression(ExpressionParser *host, ExpressionPtr target, ExpressionPtr value,
                     Mode mode = Plain)
        : BinaryExpression(host, std::move(target), std::move(value)), m_mode(mode) {}
    ExpressionType evaluate() override;
    QString dump() const override;

protected:
    ExpressionType apply(const ExpressionType &, const ExpressionType &) override
    {
        return ExpressionType();
    }
    const char *symbol() const override { return "="; }

private:
    Mode m_mode;
};
