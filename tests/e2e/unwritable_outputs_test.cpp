// Outputs that cannot be written fail the build with one line naming the file and status 1,
// and are never taken for finished ones: once the obstacle is gone the next build succeeds.
// The firmware is built with the installation's tool chain.
#include "arm_firmware.h"

#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Lines of `output` that mention `text`.
int linesMentioning(const QString &output, const QString &text)
{
    int count = 0;
    for (const QString &line : output.split(u'\n'))
        count += line.contains(text) ? 1 : 0;
    return count;
}

QString dump(const RunResult &r)
{
    return r.out + r.err;
}

class UnwritableOutputs : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        work = m_dir.filePath("work");
    }

    void fixture() { ASSERT_TRUE(copyFixture(QStringLiteral("interrupt_firmware"), work)); }

    RunResult build(const QStringList &options = {})
    {
        return runKestrel(QStringList{"-config", "Debug"} + options + QStringList{"firmware.zav"},
                          work, m_dir.filePath("user"));
    }

    QString at(const QString &relative) const { return work + u'/' + relative; }

    QString work;
    QTemporaryDir m_dir;
};

void makeFile(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

} // namespace

// Each obstacle stops the build at the step that needs the path, with one line naming it.
TEST_F(UnwritableOutputs, SomethingInTheWayFailsWithOneLineNamingIt)
{
    struct Case
    {
        const char *name;
        bool builtFirst;      // the obstacle appears after a complete build
        const char *obstacle; // a directory where a file goes, or a file where a directory
        bool obstacleIsFile;
        const char *named;   // what the one error line names
        const char *missing; // an output the failed build did not make
    };
    const Case cases[] = {
        {"object directory", false, "Debug", true, "can't create directory \"%1/Debug\"",
         "Debug/main.o"},
        {"staging directory", true, "Debug/stage", true,
         "can't create directory \"%1/Debug/stage\"", "Debug/stage/readme.txt"},
        {"linker script", false, "Debug/app.ld", false,
         "cannot write linker script file: %1/Debug/app.ld", "Debug/app.elf"},
        // The compiler cannot rewrite it either and says so; the object must not pass for
        // up to date because its dependencies are unknown.
        {"dependency file", true, "Debug/fast.d", false, "opening dependency file Debug/fast.d",
         "Debug/app.elf"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(work).removeRecursively();
        fixture();
        if (c.builtFirst) {
            const RunResult first = build();
            ASSERT_EQ(first.status, 0) << dump(first).toStdString();
            QFile::remove(at("Debug/app.elf"));
            QDir(at("Debug/stage")).removeRecursively();
            QFile::remove(at(c.obstacle));
        }
        if (c.obstacleIsFile)
            makeFile(at(c.obstacle));
        else
            ASSERT_TRUE(QDir().mkpath(at(c.obstacle)));

        const RunResult failed = build();
        EXPECT_EQ(failed.status, 1) << dump(failed).toStdString();
        EXPECT_EQ(linesMentioning(dump(failed), QString(c.named).replace("%1", work)), 1)
            << dump(failed).toStdString();
        EXPECT_FALSE(QFileInfo::exists(at(c.missing)));

        if (c.obstacleIsFile)
            QFile::remove(at(c.obstacle));
        else
            QDir(at(c.obstacle)).removeRecursively();
        const RunResult next = build();
        EXPECT_EQ(next.status, 0) << dump(next).toStdString();
        EXPECT_TRUE(QFileInfo::exists(at(c.missing)));
    }
}
