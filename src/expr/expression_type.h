// A typed value of the expression evaluator, with C-like sizes.
#pragma once

#include "expr/host_types.h"

#include <QString>
#include <QtGlobal>
#include <memory>

// Numbers carry a size of 1, 2, 4 or 8 bytes and are read through it: a 1-byte value reads as
// its low 8 bits (sign-extended when signed), and so on. A default-constructed value is Unknown.
class ExpressionType
{
public:
    enum Kind
    {
        Boolean = 0,
        SignedInteger = 1,
        UnsignedInteger = 2,
        String = 3,
        Marker = 4,
        Floating = 5,
        Unknown = 6
    };

    ExpressionType() = default;
    static ExpressionType fromBoolean(bool value);
    static ExpressionType fromSigned(qint64 value, int size = 8);
    static ExpressionType fromUnsigned(quint64 value, int size = 8);
    static ExpressionType fromDouble(double value, int size = 8);
    static ExpressionType fromString(const QString &value);
    static ExpressionType fromMarker(std::shared_ptr<MarkerType> marker);

    Kind kind() const { return m_kind; }
    int size() const { return m_size; }
    bool isNumberType() const;
    bool isIntegerType() const { return m_kind == SignedInteger || m_kind == UnsignedInteger; }

    quint64 getUInteger() const;
    qint64 getInteger() const;
    double getDouble() const;
    bool getBoolean() const { return m_boolean; }
    QString getString() const { return m_string; }
    MarkerType *getMarker() const { return m_marker.get(); }

    // Display name of kind and size: "unsigned short", "double", "boolean", ...
    QString TypeToString() const;
    // The value for display.
    QString toString() const;

private:
    Kind m_kind = Unknown;
    int m_size = 0;
    bool m_boolean = false;
    quint64 m_bits = 0;  // integers, as two's complement
    double m_double = 0;
    QString m_string;
    std::shared_ptr<MarkerType> m_marker;
};
