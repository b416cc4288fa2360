#include "expr/expression.h"

#include "expr/expression_parser.h"
#include "expr/host_types.h"
#include "expr/value_operations.h"

#include <list>

ExpressionType Expression::resolved(const ExpressionType &value) const
{
    if (value.kind() == ExpressionType::Marker)
        return m_host->getValue(value.getMarker());
    return value;
}

QString ConstantExpression::dump() const
{
    return m_value.toString();
}

ExpressionType IdentifierExpression::evaluate()
{
    return m_host->getIdentifier(m_name.toLatin1().constData());
}

ExpressionType ScopedIdentifierExpression::evaluate()
{
    return m_host->getScopedIdentifier(m_parts);
}

ExpressionType RegisterExpression::evaluate()
{
    return m_host->getRegister(m_name.toLatin1().constData());
}

ExpressionType NegateExpression::evaluate()
{
    return negateValue(resolved(m_operand->evaluate()));
}

ExpressionType BitNotExpression::evaluate()
{
    return bitNotValue(resolved(m_operand->evaluate()));
}

ExpressionType LogicalNotExpression::evaluate()
{
    return logicalNotValue(resolved(m_operand->evaluate()));
}

ExpressionType AddressofExpression::evaluate()
{
    return m_host->getAddressof(m_operand->evaluate().getMarker());
}

ExpressionType SizeofExpression::evaluate()
{
    return m_host->getSizeof(m_operand->evaluate().getMarker());
}

ExpressionType CastExpression::evaluate()
{
    return m_host->cast(m_type.get(), resolved(m_operand->evaluate()));
}

QString CastExpression::dump() const
{
    return u'(' + m_type->name() + u')' + m_operand->dump();
}

ExpressionType LeftSquareBracketExpression::evaluate()
{
    const ExpressionType index = resolved(m_index->evaluate());
    const ExpressionType base = m_base->evaluate();
    return m_host->getDereference(base.getMarker(), unsigned(index.getUInteger()));
}

ExpressionType DotExpression::evaluate()
{
    ExpressionType base = m_base->evaluate();
    if (m_throughPointer)
        base = m_host->getDereference(base.getMarker(), 0u);
    return m_host->getDereference(base.getMarker(), m_member.toLatin1().constData());
}

QString DotExpression::dump() const
{
    return m_base->dump() + (m_throughPointer ? QStringLiteral("->") : QStringLiteral(".")) +
           m_member;
}

ExpressionType CallExpression::evaluate()
{
    std::list<ExpressionType> arguments;
    for (const ExpressionPtr &argument : m_arguments)
        arguments.push_back(resolved(argument->evaluate()));
    const ExpressionType function = m_function->evaluate();
    return m_host->callFunction(function.getMarker(), arguments);
}

QString CallExpression::dump() const
{
    QStringList arguments;
    for (const ExpressionPtr &argument : m_arguments)
        arguments << argument->dump();
    return m_function->dump() + u'(' + arguments.join(QStringLiteral(", ")) + u')';
}
