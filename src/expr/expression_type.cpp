#include "expr/expression_type.h"

#include "expr/number_format.h"

#include <cmath>
#include <limits>

namespace {

quint64 maskFor(int size)
{
    switch (size) {
    case 1:
        return 0xFFu;
    case 2:
        return 0xFFFFu;
    case 4:
        return 0xFFFFFFFFu;
    default:
        return ~quint64(0);
    }
}

// Conversions of doubles that are out of range are clamped instead of undefined.
qint64 clampToInt64(double d)
{
    if (std::isnan(d))
        return 0;
    if (d >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    if (d < -9223372036854775808.0)
        return std::numeric_limits<qint64>::min();
    return qint64(d);
}

quint64 clampToUInt64(double d)
{
    if (d < 0)
        return quint64(clampToInt64(d));
    if (std::isnan(d))
        return 0;
    if (d >= 18446744073709551616.0)
        return std::numeric_limits<quint64>::max();
    return quint64(d);
}

} // namespace

ExpressionType ExpressionType::fromBoolean(bool value)
{
    ExpressionType t;
    t.m_kind = Boolean;
    t.m_boolean = value;
    return t;
}

ExpressionType ExpressionType::fromSigned(qint64 value, int size)
{
    ExpressionType t;
    t.m_kind = SignedInteger;
    t.m_size = size;
    t.m_bits = quint64(value);
    return t;
}

ExpressionType ExpressionType::fromUnsigned(quint64 value, int size)
{
    ExpressionType t;
    t.m_kind = UnsignedInteger;
    t.m_size = size;
    t.m_bits = value;
    return t;
}

ExpressionType ExpressionType::fromDouble(double value, int size)
{
    ExpressionType t;
    t.m_kind = Floating;
    t.m_size = size;
    t.m_double = size == 4 ? double(float(value)) : value;
    return t;
}

ExpressionType ExpressionType::fromString(const QString &value)
{
    ExpressionType t;
    t.m_kind = String;
    t.m_string = value;
    return t;
}

ExpressionType ExpressionType::fromMarker(std::shared_ptr<MarkerType> marker)
{
    ExpressionType t;
    t.m_kind = Marker;
    t.m_marker = std::move(marker);
    return t;
}

bool ExpressionType::isNumberType() const
{
    return m_kind == SignedInteger || m_kind == UnsignedInteger || m_kind == Floating;
}

quint64 ExpressionType::getUInteger() const
{
    switch (m_kind) {
    case SignedInteger:
    case UnsignedInteger:
        return m_bits & maskFor(m_size);
    case Floating:
        return clampToUInt64(m_double);
    case Boolean:
        return m_boolean ? 1 : 0;
    default:
        return 0;
    }
}

qint64 ExpressionType::getInteger() const
{
    switch (m_kind) {
    case SignedInteger: {
        const quint64 mask = maskFor(m_size);
        quint64 bits = m_bits & mask;
        const quint64 signBit = (mask >> 1) + 1;
        if (mask != ~quint64(0) && (bits & signBit))
            bits |= ~mask;
        return qint64(bits);
    }
    case UnsignedInteger:
        return qint64(m_bits & maskFor(m_size));
    case Floating:
        return clampToInt64(m_double);
    case Boolean:
        return m_boolean ? 1 : 0;
    default:
        return 0;
    }
}

double ExpressionType::getDouble() const
{
    switch (m_kind) {
    case SignedInteger:
        return double(getInteger());
    case UnsignedInteger:
        return double(getUInteger());
    case Floating:
        return m_double;
    case Boolean:
        return m_boolean ? 1 : 0;
    default:
        return 0;
    }
}

QString ExpressionType::TypeToString() const
{
    switch (m_kind) {
    case Boolean:
        return QStringLiteral("boolean");
    case SignedInteger:
        switch (m_size) {
        case 1:
            return QStringLiteral("char");
        case 2:
            return QStringLiteral("short");
        case 4:
        case 8:
            return QStringLiteral("int");
        default:
            return QStringLiteral("byte");
        }
    case UnsignedInteger:
        switch (m_size) {
        case 1:
            return QStringLiteral("unsigned char");
        case 2:
            return QStringLiteral("unsigned short");
        case 4:
            return QStringLiteral("unsigned int");
        default:
            return QStringLiteral("unsigned long long");
        }
    case String:
        return QStringLiteral("string");
    case Marker:
        return QStringLiteral("marker");
    case Floating:
        return m_size == 4 ? QStringLiteral("float") : QStringLiteral("double");
    case Unknown:
        break;
    }
    return QStringLiteral("unknown");
}

QString ExpressionType::toString() const
{
    switch (m_kind) {
    case Boolean:
        return m_boolean ? QStringLiteral("true") : QStringLiteral("false");
    case SignedInteger:
        return toStringFromint64(getInteger(), 10);
    case UnsignedInteger:
        return toStringFromuint64(getUInteger(), 10);
    case String:
        return u'"' + m_string + u'"';
    case Marker:
        return m_marker ? m_marker->name() : QStringLiteral("marker");
    case Floating:
        return toStringFromDouble(m_double, 'g');
    case Unknown:
        break;
    }
    return QStringLiteral("unknown");
}
