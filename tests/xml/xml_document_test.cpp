#include "xml/xml_document.h"
#include "xml/xml_element.h"

#include "support/qt_printers.h"
#include "support/run_kestrel.h"
#include "xml_tree_dump.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

namespace {

class XMLDocumentFile : public ::testing::Test
{
protected:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(writeTextFile(path, QString::fromUtf8(bytes)));
        return path;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(XMLDocumentFile, LoadsAWholeFile)
{
    const QString path = write("a.xml", "<?xml version=\"1.0\"?>\r\n<a x=\"1\">\r\n<b/></a>\r\n");
    XMLDocument doc(false);
    ASSERT_TRUE(doc.load(path));
    EXPECT_EQ(dumpXMLNode(doc.root), "a[x=1]{b}");
    EXPECT_EQ(doc.root->firstChild()->lineNumber(), 2u);
}

// Only regular files are read: a directory opens like a file and reports a size near 2^63, a
// pipe without a writer blocks, and a device never ends.
TEST_F(XMLDocumentFile, AnUnreadableFileNamesItself)
{
    const QByteArray pipe = QFile::encodeName(m_dir.filePath("pipe"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    for (const QByteArray &path : {QFile::encodeName(m_dir.filePath("missing.xml")),
                                   QFile::encodeName(m_dir.path()), pipe, QByteArray("/dev/zero")}) {
        SCOPED_TRACE(path.constData());
        XMLDocument doc(false);
        EXPECT_FALSE(doc.load(path.constData()));
        EXPECT_EQ(QByteArray(doc.errorMessage), "couldn't read " + path);
        EXPECT_EQ(doc.errorLine, 0u);
        EXPECT_EQ(doc.root, nullptr);
    }
}

TEST_F(XMLDocumentFile, ANulByteEndsTheInput)
{
    const QString path = write("nul.xml", QByteArray("<a><b/>\0</a>", 12));
    XMLDocument doc(false);
    EXPECT_TRUE(doc.load(path));
    EXPECT_EQ(doc.root, nullptr);
}

TEST_F(XMLDocumentFile, DocumentTypeProbe)
{
    // A null document type: the probe must find none.
    const std::pair<QByteArray, const char *> cases[] = {
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE Board_Memory_Definition_File>\n<Root/>",
         "Board_Memory_Definition_File"},
        {"<!DOCTYPE   zav_1 SYSTEM \"x\"><solution/>", "zav_1"},
        {"<?xml version=\"1.0\"?><?other?><!DOCTYPE a><a/>", "a"},
        {"<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE a><a/>", nullptr}, {"<a/>", nullptr},
        {"<!DOCTYPE\ta>", nullptr}, {"<!doctype a>", nullptr}, {"<!DOCTYPE ", nullptr},
        {"no markup at all", nullptr}, {"", nullptr},
        {"<!DOCTYPE " + QByteArray(1014, 'n'), nullptr},
        {"<!DOCTYPE " + QByteArray(1013, 'n') + ">", "(1013 n)"},
    };
    int index = 0;
    for (const auto &[bytes, docType] : cases) {
        SCOPED_TRACE(bytes.left(60).constData());
        const QString path = write(QString("probe%1.xml").arg(index++), bytes);
        const char *found = XMLDocument::xmlDocumentType(QFile::encodeName(path).constData());
        if (!docType)
            EXPECT_EQ(found, nullptr) << found;
        else if (QByteArray(docType) == "(1013 n)")
            EXPECT_EQ(QByteArray(found), QByteArray(1013, 'n'));
        else
            EXPECT_STREQ(found, docType);
    }
    EXPECT_EQ(XMLDocument::xmlDocumentType("/nonexistent/file.xml"), nullptr);
}
