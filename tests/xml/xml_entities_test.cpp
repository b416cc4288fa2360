#include "xml/xml_entities.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

const QString kMiddleDot = QString(QChar(0x00B7));

}

TEST(XMLEntities, EscapesEachSpecialCharacterOnce)
{
    struct Case
    {
        QString text;
        QString escaped;
    };
    const Case cases[] = {
        {"a<b>&\"c\"'d'", "a&lt;b&gt;&amp;&quot;c&quot;&apos;d&apos;"},
        {"&lt;", "&amp;lt;"},
        {"x" + kMiddleDot + "y", "x&middot;y"},
        {"plain", "plain"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(xmlEscapeEntities(c.text), c.escaped);
    }
}

TEST(XMLEntities, UnescapesTheKnownEntitiesLiterally)
{
    struct Case
    {
        QString text;
        QString unescaped;
    };
    const Case cases[] = {
        {"&lt;&gt;&quot;&apos;&nbsp;&middot;&amp;", "<>\"' " + kMiddleDot + "&"},
        {"&amp;lt;", "&lt;"},
        {"&LT;&amp", "&LT;&amp"},
        {"&#65;", "&#65;"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(xmlUnescapeEntities(c.text), c.unescaped);
    }
}
