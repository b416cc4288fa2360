#include "xml/xml_document.h"
#include "xml/xml_element.h"
#include "xml/xml_parser.h"

#include "support/qt_printers.h"
#include "xml_tree_dump.h"

#include <gtest/gtest.h>

#include <QList>
#include <string>

namespace {

struct TreeCase
{
    const char *text;
    bool keepText;
    const char *tree;  // dump of the root, "(null)" when there is none
};

// Every input here loads without error.
const TreeCase kTreeCases[] = {
    {"<a x=\"1\" x=\"2\"/>", false, "a[x=2]"}, {"<a x = \"1\"\n y=\"2\" />", false, "a[x=1,y=2]"},
    {"<a b c=\"1\"/>", false, "a[c=1]"}, {"<a v=\"one\ntwo\"/>", false, "a[v=one\ntwo]"},
    {"<a v=\"\"/>", false, "a[v=]"},
    {"<my-tag:x_1 _a=\"1\" -b=\"2\" :c=\"3\"/>", false, "my-tag:x_1[_a=1,-b=2,:c=3]"},
    // References in attribute values.
    {"<a v=\"&lt;b&gt; &quot;q&quot;\"/>", false, "a[v=<b> \"q\"]"},
    {"<a v=\"&#65;&#x41;&#x4a;&#x4A;\"/>", false, "a[v=AAJJ]"},
    {"<a v=\"&#321;\"/>", false, "a[v=A]"}, {"<a v=\"x&#;y\"/>", false, "a[v=x]"},
    {"<a v=\"&amp;&apos;&nbsp;\"/>", false, "a[v=&amp;&apos;&nbsp;]"},
    {"<a v=\"&#12 &gt &#1a; &#X41;\"/>", false, "a[v=&#12 &gt &#1a; &#X41;]"},
    {"<a v=\"&\"/>", false, "a[v=&]"}, {"<a v=\"a\r\nb\"/>", false, "a[v=a\r\nb]"},
    // Character data, comments and CDATA sections.
    {"<a>x &amp; y</a>", true, "a{\"x &amp; y\"}"}, {"<a>&lt;b&gt;&#65;</a>", true, "a{\"<b>A\"}"},
    {"<a>x\r\ny\r\n</a>", true, "a{\"x\ny\n\"}"}, {"<a>x</a>", false, "a"},
    {"<a> <!-- c --> <b/> </a>", false, "a{b}"},
    {"<a> <!-- c --> <b/> </a>", true, "a{\" \" ! c  \" \" b \" \"}"},
    {"<a><!----></a>", true, "a{!}"}, {"<a><![CDATA[x<y]]></a>", false, "a{?x<y}"},
    {"<a><![CDATA[<!-- -->]]></a>", true, "a{?<!-- -->}"},
    {"<!-- outside --><a/><!-- after -->", true, "a"},
    {"<a><?pi data?></a>", true, "a{\" data?>\"}"}, {"<a><!-x></a>", true, "a{\"x>\"}"},
    // Document structure.
    {"", false, "(null)"}, {"   \n ", false, "(null)"}, {"\xEF\xBB\xBF<a/>", false, "(null)"},
    {"text before <a/>", false, "(null)"}, {"<a/>text after", true, "a"},
    {"<a><b><c/></b><d/></a>", false, "a{b{c} d}"}, {"<a/><b/>", false, "b"},
    {"<a><b/>", false, "(null)"}, {"<a></a></b>", false, "a"}, {"</x><a/>", false, "a"},
    {"<a><b></b x>", false, "(null)"}, {"<a / b>", false, "(null)"},
    {"<!-- never ends <a/>", false, "(null)"}, {"<a><![CDATA[ never ends </a>", false, "(null)"},
    {"<a", false, "(null)"}, {"<a x=\"unterminated", false, "(null)"}, {"<", false, "(null)"},
};

} // namespace

TEST(XMLParser, BuildsTheExpectedTree)
{
    for (const TreeCase &c : kTreeCases) {
        SCOPED_TRACE(c.text);
        XMLDocument doc(c.keepText);
        ASSERT_TRUE(doc.loadFromText(c.text)) << doc.errorMessage;
        EXPECT_EQ(dumpXMLNode(doc.root), QString::fromUtf8(c.tree));
    }
}

namespace {

struct ErrorCase
{
    const char *text;
    const char *message;
    unsigned line;
    const char *root = "(null)"; // what is left of the tree
};

const ErrorCase kErrorCases[] = {
    {"<a title='t'/>", "bad tagName", 0}, {"<a x=1/>", "bad tagName", 0},
    {"<a x=\"1\"\"/>", "bad tagName", 0}, {"<a\n x=\"1\"\n 9=\"2\"/>", "bad tagName", 2},
    {"<r>\n<a x=\"multi\nline\" $=\"\"/></r>", "bad tagName", 2},
    {"<a><b></a>", "tagName mismatch", 0}, {"<a>\n  <b>\n</a>", "tagName mismatch", 2},
    {"<a>\n</A>", "tagName mismatch", 1}, {"<a></ab>", "tagName mismatch", 0},
    {"<a/>\n<b></c>", "tagName mismatch", 1, "a"}, // a closed root is kept
};

} // namespace

