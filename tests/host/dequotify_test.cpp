#include "host/dequotify.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

TEST(Dequotify, SplitsCommandTextIntoWords)
{
    struct Case
    {
        const char *text;
        QStringList expected;
    };
    const Case cases[] = {
        {"cp a b", {"cp", "a", "b"}}, {"a  b", {"a", "b"}}, {"  lead trail  ", {"lead", "trail"}},
        {"\"\"", {}}, {"x \"\" y", {"x", "y"}}, {"x\\\"y", {"x\"y"}},
        {"\"My Documents/a b.c\" out", {"My Documents/a b.c", "out"}},
        {"pre\"quoted part\"post", {"prequoted partpost"}},
        {"a\tb", {"a\tb"}}, // only the blank separates
        {"\"unterminated text", {"unterminated text"}}, {"", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(dequotify(QString::fromLatin1(c.text)), c.expected);
    }
}
