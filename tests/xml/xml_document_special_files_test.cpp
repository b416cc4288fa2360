// Paths that name something other than a regular file. A directory opens like a file and reports
// a size near 2^63, a pipe without a writer blocks, and a device never ends: loading must fail
// with the usual message instead of trying to read them.
#include "xml/xml_document.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

TEST(XMLDocumentSpecialFiles, OnlyRegularFilesAreRead)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray pipe = QFile::encodeName(dir.filePath("pipe"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    const QByteArray directory = QFile::encodeName(dir.path());

    for (const QByteArray &path : {directory, pipe, QByteArray("/dev/zero")}) {
        SCOPED_TRACE(path.constData());
        XMLDocument doc(false);
        EXPECT_FALSE(doc.load(path.constData()));
        EXPECT_EQ(QByteArray(doc.errorMessage), "couldn't read " + path);
        EXPECT_EQ(doc.root, nullptr);
    }
}
