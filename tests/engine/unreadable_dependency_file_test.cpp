// Only a dependency file that is there and cannot be read leaves an object's dependencies
// unknown; a missing or empty one means the compiler recorded none.
#include "engine/dependency_file.h"

#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(UnreadableDependencyFile, OnlyAFileThatIsThereButCannotBeReadCounts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const char *name, const QByteArray &text) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("main.d", "Debug/main.o: main.c\n");
    write("empty.d", "");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("dir.d")));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling.d")));

    struct Case
    {
        const char *name;
        bool unreadable;
    };
    const Case cases[] = {{"main.d", false},
                          {"empty.d", false},
                          {"missing.d", false},
                          {"dangling.d", false},
                          {"dir.d", true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(dependencyFileUnreadable(dir.filePath(c.name)), c.unreadable);
    }
}
