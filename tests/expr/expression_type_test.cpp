#include "expr/expression_type.h"
#include "expr/number_format.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(ExpressionType, NumbersAreReadThroughTheirSize)
{
    struct Case
    {
        ExpressionType value;
        quint64 unsignedValue;
        qint64 signedValue;
        const char *typeName;
    };
    const Case cases[] = {
        {ExpressionType::fromSigned(0x1FF, 1), 0xFF, -1, "char"},
        {ExpressionType::fromSigned(0x17F, 1), 0x7F, 0x7F, "char"},
        {ExpressionType::fromSigned(-2, 2), 0xFFFE, -2, "short"},
        {ExpressionType::fromSigned(-1, 4), 0xFFFFFFFF, -1, "int"},
        {ExpressionType::fromSigned(-1, 8), std::numeric_limits<quint64>::max(), -1, "int"},
        {ExpressionType::fromUnsigned(0x1FF, 1), 0xFF, 0xFF, "unsigned char"},
        {ExpressionType::fromUnsigned(0x12345, 2), 0x2345, 0x2345, "unsigned short"},
        {ExpressionType::fromUnsigned(0x100000001, 4), 1, 1, "unsigned int"},
        {ExpressionType::fromUnsigned(5, 8), 5, 5, "unsigned long long"},
        {ExpressionType::fromDouble(3.75), 3, 3, "double"},
        {ExpressionType::fromDouble(-2.5, 4), quint64(-2), -2, "float"},
        {ExpressionType::fromDouble(NAN), 0, 0, "double"},
        {ExpressionType::fromDouble(1e30), std::numeric_limits<quint64>::max(),
         std::numeric_limits<qint64>::max(), "double"},
        {ExpressionType::fromBoolean(true), 1, 1, "boolean"},
        {ExpressionType::fromString("x"), 0, 0, "string"}, {ExpressionType(), 0, 0, "unknown"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typeName);
        EXPECT_EQ(c.value.getUInteger(), c.unsignedValue);
        EXPECT_EQ(c.value.getInteger(), c.signedValue);
        EXPECT_EQ(c.value.TypeToString(), QString::fromLatin1(c.typeName));
    }
    EXPECT_TRUE(ExpressionType::fromDouble(1).isNumberType());
    EXPECT_FALSE(ExpressionType::fromBoolean(true).isNumberType());
    EXPECT_EQ(ExpressionType().kind(), ExpressionType::Unknown);
}

TEST(NumberFormat, WritesDigitsInAnyBase)
{
    EXPECT_EQ(toStringFromuint64(255, 16), "ff");
    EXPECT_EQ(toStringFromuint64(0, 2), "0");
    EXPECT_EQ(toStringFromuint64(35, 36), "z");
    EXPECT_EQ(toStringFromuint64(std::numeric_limits<quint64>::max(), 16), "ffffffffffffffff");
    EXPECT_EQ(toStringFromint64(-10, 10), "-10");
    EXPECT_EQ(toStringFromint64(std::numeric_limits<qint64>::min(), 10), "-9223372036854775808");
    EXPECT_EQ(toStringFromDouble(NAN, 'g'), "NaN");
    EXPECT_EQ(toStringFromDouble(INFINITY, 'g'), "Inf");
    EXPECT_EQ(toStringFromDouble(1.5, 'f'), "1.500000");
}

TEST(NumberFormat, ReadsIntegersWithTheirBasePrefix)
{
    const std::pair<const char *, qint64> cases[] = {
        {"10", 10},     {"010", 8},       {"0x1F", 31},  {"0b101", 5}, {"  -7", -7},
        {"+3", 3},      {"08", 0},        {"12ab", 12},  {"", 0},      {"0", 0},
        {"18446744073709551615", -1},
    };
    for (const auto &[text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(int64FromString(QString::fromLatin1(text)), value);
    }
}
