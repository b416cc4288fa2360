#include "xml/xml_document.h"
#include "xml/xml_element.h"

#include "support/qt_printers.h"
#include "xml_tree_dump.h"

#include <gtest/gtest.h>

namespace {

// A document whose root is p{a b c}, with its pool current while the test runs.
class XMLNodeEditing : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_doc.loadFromText("<p><a/><b/><c/></p>")); }

    XMLElement *child(const char *tag)
    {
        for (XMLElement *e = m_doc.root->firstChildElement(); e; e = e->nextSiblingElement())
            if (e->tagIs(tag))
                return e;
        return nullptr;
    }
    XMLElement *make(const char *tag) { return m_doc.mkXMLElement(XMLNode::mkString(tag)); }
    // x -> y as a sibling chain without a parent.
    XMLElement *chain()
    {
        XMLElement *holder = make("holder");
        holder->appendChild(make("x"));
        holder->appendChild(make("y"));
        return holder->firstChildElement();
    }
    QString tree() const { return dumpXMLNode(m_doc.root); }

    XMLDocument m_doc{false};
    CurrentPoolScope m_scope{&m_doc.pool()};
};

} // namespace

TEST_F(XMLNodeEditing, AppendPrependAndReplaceSetTheParent)
{
    XMLElement *z = make("z");
    m_doc.root->appendChild(z);
    XMLElement *f = make("f");
    m_doc.root->prependChild(f);
    m_doc.root->replaceChild(child("a"), make("x"));
    m_doc.root->replaceChild(z, make("y"));
    m_doc.root->appendChild(make("end"));
    EXPECT_EQ(tree(), "p{f x b c y end}");
    EXPECT_EQ(f->parentNode(), m_doc.root);
    EXPECT_EQ(child("y")->parentNode(), m_doc.root);
}

TEST_F(XMLNodeEditing, RemoveChildUnlinksButLeavesTheChildsOwnFields)
{
    XMLElement *b = child("b");
    XMLElement *c = child("c");
    m_doc.root->removeChild(b);
    EXPECT_EQ(tree(), "p{a c}");
    EXPECT_EQ(b->parentNode(), m_doc.root);
    EXPECT_EQ(b->nextSibling(), c);

    m_doc.root->removeChild(c);
    m_doc.root->appendChild(make("z"));
    EXPECT_EQ(tree(), "p{a z}");

    m_doc.root->removeChild(make("stranger"));
    EXPECT_EQ(tree(), "p{a z}");
}

TEST_F(XMLNodeEditing, ReparentChildrenAfterSplicesAChain)
{
    // The tag of the child to splice after (null for none), and the tree.
    const std::pair<const char *, const char *> cases[] = {
        {"a", "p{a x y b c}"}, {"c", "p{a b c x y}"}, {nullptr, "p{a b c x y}"},
    };
    for (const auto &[after, expected] : cases) {
        SCOPED_TRACE(after ? after : "null");
        SetUp();
        XMLElement *first = chain();
        m_doc.root->reparentChildrenAfter(after ? child(after) : nullptr, first);
        EXPECT_EQ(tree(), expected);
        EXPECT_EQ(first->parentNode(), m_doc.root);
        EXPECT_EQ(first->nextSibling()->parentNode(), m_doc.root);
        // Appending after the splice must still go to the very end.
        m_doc.root->appendChild(make("z"));
        EXPECT_TRUE(tree().endsWith("z}")) << tree().toStdString();
    }
}

TEST_F(XMLNodeEditing, AttributesAreSetReplacedAndRemovedByExactName)
{
    XMLElement *a = child("a");
    a->setAttribute("Name", "1");
    a->setAttribute("name", "2");
    a->setAttribute("Name", "3");
    EXPECT_STREQ(a->attribute("Name"), "3");
    EXPECT_STREQ(a->attribute("name"), "2");
    EXPECT_EQ(a->attribute("NAME"), nullptr);
    EXPECT_EQ(a->getAttributeList().count(), 2);

    a->removeAttribute("name");
    a->setAttribute("last", "4");
    EXPECT_EQ(dumpXMLNode(a), "a[Name=3,last=4]");
    a->removeAttribute("last");
    a->setAttribute("again", "5");
    EXPECT_EQ(dumpXMLNode(a), "a[Name=3,again=5]");
    EXPECT_FALSE(a->hasAttribute("last"));
    EXPECT_TRUE(a->hasAttribute("again"));
}
