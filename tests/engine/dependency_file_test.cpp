#include "engine/dependency_file.h"

#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(DependencyFile, NameIsTheObjectNameUpToItsFirstDot)
{
    struct Case { const char *object; const char *expected; };
    const Case cases[] = {
        {"/p/Debug/main.o", "/p/Debug/main.d"},
        {"/p/Debug/x.y.o", "/p/Debug/x.d"},
        {"/p/Debug/noext", "/p/Debug/noext.d"},
        {"/p/v1.2/main.o", "/p/v1.2/main.d"},
        {"main.o", "./main.d"},
        {"/main.o", "//main.d"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.object);
        EXPECT_EQ(dependencyFileName(c.object), QString(c.expected));
    }
}

TEST(DependencyFile, ParsesOneMakeRule)
{
    struct Case { const char *text; QStringList expected; };
    const Case cases[] = {
        {"main.o: main.c inc/a.h\n", {"/p/main.c", "/p/inc/a.h"}},
        {"main.o: /abs/main.c \\\n  /usr/include/stdio.h\n",
         {"/abs/main.c", "/usr/include/stdio.h"}},
        {"main.o: my\\ file.c b.h", {"/p/my file.c", "/p/b.h"}},
        {"main.o: dir\\x.h", {"/p/dir\\x.h"}},
        {"main.o:   a.h    b.h   ", {"/p/a.h", "/p/b.h"}},
        {"no rule here", {}},
        {"main.o:", {}},
        {"main.o: a.h\\", {"/p/a.h\\"}},
        // A prerequisite may itself contain a colon: only the first one ends the target.
        {"o: a:b.h", {"/p/a:b.h"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parseDependencyText(c.text, "/p"), c.expected);
    }
}

// Only a dependency file that is there and cannot be read leaves an object's dependencies
// unknown; a missing or empty one means the compiler recorded none.
TEST(DependencyFile, ReadsAFileAndOnlyOneThatIsThereButCannotBeReadIsUnreadable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(writeTextFile(dir.filePath("main.d"), "main.o: src/main.c \\\n src/main.h\n"));
    EXPECT_EQ(readDependencyFile(dir.filePath("main.d"), "/proj"),
              (QStringList{"/proj/src/main.c", "/proj/src/main.h"}));
    EXPECT_TRUE(readDependencyFile(dir.filePath("missing.d"), "/proj").isEmpty());
    ASSERT_TRUE(writeTextFile(dir.filePath("empty.d"), ""));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("dir.d")));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling.d")));
    for (const char *name : {"main.d", "empty.d", "missing.d", "dangling.d", "dir.d"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(dependencyFileUnreadable(dir.filePath(name)), QByteArray(name) == "dir.d");
    }
}
