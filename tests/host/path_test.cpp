#include "host/path.h"

#include "support/qt_printers.h"

#include <QDir>
#include <QSet>
#include <gtest/gtest.h>

TEST(PathNormalisation, RemovesDotSegmentsAndRepeatedSlashes)
{
    const std::pair<const char *, const char *> cases[] = {
        {"/a/b/../c", "/a/c"}, {"/a/./b", "/a/b"},
        {"a//b", "a/b"},
        {"/a/.hidden", "/a/.hidden"}, {"/a/b/../../c", "/c"}, {"/a/b/.", "/a/b"}, {"/a/b/..", "/a"},
        {"/a/..", "/"}, {"/a/./././b", "/a/b"}, {"/x/y/.././z/", "/x/z/"},
        {"////a///b", "/a/b"},
        {"../x", "../x"}, {"/../x", "/../x"}, {"../../x", "../../x"}, {"q/../../r", "q/../../r"},
        {"ab/cd/../../../x", "ab/../../x"}, // ".." never cancels another ".."
        {"/a/..b/c", "/a/..b/c"},    // a name that begins with ".." is a name
        {"/a/b..", "/a/b.."}, {"a.b/c.d", "a.b/c.d"}, {"", ""},
    };
    for (const auto &[input, expected] : cases) {
        SCOPED_TRACE(input);
        QString path = QString::fromLatin1(input);
        Path::removeRelativePaths(path);
        EXPECT_EQ(path, QString::fromLatin1(expected));
    }
}

TEST(PathValue, ConstructorsAndConcatenationNormalise)
{
    EXPECT_EQ(Path("/a/./b").filePath(), "/a/b");
    EXPECT_EQ(Path(std::string("/a//b/../c")).osPathQString(), "/a/c");
    EXPECT_EQ(Path(QStringLiteral("/p/q")).canonicalPathQString(), "/p/q");
    EXPECT_EQ((Path("/a/b") + "/../c.o").filePath(), "/a/c.o");
    // No separator is inserted between the path and the appended text.
    EXPECT_EQ((Path("/a/b") + ".o").filePath(), "/a/b.o");
}

TEST(RelativeDirPath, ComputesTheWayFromOneDirectoryToAnother)
{
    struct Case
    {
        const char *from;
        const char *to;
        bool ok;
        const char *expected;
    };
    const Case cases[] = {
        {"/home/u/proj", "/home/u/proj/src", true, "src"},
        {"/home/u/proj/build", "/home/u/lib/inc", true, "../../lib/inc"},
        {"/home/u/proj", "/home/u/proj", true, ""},
        {"/home/u/proj/", "/home/u//proj", true, ""},
        {"/home/u/proj/a/b", "/home/u/proj", true, "../.."},
        {"/home/u/Proj", "/home/u/proj", true, "../proj"}, // case matters
        {"/home/u", "/opt/tools", false, ""}, {"/home/u", ".", true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        QString result = QStringLiteral("stale");
        EXPECT_EQ(Path::relativeDirPath(c.from, c.to, result), c.ok);
        EXPECT_EQ(result, QString::fromLatin1(c.expected));
    }
    // A relative argument is taken from the current directory.
    QString result;
    ASSERT_TRUE(Path::relativeDirPath(QDir::currentPath(), "sub/dir", result));
    EXPECT_EQ(result, "sub/dir");
}

// Every character counts, the last few too: paths that differ only at the end (f1.o, f2.o) or
// only in length must not share hashes, or the build's tables degrade into lists.
TEST(PathHash, SpreadsPathsThatDifferAnywhere)
{
    const PathHash hash;
    QSet<size_t> seen;
    int paths = 0;
    for (int i = 0; i < 2000; ++i) {
        for (const QString &path : {QString("/tmp/p0/Debug/f%1.o").arg(i), QString("a%1").arg(i),
                                    QString("/src/f%1.c").arg(i).repeated(3)}) {
            seen.insert(hash(path));
            ++paths;
        }
    }
    for (int length = 0; length < 20; ++length) {
        seen.insert(hash(QString(length, u'x')));
        ++paths;
    }
    EXPECT_EQ(seen.size(), paths);
    EXPECT_EQ(hash(QString("same")), hash(QString("sa") + QString("me")));
}
