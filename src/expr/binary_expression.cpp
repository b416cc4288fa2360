#include "expr/binary_expression.h"

#include "expr/expression_parser.h"
#include "expr/value_operations.h"

ExpressionType BinaryExpression::evaluate()
{
    const ExpressionType right = resolved(m_right->evaluate());
    const ExpressionType left = resolved(m_left->evaluate());
    return apply(left, right);
}

QString BinaryExpression::dump() const
{
    return u'(' + m_left->dump() + u' ' + QString::fromLatin1(symbol()) + u' ' + m_right->dump() +
           u')';
}

#define KESTREL_APPLY(Name, Call)                                                                  \
    ExpressionType Name::apply(const ExpressionType &left, const ExpressionType &right)            \
    {                                                                                              \
        return Call;                                                                               \
    }

KESTREL_APPLY(PlusExpression, numericOperation(NumericOperator::Plus, left, right))
KESTREL_APPLY(MinusExpression, numericOperation(NumericOperator::Minus, left, right))
KESTREL_APPLY(MultiplyExpression, numericOperation(NumericOperator::Multiply, left, right))
KESTREL_APPLY(DivideExpression, numericOperation(NumericOperator::Divide, left, right))
KESTREL_APPLY(ModExpression, numericOperation(NumericOperator::Mod, left, right))
KESTREL_APPLY(BitAndExpression, numericOperation(NumericOperator::BitAnd, left, right))
KESTREL_APPLY(BitOrExpression, numericOperation(NumericOperator::BitOr, left, right))
KESTREL_APPLY(BitXorExpression, numericOperation(NumericOperator::BitXor, left, right))
KESTREL_APPLY(LshiftExpression, shiftOperation(ShiftOperator::Left, left, right))
KESTREL_APPLY(RshiftExpression, shiftOperation(ShiftOperator::Right, left, right))
KESTREL_APPLY(LtExpression, comparisonOperation(ComparisonOperator::Lt, left, right))
KESTREL_APPLY(LeExpression, comparisonOperation(ComparisonOperator::Le, left, right))
KESTREL_APPLY(GtExpression, comparisonOperation(ComparisonOperator::Gt, left, right))
KESTREL_APPLY(GeExpression, comparisonOperation(ComparisonOperator::Ge, left, right))
KESTREL_APPLY(EqExpression, comparisonOperation(ComparisonOperator::Eq, left, right))
KESTREL_APPLY(NeExpression, comparisonOperation(ComparisonOperator::Ne, left, right))
KESTREL_APPLY(LogicalAndExpression, logicalOperation(true, left, right))
KESTREL_APPLY(LogicalOrExpression, logicalOperation(false, left, right))

#undef KESTREL_APPLY

ExpressionType AssignExpression::evaluate()
{
    const ExpressionType value = resolved(m_right->evaluate());
    const ExpressionType target = m_left->evaluate();
    if (m_mode == Plain)
        return m_host->assign(target.getMarker(), value);
    const ExpressionType old = resolved(target);
    const bool increment = m_mode == PreIncrement || m_mode == PostIncrement;
    const ExpressionType updated = numericOperation(
        increment ? NumericOperator::Plus : NumericOperator::Minus, old, value);
    m_host->assign(target.getMarker(), updated);
    return m_mode == PostIncrement || m_mode == PostDecrement ? old : updated;
}

QString AssignExpression::dump() const
{
    switch (m_mode) {
    case PreIncrement:
        return QStringLiteral("++") + m_left->dump();
    case PreDecrement:
        return QStringLiteral("--") + m_left->dump();
    case PostIncrement:
        return m_left->dump() + QStringLiteral("++");
    case PostDecrement:
        return m_left->dump() + QStringLiteral("--");
    case Plain:
        break;
    }
    return BinaryExpression::dump();
}