TEST(XMLParser, ReportsFaultsWithTheirZeroBasedLine)
{
    for (const ErrorCase &c : kErrorCases) {
        SCOPED_TRACE(c.text);
        XMLDocument doc(false);
        EXPECT_FALSE(doc.loadFromText(c.text));
        EXPECT_STREQ(doc.errorMessage, c.message);
        EXPECT_EQ(doc.errorLine, c.line);
        EXPECT_EQ(dumpXMLNode(doc.root), c.root);
    }
}

TEST(XMLParser, RecordsDeclarationAndDocType)
{
    XMLDocument doc(false);
    ASSERT_TRUE(doc.loadFromText("<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?>\n"
                                 "<!DOCTYPE Quillmark_Project_File>\n<solution/>"));
    EXPECT_STREQ(doc.version, "1.0");
    EXPECT_STREQ(doc.encoding, "UTF-8");
    EXPECT_STREQ(doc.docType, "Quillmark_Project_File");
    EXPECT_EQ(dumpXMLNode(doc.root), "solution");
}

TEST(XMLParser, OddDeclarationsAndDocTypesDoNotStopTheParse)
{
    // The text, and the version the declaration still managed to set.
    const std::pair<const char *, const char *> cases[] = {
        {"<?xml version='1.0'?><a/>", nullptr}, {"<?xml version=\"1.0\" > <a/>", "1.0"},
        {"<?xml encoding=\"x\" version=1.0 ?><a/>", nullptr}, {"<?xml ??? ?><a/>", nullptr},
        {"<?xml version=\"1\" junk=\"2\" stray version=\"3\"?><a/>", "3"},
        {"<!DOCTYPE board SYSTEM \"board.dtd\"><a/>", nullptr},
        {"<!DOCTYPE board [ <!ELEMENT a EMPTY> ]><a/>", nullptr},
        {"<!ELEMENT a EMPTY><a/>", nullptr}, {"<?other version=\"2\"?><a/>", nullptr},
    };
    for (const auto &[text, version] : cases) {
        SCOPED_TRACE(text);
        XMLDocument doc(false);
        ASSERT_TRUE(doc.loadFromText(text));
        if (version)
            EXPECT_STREQ(doc.version, version);
        else
            EXPECT_EQ(doc.version, nullptr);
        EXPECT_EQ(doc.docType, nullptr);
        EXPECT_EQ(dumpXMLNode(doc.root), "a");
    }
}

TEST(XMLParser, GivesEveryNodeTheLineItStartsOn)
{
    XMLDocument doc(true);
    ASSERT_TRUE(doc.loadFromText("<r>\n  <a\n x=\"1\"/>\n<!--\n-->text<b>\n</b></r>"));
    const XMLElement *r = doc.root;
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->lineNumber(), 0u);
    QList<unsigned> lines;
    for (const XMLNode *c = r->firstChild(); c; c = c->nextSibling())
        lines << c->lineNumber();
    // "\n  " and "\n" start on their newline; a tag spanning lines keeps the line of its `<`.
    EXPECT_EQ(lines, (QList<unsigned>{1, 1, 3, 3, 4, 4}));
}

// A long start tag indexes its names; a repeated name must still replace the earlier value in
// place, whether the first one came before the index was built or after, and valueless names
// around that point must not confuse it.
TEST(XMLParser, LongStartTagsKeepOrderAndReplaceRepeatedNames)
{
    std::string text = "<a";
    QStringList expected;
    for (int i = 0; i < 40; ++i) {
        if (i == 15 || i == 16)
            text += " valueless";
        text += " n" + std::to_string(i) + "=\"" + std::to_string(i) + '"';
        expected << QString("n%1=%1").arg(i);
    }
    text += " n3=\"early\" n30=\"late\" n39=\"last\"/>";
    expected[3] = "n3=early";
    expected[30] = "n30=late";
    expected[39] = "n39=last";
    XMLDocument doc(false);
    ASSERT_TRUE(doc.loadFromText(text.c_str()));
    QStringList names;
    for (const XMLAttribute &a : doc.root->getAttributeList())
        names << QString::fromUtf8(a.name) + u'=' + QString::fromUtf8(a.value);
    EXPECT_EQ(names, expected);
}

TEST(XMLParser, RejectsNestingDeeperThanTheLimit)
{
    std::string text;
    for (int i = 0; i < XMLParser::kMaxDepth; ++i)
        text += "<a>";
    XMLDocument shallow(false);
    EXPECT_TRUE(shallow.loadFromText(text.c_str()));

    text += "\n<a>";
    XMLDocument deep(false);
    EXPECT_FALSE(deep.loadFromText(text.c_str()));
    EXPECT_STREQ(deep.errorMessage, "elements nested too deeply");
    EXPECT_EQ(deep.errorLine, 1u);
}
