// Cortex-M3 firmware in C and C++, and a library project linked into an executable, built
// with the installation's tool chain and run on the emulated LM3S6965; and the same build with
// a tool chain that is not there.
#include "arm_firmware.h"

#include "support/qt_printers.h"

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

TEST_F(CortexM3Firmware, AMissingToolCannotBeExecuted)
{
    ASSERT_TRUE(writeTextFile(
        dir + QStringLiteral("/user/Tessary for ARM/settings.xml"),
        QStringLiteral("<!DOCTYPE Tessary_Settings_File>\n<settings>\n"
                       "<setting name=\"Environment/Build/Tool Chain Root Directory\">"
                       "/nonexistent/tools</setting>\n</settings>\n")));
    const RunResult result = build({"-project", "hello"});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(
        result.out.contains(QStringLiteral("can't execute command \"/nonexistent/tools/cc1\"")))
        << qPrintable(result.out);
}

} // namespace
