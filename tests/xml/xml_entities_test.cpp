#include "xml/xml_entities.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

// Escaping takes each special character once; unescaping knows a fixed set of names and takes
// them literally. Rows marked one-way only unescape to the plain text.
TEST(XMLEntities, EscapeAndUnescape)
{
    const QString dot = QString(QChar(0x00B7));
    struct Case
    {
        QString plain;
        QString escaped;
        bool oneWay = false;
    };
    const Case cases[] = {
        {"a<b>&\"c\"'d'", "a&lt;b&gt;&amp;&quot;c&quot;&apos;d&apos;"},
        {"&lt;", "&amp;lt;"}, {"x" + dot + "y", "x&middot;y"}, {"plain", "plain"}, {"", ""},
        {"<>\"' " + dot + "&", "&lt;&gt;&quot;&apos;&nbsp;&middot;&amp;", true},
        {"&LT;&amp", "&LT;&amp", true}, {"&#65;", "&#65;", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.escaped.toStdString());
        if (!c.oneWay) {
            EXPECT_EQ(xmlEscapeEntities(c.plain), c.escaped);
        }
        EXPECT_EQ(xmlUnescapeEntities(c.escaped), c.plain);
    }
}
