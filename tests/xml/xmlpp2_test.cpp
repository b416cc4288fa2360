#include "xml/xmlpp2.h"
#include "xml/xml_element.h"

#include "macros/macro_system.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"
#include "xml_tree_dump.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

class RecordingPP : public XMLPP2
{
public:
    void warning(const QString &message) override { warnings << message; }
    QStringList warnings;
};

const QString kPrefix = QStringLiteral("XmlPP::processConditionals(): ");

class XMLPreprocessor : public ::testing::Test
{
public:
    QString write(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(writeTextFile(path, QString::fromUtf8(text)));
        return path;
    }

    // Loads `text` as the main file and returns the dump of the processed root.
    QString process(const QByteArray &text, const char *macros = "", bool expand = false)
    {
        const QString path = write("main.xml", text);
        EXPECT_TRUE(m_doc.load(QFile::encodeName(path).constData(), macros, expand))
            << m_doc.errorMessage;
        return dumpXMLNode(m_doc.root);
    }

    QTemporaryDir m_dir;
    RecordingPP m_doc;
};

struct Case
{
    const char *text;
    const char *macros;
    bool expand;
    const char *tree;
    const char *warning = nullptr; // the one warning expected, after the common prefix
};

// Each case loads in a document of its own, with no warning unless the case names one.
template <std::size_t N>
void expectTrees(XMLPreprocessor &test, const Case (&cases)[N])
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        RecordingPP doc;
        const QString path = test.write("case.xml", c.text);
        ASSERT_TRUE(doc.load(QFile::encodeName(path).constData(), c.macros, c.expand));
        EXPECT_EQ(dumpXMLNode(doc.root), QString::fromUtf8(c.tree));
        EXPECT_EQ(doc.warnings, c.warning ? QStringList{kPrefix + c.warning} : QStringList());
        if (doc.root) {
            EXPECT_EQ(doc.root->parentNode(), nullptr);
        }
    }
}

} // namespace

TEST_F(XMLPreprocessor, Conditionals)
{
    const Case cases[] = {
        {"<r><if Family=\"STR7,SAM7\"><a/></if></r>", "Family=SAM7", false, "r{a}"},
        {"<r><if Family=\"STR7, SAM7\"><a/><b/></if><c/></r>", "Family=SAM7", false, "r{a b c}"},
        {"<r><if Family=\"STR7\"><a/></if><b/></r>", "Family=SAM7", false, "r{b}"},
        {"<r><if Family=\"\"><a/></if></r>", "", false, "r"},
        {"<r><if Family=\",\"><a/></if></r>", "Family=", false, "r"},
        {"<r><ifnot Family=\"SAM7\"><a/></ifnot></r>", "Family=SAM7", false, "r"},
        {"<r><ifnot Family=\"SAM7\"><a/></ifnot></r>", "Family=STR7", false, "r{a}"},
        {"<r><ifnot Family=\"SAM7\"><a/></ifnot></r>", "", false, "r{a}"},
        {"<r><ifex expression=\"$(N) &gt; 2\"><a/></ifex></r>", "N=3", false, "r{a}"},
        {"<r><ifex expression=\"$(N) &gt; 2\"><a/></ifex></r>", "N=1", false, "r"},
        {"<r><ifex expression=\"FOO == 1\"><a/></ifex></r>", "", false, "r"},
        {"<r><ifex expression=\"1\"><a/></ifex></r>", "", false, "r"},
        {"<r><ifex expression=\"\"><a/></ifex></r>", "", false, "r{ifex[expression=]{a}}"},
        {"<r><ifex><a/></ifex></r>", "", false, "r{ifex{a}}"},
        {"<r><ifdef name=\"X\"><a/></ifdef><ifndef name=\"X\"><b/></ifndef></r>", "X=", false,
         "r{a}"},
        {"<r><ifdef name=\"X\"><a/></ifdef><ifndef name=\"X\"><b/></ifndef></r>", "", false,
         "r{b}"},
        {"<r><if A=\"1\"><if B=\"2\"><x/></if><y/></if></r>", "A=1;B=2", false, "r{x y}"},
        {"<r><if A=\"1\"><if B=\"2\"><x/></if><y/></if></r>", "A=1", false, "r{y}"},
        {"<r><a><if A=\"1\"><b/></if></a></r>", "A=1", false, "r{a{b}}"},
        {"<r><If A=\"1\"><b/></If></r>", "A=1", false, "r{If[A=1]{b}}"},
        {"<r><if A=\"1\"><![CDATA[text]]><b/></if></r>", "A=1", false, "r{?text b}"},
    };
    expectTrees(*this, cases);
}

