#include "host/dequotify.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

TEST(Dequotify, SplitsCommandTextIntoWords)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"cp a b", {"cp", "a", "b"}}, {"a  b", {"a", "b"}}, {"  lead trail  ", {"lead", "trail"}},
        {"\"\"", {}}, {"x \"\" y", {"x", "y"}}, {"x\\\"y", {"x\"y"}},
        {"\"My Documents/a b.c\" out", {"My Documents/a b.c", "out"}},
        {"pre\"quoted part\"post", {"prequoted partpost"}},
        {"a\tb", {"a\tb"}}, // only the blank separates
        {"\"unterminated text", {"unterminated text"}}, {"", {}},
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(dequotify(QString::fromLatin1(text)), expected);
    }
}
