#include "expr/value_operations.h"

#include "expr/parser_exception.h"

#include <limits>

namespace {

[[noreturn]] void fail(const char *message)
{
    throw ParserException(QString::fromLatin1(message));
}

bool isArithmetic(const ExpressionType &v)
{
    return v.isNumberType() || v.kind() == ExpressionType::Boolean;
}

void checkDivisor(NumericOperator op, bool isZero)
{
    if ((op == NumericOperator::Divide || op == NumericOperator::Mod) && isZero)
        fail("divide by zero");
}

// Wrapping arithmetic on 64-bit patterns; division is done by the callers that know the sign.
quint64 bitwise(NumericOperator op, quint64 a, quint64 b)
{
    switch (op) {
    case NumericOperator::Plus:
        return a + b;
    case NumericOperator::Minus:
        return a - b;
    case NumericOperator::Multiply:
        return a * b;
    case NumericOperator::BitAnd:
        return a & b;
    case NumericOperator::BitOr:
        return a | b;
    case NumericOperator::BitXor:
        return a ^ b;
    default:
        return 0;
    }
}

qint64 signedOperation(NumericOperator op, qint64 a, qint64 b)
{
    checkDivisor(op, b == 0);
    const bool overflows = a == std::numeric_limits<qint64>::min() && b == -1;
    if (op == NumericOperator::Divide)
        return overflows ? a : a / b;
    if (op == NumericOperator::Mod)
        return overflows ? 0 : a % b;
    return qint64(bitwise(op, quint64(a), quint64(b)));
}

quint64 unsignedOperation(NumericOperator op, quint64 a, quint64 b)
{
    checkDivisor(op, b == 0);
    if (op == NumericOperator::Divide)
        return a / b;
    if (op == NumericOperator::Mod)
        return a % b;
    return bitwise(op, a, b);
}

double floatingOperation(NumericOperator op, double a, double b)
{
    checkDivisor(op, b == 0);
    switch (op) {
    case NumericOperator::Plus:
        return a + b;
    case NumericOperator::Minus:
        return a - b;
    case NumericOperator::Multiply:
        return a * b;
    case NumericOperator::Divide:
        return a / b;
    default:
        fail("unsupported binary numeric operation");
    }
}

template <typename T> bool compare(ComparisonOperator op, const T &a, const T &b)
{
    switch (op) {
    case ComparisonOperator::Lt:
        return a < b;
    case ComparisonOperator::Le:
        return a <= b;
    case ComparisonOperator::Gt:
        return a > b;
    case ComparisonOperator::Ge:
        return a >= b;
    case ComparisonOperator::Eq:
        return a == b;
    case ComparisonOperator::Ne:
        return a != b;
    }
    return false;
}

bool truthOf(const ExpressionType &v)
{
    switch (v.kind()) {
    case ExpressionType::Boolean:
        return v.getBoolean();
    case ExpressionType::SignedInteger:
    case ExpressionType::UnsignedInteger:
        return v.getUInteger() != 0;
    case ExpressionType::Floating:
        return v.getDouble() != 0;
    default:
        fail("unsupported binary numeric operation");
    }
}

// A number of the kind and size of `model` with the value 0 or 1.
ExpressionType sameKindFlag(const ExpressionType &model, bool flag)
{
    switch (model.kind()) {
    case ExpressionType::SignedInteger:
        return ExpressionType::fromSigned(flag, model.size());
    case ExpressionType::UnsignedInteger:
        return ExpressionType::fromUnsigned(flag, model.size());
    default:
        return ExpressionType::fromDouble(flag, model.size());
    }
}

} // namespace

ExpressionType numericOperation(NumericOperator op, const ExpressionType &left,
                                const ExpressionType &right)
{
    if (!isArithmetic(left) || !isArithmetic(right))
        fail("unsupported binary numeric operation");
    switch (left.kind()) {
    case ExpressionType::Boolean: {
        const quint64 b = right.kind() == ExpressionType::Boolean ? right.getBoolean()
                                                                  : truthOf(right);
        return ExpressionType::fromBoolean(
            unsignedOperation(op, left.getBoolean() ? 1 : 0, b) != 0);
    }
    case ExpressionType::SignedInteger:
        return ExpressionType::fromSigned(
            signedOperation(op, left.getInteger(), right.getInteger()), left.size());
    case ExpressionType::UnsignedInteger:
        return ExpressionType::fromUnsigned(
            unsignedOperation(op, left.getUInteger(), right.getUInteger()), left.size());
    default:
        return ExpressionType::fromDouble(
            floatingOperation(op, left.getDouble(), right.getDouble()), left.size());
    }
}

