// Cortex-M3 firmware in C and C++, and a library project linked into an executable, built
// with the installation's tool chain and run on the emulated LM3S6965.
#include "arm_firmware.h"

#include "support/qt_printers.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class CortexM3Firmware : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        dir = m_dir.path();
        ASSERT_TRUE(copyFixture(QStringLiteral("arm_cortex_m3"), dir));
    }

    RunResult build(const QStringList &extra = {})
    {
        return runKestrel(QStringList{"-config", "Debug"} + extra + QStringList{"firmware.zav"},
                          dir, dir + QStringLiteral("/user"));
    }

    // Makes `file` newer than everything built so far, but older than what the next build
    // writes: every source and output is first moved into the past (outputs after sources).
    void touch(const QString &file)
    {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const bool output = path.startsWith(dir + QStringLiteral("/Debug/"));
            ASSERT_TRUE(setFileTime(path, now - (output ? 500 : 1000)));
        }
        ASSERT_TRUE(setFileTime(dir + u'/' + file, now - 100));
    }

    QString dir;

private:
    QTemporaryDir m_dir;
};

TEST_F(CortexM3Firmware, BuildsEveryProjectAndTheFirmwarePrintsThroughSemihosting)
{
    const RunResult result = build();
    ASSERT_EQ(result.status, 0) << qPrintable(result.out) << qPrintable(result.err);
    EXPECT_EQ(steps(result.out),
              (QStringList{"Compiling main.c", "Compiling startup.c", "Linking hello.elf",
                           "Compiling shapes.cpp", "Compiling startup.c", "Linking shapes.elf",
                           "Compiling gcd.c", "Compiling power.c", "Archiving mathlib.a",
                           "Compiling main.c", "Compiling startup.c", "Linking calc.elf"}));
    if (!haveQemu())
        GTEST_SKIP() << "qemu-system-arm is not installed";

    struct Case
    {
        const char *elf;
        const char *output;
    };
    const Case cases[] = {
        {"Debug/hello.elf", "hello from the Cortex-M3: 42\n"},
        {"Debug/shapes.elf", "square: 49\nrectangle: 15\ntotal: 64\n"},
        {"Debug/calc.elf", "gcd(84, 36) = 12\n3^5 = 243\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.elf);
        const RunResult run = runOnLM3S6965(QLatin1String(c.elf), dir);
        EXPECT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_EQ(run.out, QLatin1String(c.output));
    }
}

TEST_F(CortexM3Firmware, ASecondBuildRunsNothingAndATouchedSourceOnlyRebuildsWhatUsesIt)
{
    ASSERT_EQ(build().status, 0);
    const RunResult again = build();
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(steps(again.out).isEmpty()) << qPrintable(again.out);

    touch(QStringLiteral("hello/main.c"));
    const RunResult hello = build();
    EXPECT_EQ(hello.status, 0);
    EXPECT_EQ(steps(hello.out), (QStringList{"Compiling main.c", "Linking hello.elf"}));

    // A changed library member is archived again, and the executable using it relinked.
    touch(QStringLiteral("mathlib/power.c"));
    const RunResult library = build();
    EXPECT_EQ(steps(library.out),
              (QStringList{"Compiling power.c", "Archiving mathlib.a", "Linking calc.elf"}));
}

TEST_F(CortexM3Firmware, ShowPrintsTheCommandsAndChangesNothing)
{
    const RunResult result = build({"-show", "-project", "hello"});
    ASSERT_EQ(result.status, 0) << qPrintable(result.out);
    const QString tools = kestrelRootDir() + QStringLiteral("/gcc/bin/");
    EXPECT_TRUE(
        result.out.contains(tools + QStringLiteral("cc1 -fmessage-length=0 -mcpu=cortex-m3")));
    EXPECT_TRUE(result.out.contains(tools + QStringLiteral("as --traditional-format")));
    EXPECT_TRUE(result.out.contains(tools + QStringLiteral("ld -X -e reset_handler --omagic")));
    EXPECT_FALSE(QFileInfo::exists(dir + QStringLiteral("/Debug/hello.elf")));
    // Temporary assembly files were only named, and are gone again.
    EXPECT_TRUE(QDir(dir + QStringLiteral("/Debug/hello")).entryList(QDir::Files).isEmpty());
}

} // namespace
