// Outputs that cannot be written fail the build with one line naming the file and status 1,
// and are never taken for finished ones: once the obstacle is gone the next build succeeds.
// The firmware is built with the installation's tool chain.
#include "e2e.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

class UnwritableOutputs : public WorkDir
{
protected:
    RunResult build() { return kestrel({"-config", "Debug", "firmware.zav"}, {}, at("work")); }
    QString in(const QString &relative) const { return at("work/" + relative); }
};

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
        QDir(at("work")).removeRecursively();
        ASSERT_TRUE(copy("interrupt_firmware", "work"));
        if (c.builtFirst) {
            const RunResult first = build();
            ASSERT_EQ(first.status, 0) << dump(first).toStdString();
            QFile::remove(in("Debug/app.elf"));
            QDir(in("Debug/stage")).removeRecursively();
            QFile::remove(in(c.obstacle));
        }
        if (c.obstacleIsFile)
            ASSERT_TRUE(writeTextFile(in(c.obstacle), ""));
        else
            ASSERT_TRUE(QDir().mkpath(in(c.obstacle)));

        const RunResult failed = build();
        EXPECT_EQ(failed.status, 1) << dump(failed).toStdString();
        EXPECT_EQ(linesMentioning(dump(failed), QString(c.named).replace("%1", at("work"))), 1)
            << dump(failed).toStdString();
        EXPECT_FALSE(QFileInfo::exists(in(c.missing)));

        if (c.obstacleIsFile)
            QFile::remove(in(c.obstacle));
        else
            QDir(in(c.obstacle)).removeRecursively();
        const RunResult next = build();
        EXPECT_EQ(next.status, 0) << dump(next).toStdString();
        EXPECT_TRUE(QFileInfo::exists(in(c.missing)));
    }
}
