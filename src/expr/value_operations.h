// The C-like arithmetic of expression values: the left operand decides kind and size.
#pragma once

#include "expr/expression_type.h"

enum class NumericOperator { Plus, Minus, Multiply, Divide, Mod, BitAnd, BitOr, BitXor };
enum class ShiftOperator { Left, Right };
enum class ComparisonOperator { Lt, Le, Gt, Ge, Eq, Ne };

// All of these throw ParserException on operands they cannot combine.
ExpressionType numericOperation(NumericOperator op, const ExpressionType &left,
                                const ExpressionType &right);
ExpressionType shiftOperation(ShiftOperator op, const ExpressionType &left,
                              const ExpressionType &right);
ExpressionType comparisonOperation(ComparisonOperator op, const ExpressionType &left,
                                   const ExpressionType &right);
ExpressionType logicalOperation(bool isAnd, const ExpressionType &left,
                                const ExpressionType &right);
ExpressionType negateValue(const ExpressionType &value);
ExpressionType bitNotValue(const ExpressionType &value);
ExpressionType logicalNotValue(const ExpressionType &value);
