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

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

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

namespace {

// A small file system of its own for the test, so that it can be filled up; it needs the
// privilege to mount one.
class FullDisk : public UnwritableOutputs
{
protected:
    void SetUp() override
    {
        UnwritableOutputs::SetUp();
        m_mount = m_dir.filePath("disk");
        ASSERT_TRUE(QDir().mkpath(m_mount));
        if (::mount("tmpfs", QFile::encodeName(m_mount).constData(), "tmpfs", 0, "size=16m") != 0)
            GTEST_SKIP() << "cannot mount a file system here: " << std::strerror(errno);
        m_mounted = true;
        work = m_mount + QStringLiteral("/work");
        fixture();
    }
    void TearDown() override
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_mount).constData(), MNT_DETACH);
    }

    // Writes a file until the disk refuses more; removing it gives the space back.
    void fill()
    {
        const QByteArray name = QFile::encodeName(m_mount + QStringLiteral("/filler"));
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        const QByteArray block(64 * 1024, 'f');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        while (::write(fd, block.constData(), 1) > 0) {
        }
        ::close(fd);
    }
    void makeRoom() { ASSERT_TRUE(QFile::remove(m_mount + QStringLiteral("/filler"))); }

private:
    QString m_mount;
    bool m_mounted = false;
};

} // namespace

TEST_F(FullDisk, StagedCopyFailsAndLeavesNoPartialFile)
{
    fill();
    const RunResult failed = build({"-project", "stage"});
    EXPECT_EQ(failed.status, 1) << dump(failed).toStdString();
    EXPECT_EQ(linesMentioning(dump(failed), "cp failed: can't copy \"readme.txt\""), 1)
        << dump(failed).toStdString();
    EXPECT_FALSE(QFileInfo::exists(at("Debug/stage/readme.txt")));

    makeRoom();
    const RunResult next = build({"-project", "stage"});
    ASSERT_EQ(next.status, 0) << dump(next).toStdString();
    EXPECT_EQ(readTextFile(at("Debug/stage/readme.txt")), readTextFile(at("readme.txt")));
}

TEST_F(FullDisk, GeneratedLinkerScriptThatDoesNotFitFailsTheLink)
{
    ASSERT_EQ(build({"-project", "app"}).status, 0);
    const QString script = readTextFile(at("Debug/app.ld"));
    ASSERT_FALSE(script.isEmpty());
    ASSERT_TRUE(QFile::remove(at("Debug/app.ld")));
    ASSERT_TRUE(QFile::remove(at("Debug/app.elf")));

    fill();
    const RunResult failed = build({"-project", "app"});
    EXPECT_EQ(failed.status, 1) << dump(failed).toStdString();
    EXPECT_EQ(linesMentioning(dump(failed), "cannot write linker script file: " +
                                                at("Debug/app.ld") + " (No space left on device)"),
              1)
        << dump(failed).toStdString();
    EXPECT_FALSE(QFileInfo::exists(at("Debug/app.elf")));

    makeRoom();
    const RunResult next = build({"-project", "app"});
    ASSERT_EQ(next.status, 0) << dump(next).toStdString();
    EXPECT_EQ(steps(next.out), (QStringList{"Linking app.elf", "Generating linker script"}));
    EXPECT_EQ(readTextFile(at("Debug/app.ld")), script);
}
