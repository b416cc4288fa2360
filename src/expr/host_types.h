// The things an expression can refer to in a host: types for casts and markers for symbols.
#pragma once

#include <QString>
#include <memory>

// A type named in a cast. A debugger host maps these onto the target's types; the build tool's
// host refuses every cast, so they only need to exist as far as the parser builds them.
class BaseType
{
public:
    virtual ~BaseType() = default;
    virtual QString name() const = 0;
};

// A built-in arithmetic type: "unsigned short", "int", "long long", ...
class SimpleType : public BaseType
{
public:
    SimpleType(int size, bool isSigned) : m_size(size), m_signed(isSigned) {}
    QString name() const override;
    int size() const { return m_size; }
    bool isSigned() const { return m_signed; }

private:
    int m_size;
    bool m_signed;
};

class PointerType : public BaseType
{
public:
    explicit PointerType(std::shared_ptr<BaseType> target) : m_target(std::move(target)) {}
    QString name() const override { return m_target->name() + QStringLiteral(" *"); }
    const BaseType *target() const { return m_target.get(); }

private:
    std::shared_ptr<BaseType> m_target;
};

class ArrayType : public BaseType
{
public:
    ArrayType(std::shared_ptr<BaseType> element, unsigned count)
        : m_element(std::move(element)), m_count(count) {}
    QString name() const override
    {
        return m_element->name() + u'[' + QString::number(m_count) + u']';
    }

private:
    std::shared_ptr<BaseType> m_element;
    unsigned m_count;
};

class StructType : public BaseType
{
public:
    explicit StructType(const QString &tag) : m_tag(tag) {}
    QString name() const override { return QStringLiteral("struct ") + m_tag; }

private:
    QString m_tag;
};

// A register of the target viewed as a type (`(register CPSR)`).
class RegisterType : public BaseType
{
public:
    explicit RegisterType(const QString &registerName) : m_register(registerName) {}
    QString name() const override { return QStringLiteral("register ") + m_register; }

private:
    QString m_register;
};

// A reference to something in the host, such as a symbol or a register, shared by the values
// that refer to it.
class MarkerType
{
public:
    virtual ~MarkerType() = default;
    virtual QString name() const = 0;
};