TEST_F(XMLPreprocessor, SwitchChoosesTheFirstMatchingCaseOrTheLastDefault)
{
    static const char kSwitch[] =
        "<r><switch name=\"F\"><case value=\"A,B\"><a/></case><case value=\"B\"><b/></case>"
        "<default><d1/></default><default><d2/></default></switch><after/></r>";
    const Case cases[] = {
        {kSwitch, "F=B", false, "r{a after}"}, {kSwitch, "F=X", false, "r{d2 after}"},
        {kSwitch, "", false, "r{d2 after}"},
        {"<r><switch name=\"F\"><case value=\"A\"><a/></case></switch></r>", "F=B", false, "r"},
        {"<r><switch name=\"F\"><case value=\"A\"><if G=\"1\"><g/></if></case></switch></r>",
         "F=A;G=1", false, "r{g}"},
    };
    expectTrees(*this, cases);
}

TEST_F(XMLPreprocessor, DefinesReachLaterSiblingsAndTheirSubtreesOnly)
{
    const Case cases[] = {
        {"<r><define name=\"N\" expression=\"2*8\"/><a n=\"$(N)\"/></r>", "", true, "r{a[n=16]}"},
        {"<r><define name=\"N\" hex_expression=\"255\"/><a n=\"$(N)\"/></r>", "", true,
         "r{a[n=0xFF]}"},
        {"<r><define name=\"N\" value=\"v\" expression=\"1\" hex_expression=\"2\"/>"
         "<a n=\"$(N)\"/></r>",
         "", true, "r{a[n=v]}"},
        {"<r><define name=\"N\" expression=\"1\" hex_expression=\"2\"/><a n=\"$(N)\"/></r>", "",
         true, "r{a[n=1]}"},
        {"<r><define name=\"N\" expression=\"$(M) + 1\"/><a n=\"$(N)\"/></r>", "M=4", true,
         "r{a[n=5]}"},
        {"<r><define name=\"N\" expression=\"BAD\"/><a n=\"$(N)\"/></r>", "", true,
         "r{a[n=$(N)]}"},
        {"<r><a n=\"$(N)\"/><define name=\"N\" value=\"1\"/></r>", "", true, "r{a[n=$(N)]}"},
        {"<r><define name=\"X\" value=\"1\"/><a><b x=\"$(X)\"/></a></r>", "", true,
         "r{a{b[x=1]}}"},
        {"<r><a><define name=\"X\" value=\"1\"/></a><b x=\"$(X)\"/></r>", "", true,
         "r{a b[x=$(X)]}"},
        {"<r><if F=\"1\"><define name=\"X\" value=\"in\"/><a x=\"$(X)\"/></if>"
         "<b x=\"$(X)\"/></r>",
         "F=1", true, "r{a[x=in] b[x=$(X)]}"},
        {"<r><define name=\"F\" value=\"1\"/><if F=\"1\"><a/></if></r>", "", false, "r{a}"},
        {"<r><a x=\"$(X)\"/></r>", "X=1", false, "r{a[x=$(X)]}"},
        {"<r><a x=\"$(X)\" y=\"plain\"/></r>", "X=", true, "r{a[x=,y=plain]}"},
    };
    expectTrees(*this, cases);
}

