#include "expr/expression_type.h"
#include "expr/parser_exception.h"
#include "expr/simple_expression_parser.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace {

// The message of the ParserException that evaluating `text` throws, or "no exception".
QString failureOf(const char *text)
{
    try {
        SimpleExpressionParser::instance()->parseAndEvaluate(text, nullptr);
    } catch (const ParserException &e) {
        return e.getCause();
    }
    return QStringLiteral("no exception");
}

ExpressionType valueOf(const char *text)
{
    return SimpleExpressionParser::instance()->parseAndEvaluate(text, nullptr);
}

} // namespace

TEST(SimpleExpressionParser, EvaluatesUnsignedIntegers)
{
    struct Case
    {
        const char *text;
        quint64 value;
        bool ok = true;
    };
    const Case cases[] = {
        {"0x10 + 2*3", 22}, {"010", 8}, {"09", 0}, {"(1 << 4) | 1", 17},
        {"-1", std::numeric_limits<quint64>::max()}, {"1 + 2 * 3 - 4 / 2", 5}, {"(1 + 2) * 3", 9},
        {"10 - 4 - 3", 3}, {"100 / 10 / 5", 2}, {"17 % 5", 2}, {"0xFF & 0x0F ^ 0x3", 12},
        {"1 | 2 ^ 3 & 1", 3}, {"0x100000000", 0xFFFFFFFF}, {"0xffffffff + 1", 0x100000000},
        {"1 << 63 >> 63", std::numeric_limits<quint64>::max()},
        {"~0", std::numeric_limits<quint64>::max()}, {"-(-5)", 5}, {"2 * -3 + 10", 4},
        {"1 << 64", 0}, {"8 >> 64", 0}, {"3 && 0", 0}, {"0 || 7", 1}, {"!5", 0}, {"2.9", 2},
        {"7.5 / 2.5", 3}, {"  42  ", 42},
        // What evaluates without a fault but is no number is refused, and so is every fault.
        {"1 == 1", 0, false}, {"\"s\"", 0, false}, {"", 0, false}, {"2 3", 0, false},
        {"$(X)", 0, false}, {"x.y", 0, false}, {"7/0", 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        bool ok = !c.ok;
        EXPECT_EQ(SimpleExpressionParser::instance()->getUInteger(c.text, ok), c.value);
        EXPECT_EQ(ok, c.ok) << failureOf(c.text).toStdString();
    }
}

TEST(SimpleExpressionParser, ConditionsMustBeBoolean)
{
    struct Case
    {
        const char *text;
        bool ok;
        bool value;
    };
    const Case cases[] = {
        {"3 > 2", true, true}, {"1", false, false}, {"1 == 1", true, true}, {"2 != 2", true, false},
        {"FOO == 1", false, false}, {"\"SAM7\" == \"SAM7\"", true, true},
        {"\"a\" < \"b\"", true, true}, {"1 < 2 && 3 < 2", true, false},
        {"1 < 2 || 3 < 2", true, true}, {"!(1 == 2)", true, true},
        {"(1 == 1) + (1 == 2)", true, true}, {"-1 < 0", true, true}, {"0xFFFFFFFF > 0", true, true},
        {"2.5 >= 2", true, true}, {"1 == \"1\"", false, false},
        {"(1 == 1) == (2 == 2)", false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        bool ok = !c.ok;
        EXPECT_EQ(SimpleExpressionParser::instance()->getBoolean(c.text, ok), c.value);
        EXPECT_EQ(ok, c.ok) << failureOf(c.text).toStdString();
    }
}

TEST(SimpleExpressionParser, ReportsEachFaultWithItsMessage)
{
    const std::pair<const char *, const char *> cases[] = {
        {"7/0", "divide by zero"}, {"1 ? 2 : 3", "operator not supported"},
        {"1 = 2", "operator not supported"}, {"1 >>> 2", "operator not supported"},
        {"1 *= 2", "operator not supported"}, {"1, 2", "operator not supported"},
        {"FOO == 1", "FOO symbol not found"}, {"a::b::c", "a::b::c symbol not found"},
        {"::g", "::g symbol not found"}, {"@r0", "unknown register"},
        {"(unsigned long)1", "cannot cast"}, {"(struct s *)0", "cannot cast"},
        {"*0", "cannot dereference"}, {"&1", "addressof not implemented"},
        {"sizeof(1)", "sizeof not implemented"}, {"sizeof 1", "'(' expected"},
        {"sizeof(1", "')' expected"}, {"(1 + 2", "')' expected"},
        {"(1)(2)", "function calling not implemented"}, {"1[2", "']' expected"},
        {"++1", "this symbol not found"}, {"1 +", "expression expected"},
        {")", "expression expected"}, {"\"a\" + \"b\"", "unsupported binary numeric operation"},
        {"1.5 & 1", "unsupported binary numeric operation"},
        {"\"a\" << 1", "can only shift numeric values"},
        {"1 << 1.5", "integer shift value expected"},
        {"\"a\" < 1", "unsupported comparison operation"},
        {"-\"a\"", "unsupported unary num operation"}, {"~1.5", "unsupported unary num operation"},
        {"-(1 == 1)", "unsupported unary num operation"},
        // The right operand is evaluated first, and there is no short-circuit.
        {"LEFT + RIGHT", "RIGHT symbol not found"}, {"(1 == 2) && X", "X symbol not found"},
    };
    for (const auto &[text, message] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(failureOf(text), QString::fromLatin1(message));
    }
    EXPECT_TRUE(failureOf("1 # 2").startsWith("unrecognised token: "));
}

TEST(SimpleExpressionParser, TheLeftOperandDecidesKindAndSize)
{
    const ExpressionType sum = valueOf("1 + 2.5");
    EXPECT_EQ(sum.kind(), ExpressionType::SignedInteger);
    EXPECT_EQ(sum.getUInteger(), 3u);

    const ExpressionType fraction = valueOf("2.5 + 1");
    EXPECT_EQ(fraction.kind(), ExpressionType::Floating);
    EXPECT_DOUBLE_EQ(fraction.getDouble(), 3.5);

    const ExpressionType logical = valueOf("2 && 3");
    EXPECT_EQ(logical.kind(), ExpressionType::SignedInteger);
    EXPECT_EQ(logical.getInteger(), 1);

    const ExpressionType boolean = valueOf("(1 == 1) + 0");
    EXPECT_EQ(boolean.kind(), ExpressionType::Boolean);
    EXPECT_TRUE(boolean.getBoolean());

    EXPECT_EQ(valueOf("\"text\"").getString(), "text");
    EXPECT_EQ(valueOf("").kind(), ExpressionType::Unknown);
}

TEST(SimpleExpressionParser, ParseReportsWhereItStopped)
{
    int end = -1;
    const auto tree = SimpleExpressionParser::instance()->parse("1 + 2 ; rest", &end);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(end, 6);
    EXPECT_EQ(tree->dump(), "(1 + 2)");
    EXPECT_EQ(SimpleExpressionParser::instance()->parse("   ", &end), nullptr);
    EXPECT_EQ(end, 3);
}

TEST(SimpleExpressionParser, BoundsNestingAndSize)
{
    const std::string deep = std::string(2000, '(') + "1" + std::string(2000, ')');
    EXPECT_EQ(failureOf(deep.c_str()), "expression nested too deeply");
    const std::string negations = std::string(5000, '-') + "1";
    EXPECT_EQ(failureOf(negations.c_str()), "expression nested too deeply");

    std::string chain = "1";
    for (int i = 0; i < 10000; ++i)
        chain += "+1";
    EXPECT_EQ(failureOf(chain.c_str()), "expression too complex");

    std::string moderate = "0";
    for (int i = 0; i < 1000; ++i)
        moderate += "+1";
    bool ok = false;
    EXPECT_EQ(SimpleExpressionParser::instance()->getUInteger(moderate.c_str(), ok), 1000u);
    EXPECT_TRUE(ok);
}
