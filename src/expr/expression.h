// The expression tree: leaves, unary operators and postfix operators (binary ones are in
// binary_expression.h). Every node evaluates through the host that parsed it.
#pragma once

#include "expr/expression_type.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class ExpressionParser;
class BaseType;

class Expression
{
public:
    explicit Expression(ExpressionParser *host) : m_host(host) {}
    virtual ~Expression() = default;
    Expression(const Expression &) = delete;
    Expression &operator=(const Expression &) = delete;

    virtual ExpressionType evaluate() = 0;
    virtual QString dump() const = 0;

protected:
    // A marker is replaced by its value, read through the host; other values pass unchanged.
    ExpressionType resolved(const ExpressionType &value) const;

    ExpressionParser *m_host;
};

using ExpressionPtr = std::unique_ptr<Expression>;

class ConstantExpression : public Expression
{
public:
    ConstantExpression(ExpressionParser *host, const ExpressionType &value)
        : Expression(host), m_value(value) {}
    ExpressionType evaluate() override { return m_value; }
    QString dump() const override;

private:
    ExpressionType m_value;
};

class IdentifierExpression : public Expression
{
public:
    IdentifierExpression(ExpressionParser *host, const QString &name)
        : Expression(host), m_name(name) {}
    ExpressionType evaluate() override;
    QString dump() const override { return m_name; }

private:
    QString m_name;
};

class ScopedIdentifierExpression : public Expression
{
public:
    ScopedIdentifierExpression(ExpressionParser *host, const QStringList &parts)
        : Expression(host), m_parts(parts) {}
    ExpressionType evaluate() override;
    QString dump() const override { return m_parts.join(QStringLiteral("::")); }

private:
    QStringList m_parts;
};

class RegisterExpression : public Expression
{
public:
    RegisterExpression(ExpressionParser *host, const QString &name)
        : Expression(host), m_name(name) {}
    ExpressionType evaluate() override;
    QString dump() const override { return u'@' + m_name; }

private:
    QString m_name;
};

class UnaryExpression : public Expression
{
public:
    UnaryExpression(ExpressionParser *host, ExpressionPtr operand)
        : Expression(host), m_operand(std::move(operand)) {}

protected:
    ExpressionPtr m_operand;
};

class NegateExpression : public UnaryExpression
{
public:
    using UnaryExpression::UnaryExpression;
    ExpressionType evaluate() override;
    QString dump() const override { return QStringLiteral("-(") + m_operand->dump() + u')'; }
};

class BitNotExpression : public UnaryExpression
{
public:
    using UnaryExpression::UnaryExpression;
    ExpressionType evaluate() override;
    QString dump() const override { return QStringLiteral("~(") + m_operand->dump() + u')'; }
};

class LogicalNotExpression : public UnaryExpression
{
public:
    using UnaryExpression::UnaryExpression;
    ExpressionType evaluate() override;
    QString dump() const override { return QStringLiteral("!(") + m_operand->dump() + u')'; }
};

class AddressofExpression : public UnaryExpression
{
public:
    using UnaryExpression::UnaryExpression;
    ExpressionType evaluate() override;
    QString dump() const override { return QStringLiteral("&(") + m_operand->dump() + u')'; }
};

class SizeofExpression : public UnaryExpression
{
public:
    using UnaryExpression::UnaryExpression;
    ExpressionType evaluate() override;
    QString dump() const override { return QStringLiteral("sizeof(") + m_operand->dump() + u')'; }
};

class CastExpression : public UnaryExpression
{
public:
    CastExpression(ExpressionParser *host, std::shared_ptr<BaseType> type, ExpressionPtr operand)
        : UnaryExpression(host, std::move(operand)), m_type(std::move(type)) {}
    ExpressionType evaluate() override;
    QString dump() const override;

private:
    std::shared_ptr<BaseType> m_type;
};

// `base[index]`; a unary `*p` is built as `p[0]`.
class LeftSquareBracketExpression : public Expression
{
public:
    LeftSquareBracketExpression(ExpressionParser *host, ExpressionPtr base, ExpressionPtr index)
        : Expression(host), m_base(std::move(base)), m_index(std::move(index)) {}
    ExpressionType evaluate() override;
    QString dump() const override { return m_base->dump() + u'[' + m_index->dump() + u']'; }

private:
    ExpressionPtr m_base;
    ExpressionPtr m_index;
};

// `base.member`, or `base->member` when `throughPointer` is set.
class DotExpression : public Expression
{
public:
    DotExpression(ExpressionParser *host, ExpressionPtr base, const QString &member,
                  bool throughPointer)
        : Expression(host), m_base(std::move(base)), m_member(member),
          m_throughPointer(throughPointer) {}
    ExpressionType evaluate() override;
    QString dump() const override;

private:
    ExpressionPtr m_base;
    QString m_member;
    bool m_throughPointer;
};

class CallExpression : public Expression
{
public:
    CallExpression(ExpressionParser *host, ExpressionPtr function,
                   std::vector<ExpressionPtr> arguments)
        : Expression(host), m_function(std::move(function)), m_arguments(std::move(arguments)) {}
    ExpressionType evaluate() override;
    QString dump() const override;

private:
    ExpressionPtr m_function;
    std::vector<ExpressionPtr> m_arguments;
};