TEST_F(XMLPreprocessor, ForReplicatesItsElementChildren)
{
    const Case cases[] = {
        {"<r><for index=\"i\" start=\"0\" end=\"3\" incr=\"1\" add=\"16\">"
         "<item n=\"$(i)\" c=\"$(i_alpha)\" a=\"$(i_ap_hex)\"/></for></r>",
         "", false,
         "r{item[n=0,c=A,a=0x10] item[n=1,c=B,a=0x11] item[n=2,c=C,a=0x12]}"},
        {"<r><a/><for index=\"i\" start=\"1\" end=\"3\" incr=\"1\" mul=\"4\" sub=\"1\">"
         "<x v=\"$(i_ap)\" h=\"$(i_hex)\"/><y/></for><b/></r>",
         "", false, "r{a x[v=3,h=0x1] y x[v=7,h=0x2] y b}"},
        {"<r><for index=\"i\" start=\"0\" end=\"0x20\" incr=\"0x10\" mul=\"010\">"
         "<x v=\"$(i_ap)\"/></for></r>",
         "", false, "r{x[v=0] x[v=128]}"},
        {"<r><for index=\"i\" start=\"0\" end=\"1\" incr=\"1\"><x v=\"$(i)$(Other)\"/></for></r>",
         "Other=Z", false, "r{x[v=0$(Other)]}"},
        {"<r><for index=\"i\" start=\"0\" end=\"1\" incr=\"1\"><x v=\"$(i)$(Other)\"/></for></r>",
         "Other=Z", true, "r{x[v=0Z]}"},
        {"<r><for index=\"i\" start=\"0\" end=\"3\" incr=\"1\"><for index=\"j\" start=\"0\" "
         "end=\"$(i)\" incr=\"1\"><p v=\"$(i)$(j)\"/></for></for></r>",
         "", false, "r{p[v=10] p[v=20] p[v=21]}"},
        {"<r><for index=\"i\" start=\"0\" end=\"2\" incr=\"1\"><if K=\"$(i)\"><k/></if></for></r>",
         "K=1", false, "r{k}"},
        {"<r><for index=\"i\" start=\"5\" end=\"2\" incr=\"1\"><x/></for></r>", "", false, "r"},
        {"<r><for index=\"i\" start=\"$(S)\" end=\"2\" incr=\"1\"><x v=\"$(i)\"/></for></r>",
         "S=1", true, "r{x[v=1]}"},
        {"<r><for index=\"i\" start=\"0\" end=\"0xFFFFFFFF\" incr=\"0x80000000\">"
         "<x v=\"$(i)\"/></for></r>",
         "", false, "r{x[v=0] x[v=2147483648]}"},
    };
    expectTrees(*this, cases);
}

TEST_F(XMLPreprocessor, MalformedDirectivesAreReported)
{
    const char *oneCondition = "one condition required for <if[not]>";
    const char *forUsage = "<for index=\"i\" start=\"0\" end=\"32\" incr=\"1\">";
    const Case cases[] = {
        {"<r><if A=\"1\" B=\"2\"><a/></if></r>", "", false, "r{if[A=1,B=2]{a}}", oneCondition},
        {"<r><ifnot><a/></ifnot></r>", "", false, "r{ifnot{a}}", oneCondition},
        {"<r><define value=\"1\"/><a/></r>", "", false, "r{a}", "missing name in <define>"},
        {"<r><define name=\"N\"/><a/></r>", "", false, "r{a}",
         "missing value or expression in <define>"},
        {"<r><for index=\"i\" start=\"0\" end=\"3\"><x/></for></r>", "", false, "r", forUsage},
        {"<r><for index=\"i\" start=\"0\" end=\"3\" incr=\"1\"/></r>", "", false, "r", forUsage},
        {"<r><for index=\"i\" start=\"0\" end=\"N\" incr=\"1\"><x/></for></r>", "", false, "r",
         forUsage},
        {"<r><for index=\"i\" start=\"0\" end=\"3\" incr=\"0\"><x/></for><y/></r>", "", false,
         "r{y}", "<for index=\"i\"> with incr=\"0\" never ends; nothing is copied"},
        {"<r><include/></r>", "", false, "r{include}", "missing filename in <include>"},
    };
    expectTrees(*this, cases);
}

// Nested runaway loops: the outer one copies the inner one 65536 times, and the copies must end
// at the document's limit with one warning, not one each.
TEST_F(XMLPreprocessor, NestedRunawayLoopsStopAtTheCopyLimitWithFewWarnings)
{
    const QString tree =
        process("<r><for index=\"i\" start=\"0\" end=\"0xFFFFFFFF\" incr=\"1\">"
                "<for index=\"j\" start=\"0\" end=\"0xFFFFFFFF\" incr=\"1\"><x/></for>"
                "</for></r>");
    // The outer loop's copies of the inner <for> count too.
    EXPECT_EQ(tree.count("x") + int(XMLPP2::kMaxForIterations) * 2, int(XMLPP2::kMaxCopies));
    EXPECT_FALSE(tree.contains("for"));
    EXPECT_EQ(m_doc.warnings,
              (QStringList{kPrefix + "<for index=\"i\"> stopped after 65536 iterations",
                           kPrefix + "<for index=\"j\"> stopped after 65536 iterations",
                           kPrefix + "<for index=\"j\"> stopped after 3392 iterations: a "
                                     "document may copy at most 200000 elements"}));
}

