#include "project/property_class.h"

#include "support/qt_printers.h"
#include "xml/xml_document.h"
#include "xml/xml_element.h"

#include <gtest/gtest.h>

TEST(PropertyClassHex, PaddedToTheDigitsOfTheMaximum)
{
    struct Case
    {
        int value, maximum;
        QString expected;
    };
    const Case cases[] = {
        {10, 0x3FF, "0x00a"}, {0, 0xF, "0x0"}, {0x1F, 0xF, "0x1f"}, {1, 0x10, "0x01"},
        {1, 0xFFFF, "0x0001"}, {1, 0x10000, "0x00001"}, {1, 0xFFFFFF, "0x000001"},
        {1, 0xFFFFFFF, "0x0000001"}, {1, 0x10000000, "0x00000001"}, {-1, 0xFF, "0xffffffff"},
        {255, 0, "0xff"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        EXPECT_EQ(PropertyClass::toHexString(c.value, c.maximum), c.expected);
    }
}

TEST(PropertyClassConstruction, DefaultsByForm)
{
    PropertyClass emptyBoolean("b", PropertyClass::Boolean, "p", "g", "s", "l", "");
    EXPECT_EQ(emptyBoolean.defaultValue(), "No");
    EXPECT_EQ(emptyBoolean.enumerates(), (QStringList{"No", "Yes"}));
    PropertyClass yes("b", "p", "g", "s", "l", true);
    EXPECT_EQ(yes.type(), PropertyClass::Boolean);
    EXPECT_EQ(yes.defaultValue(), "Yes");
    PropertyClass emptyString("s", PropertyClass::String, "p", "g", "s", "l", "");
    EXPECT_EQ(emptyString.defaultValue(), "");

    PropertyClass hex("h", PropertyClass::IntegerHex, 0, 0x3FF, "p", "g", "s", "l", 10);
    EXPECT_EQ(hex.defaultValue(), "0x00a");
    PropertyClass range("r", PropertyClass::IntegerRange, 1, 100, "p", "g", "s", "l", 42);
    EXPECT_EQ(range.defaultValue(), "42");
}

TEST(PropertyClassConstruction, FromXml)
{
    XMLDocument doc(false);
    ASSERT_TRUE(doc.loadFromText(
        "<defs>"
        "<p name=\"opt\" type=\"Enumeration\" group=\"G\" short=\"S\" long=\"L\" default=\"b\""
        " enumeration=\"a;;b;\" minimum=\"4\" maximum=\"4096x\" specialvalue=\"none\"/>"
        "<p name=\"h\" type=\"Hexadecimal\"/>"
        "<p name=\"l\" type=\"stringlist\" default=\"\"/>"
        "</defs>"));
    XMLElement *e = doc.root->firstChildElement();
    PropertyClass opt(e);
    EXPECT_EQ(opt.saveName(), "opt");
    EXPECT_EQ(opt.type(), PropertyClass::Enumeration);
    EXPECT_EQ(opt.group(), "G");
    EXPECT_EQ(opt.shortDescription(), "S");
    EXPECT_EQ(opt.longDescription(), "L");
    EXPECT_EQ(opt.defaultValue(), "b");
    EXPECT_EQ(opt.enumerates(), (QStringList{"a", "b"}));
    EXPECT_EQ(opt.minimum(), 4);
    EXPECT_EQ(opt.maximum(), 4096);
    EXPECT_EQ(opt.specialValueText(), "none");
    EXPECT_EQ(opt.typeAsString(), "Enumeration");
    EXPECT_EQ(PropertyClass::typeAsString(-1), "Unknown");
    EXPECT_EQ(PropertyClass::typeAsString(15), "Unknown");

    PropertyClass unknownType(e->nextSiblingElement());
    EXPECT_EQ(unknownType.type(), PropertyClass::Boolean);
    EXPECT_TRUE(unknownType.defaultValue().isNull()); // no Boolean default in this form
    EXPECT_TRUE(unknownType.specialValueText().isNull());

    PropertyClass caseMatters(e->nextSiblingElement()->nextSiblingElement());
    EXPECT_EQ(caseMatters.type(), PropertyClass::Boolean);
    EXPECT_FALSE(caseMatters.defaultValue().isNull());
}