ExpressionType shiftOperation(ShiftOperator op, const ExpressionType &left,
                              const ExpressionType &right)
{
    if (!left.isNumberType() || !right.isNumberType())
        fail("can only shift numeric values");
    if (!right.isIntegerType())
        fail("integer shift value expected");
    if (!left.isIntegerType())
        fail("unsupported binary numeric operation");
    const quint64 count = right.getUInteger();
    if (left.kind() == ExpressionType::UnsignedInteger) {
        const quint64 a = left.getUInteger();
        quint64 result = 0;
        if (count < 64)
            result = op == ShiftOperator::Left ? a << count : a >> count;
        return ExpressionType::fromUnsigned(result, left.size());
    }
    const qint64 a = left.getInteger();
    qint64 result;
    if (op == ShiftOperator::Left)
        result = count < 64 ? qint64(quint64(a) << count) : 0;
    else
        result = count < 64 ? a >> count : (a < 0 ? -1 : 0);
    return ExpressionType::fromSigned(result, left.size());
}

ExpressionType comparisonOperation(ComparisonOperator op, const ExpressionType &left,
                                   const ExpressionType &right)
{
    if (left.kind() == ExpressionType::String && right.kind() == ExpressionType::String)
        return ExpressionType::fromBoolean(compare(op, left.getString(), right.getString()));
    if (!left.isNumberType() || !right.isNumberType())
        fail("unsupported comparison operation");
    switch (left.kind()) {
    case ExpressionType::SignedInteger:
        return ExpressionType::fromBoolean(compare(op, left.getInteger(), right.getInteger()));
    case ExpressionType::UnsignedInteger:
        return ExpressionType::fromBoolean(compare(op, left.getUInteger(), right.getUInteger()));
    default:
        return ExpressionType::fromBoolean(compare(op, left.getDouble(), right.getDouble()));
    }
}

ExpressionType logicalOperation(bool isAnd, const ExpressionType &left,
                                const ExpressionType &right)
{
    if (!isArithmetic(left))
        fail("unsupported binary numeric operation");
    const bool a = truthOf(left);
    const bool b = truthOf(right);
    const bool result = isAnd ? a && b : a || b;
    if (left.kind() == ExpressionType::Boolean)
        return ExpressionType::fromBoolean(result);
    return sameKindFlag(left, result);
}

ExpressionType negateValue(const ExpressionType &value)
{
    switch (value.kind()) {
    case ExpressionType::SignedInteger:
        return ExpressionType::fromSigned(qint64(0 - quint64(value.getInteger())), value.size());
    case ExpressionType::UnsignedInteger:
        return ExpressionType::fromUnsigned(0 - value.getUInteger(), value.size());
    case ExpressionType::Floating:
        return ExpressionType::fromDouble(-value.getDouble(), value.size());
    default:
        fail("unsupported unary num operation");
    }
}

ExpressionType bitNotValue(const ExpressionType &value)
{
    switch (value.kind()) {
    case ExpressionType::SignedInteger:
        return ExpressionType::fromSigned(~value.getInteger(), value.size());
    case ExpressionType::UnsignedInteger:
        return ExpressionType::fromUnsigned(~value.getUInteger(), value.size());
    default:
        fail("unsupported unary num operation");
    }
}

ExpressionType logicalNotValue(const ExpressionType &value)
{
    switch (value.kind()) {
    case ExpressionType::Boolean:
        return ExpressionType::fromBoolean(!value.getBoolean());
    case ExpressionType::SignedInteger:
    case ExpressionType::UnsignedInteger:
    case ExpressionType::Floating:
        return sameKindFlag(value, !truthOf(value));
    default:
        fail("unsupported unary num operation");
    }
}