TEST_F(XMLPreprocessor, IncludeInsertsAnotherFile)
{
    write("envelope.xml", "<envelope><x/><if F=\"1\"><y/></if></envelope>");
    write("group.xml", "<group><x/></group>");
    write("sub/inner.xml", "<inner><include filename=\"leaf.xml\"/></inner>");
    write("sub/leaf.xml", "<leaf/>");
    write("macros.xml", "<group v=\"$(X)\"><x w=\"$(X)\"/></group>");
    const Case cases[] = {
        {"<r><a/><include filename=\"envelope.xml\"/><b/></r>", "F=1", false, "r{a x y b}"},
        {"<r><include filename=\"group.xml\" no_root=\"1\"/></r>", "", false, "r{x}"},
        {"<r><include filename=\"group.xml\"/></r>", "", false, "r{group{x}}"},
        {"<r><include filename=\"group.xml\" inherit_attributes=\"name;;missing\" name=\"N\"/></r>",
         "", false, "r{group[name=N]{x}}"},
        {"<r><include filename=\"sub/inner.xml\"/></r>", "", false, "r{inner{leaf}}"},
        {"<r><include filename=\"macros.xml\" expand_macros=\"1\" macros=\"X=5&#10;\"/></r>",
         "X=1", false, "r{group[v=5]{x[w=5]}}"},
        {"<r><include filename=\"macros.xml\" expand_macros=\"1\"/></r>", "X=1", false,
         "r{group[v=$(X)]{x[w=$(X)]}}"},
        {"<r><include filename=\"macros.xml\"/></r>", "X=1", true, "r{group[v=1]{x[w=1]}}"},
        {"<r><include filename=\"macros.xml\" macros=\"X=5\"/></r>", "X=1", false,
         "r{group[v=$(X)]{x[w=$(X)]}}"},
        {"<include filename=\"group.xml\"/>", "", false, "group{x}"},
        {"<if F=\"1\"><root/></if>", "F=1", false, "root"},
        {"<if F=\"1\"><root/></if>", "", false, "(null)"},
    };
    expectTrees(*this, cases);
}

TEST_F(XMLPreprocessor, IncludeProblemsAreReportedAndTheIncludeDropped)
{
    write("broken.xml", "<a/>\n<b></c>");
    write("empty.xml", "no elements here");
    const QString missing = m_dir.filePath("missing.xml");
    EXPECT_EQ(process("<r><x/><include filename=\"missing.xml\"/><include filename=\"empty.xml\"/>"
                      "<include filename=\"broken.xml\"/><y/></r>"),
              "r{x y}");
    EXPECT_EQ(m_doc.warnings,
              (QStringList{kPrefix + "error: include file '" + missing + "' is empty",
                           kPrefix + "error: include file '" + m_dir.filePath("empty.xml") +
                               "' is empty",
                           kPrefix + "error \"tagName mismatch\" in include file " +
                               m_dir.filePath("broken.xml") + " line:1"}));
}

TEST_F(XMLPreprocessor, RecursiveIncludesEnd)
{
    write("self.xml", "<s><include filename=\"self.xml\"/></s>");
    const QString tree = process("<r><include filename=\"self.xml\"/></r>");
    EXPECT_EQ(tree.count(u's'), XMLPP2::kMaxIncludeDepth);
    ASSERT_EQ(m_doc.warnings.size(), 1);
    EXPECT_TRUE(m_doc.warnings.first().endsWith("self.xml' nested too deeply"))
        << m_doc.warnings.first().toStdString();
}

TEST_F(XMLPreprocessor, IncludesThatMultiplyStopAtTheDocumentsLimit)
{
    write("twice.xml", "<t><include filename=\"twice.xml\"/><include filename=\"twice.xml\"/></t>");
    const QString tree = process("<r><include filename=\"twice.xml\"/></r>");
    EXPECT_EQ(tree.count(u't'), XMLPP2::kMaxIncludes);
    EXPECT_TRUE(m_doc.warnings.last().contains("is one too many, a document includes at most 1000"))
        << m_doc.warnings.last().toStdString();
}
