// The example firmware of the installation, built as a user would: from a clean copy of the
// examples, with the generated linker script, and run under the LM3S6965 emulator.
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

RunResult runFirmware(const QString &elf, const QString &workDir)
{
    return runProgram(QStringLiteral("qemu-system-arm"),
                      {"-M", "lm3s6965evb", "-nographic", "-semihosting-config",
                       "enable=on,target=native", "-kernel", elf},
                      workDir, {}, 10000);
}

// What hello/main.c prints: i*i for i < 6 through the library's products (run from RAM),
// the root of 2 and 1.5 * -2.25 with four decimals (cut, not rounded: the root is 92681/65536,
// 1.41419...), and the product count kept in .bss.
const char kExpectedOutput[] = "kestrel example on LM3S6965, run 1\n"
                               "squares: 0 1 4 9 16 25\n"
                               "sqrt(2) = 1.4141\n"
                               "1.5 * -2.25 = -3.3750\n"
                               "7 products\n";

class ExampleHello : public ::testing::TestWithParam<const char *>
{
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("qemu-system-arm")).isEmpty())
            GTEST_SKIP() << "qemu-system-arm is not installed";
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(copyTree(kestrelSourceDir() + QStringLiteral("/examples"), m_dir.path()));
    }

    RunResult build()
    {
        return runKestrel({"-config", GetParam(), "hello.zav"}, m_dir.path(),
                          m_dir.filePath(QStringLiteral("user")));
    }

    QString output(const char *file) const
    {
        return m_dir.filePath(
            QStringLiteral("hello/%1/%2").arg(QLatin1String(GetParam()), QLatin1String(file)));
    }

    QTemporaryDir m_dir;
};

TEST_P(ExampleHello, BuildsWithAGeneratedScriptRunsAndThenIsUpToDate)
{
    const RunResult first = build();
    ASSERT_EQ(first.status, 0) << qPrintable(first.out) << qPrintable(first.err);
    EXPECT_TRUE(first.out.contains(u"Archiving ")) << qPrintable(first.out);
    EXPECT_TRUE(first.out.contains(u"Generating linker script")) << qPrintable(first.out);
    EXPECT_TRUE(first.out.contains(u"Linking hello.elf")) << qPrintable(first.out);
    EXPECT_LT(first.out.indexOf(u"Archiving "), first.out.indexOf(u"Linking hello.elf"));

    const QString script = readTextFile(output("hello.ld"));
    EXPECT_TRUE(script.contains(u"  SRAM (wx) : ORIGIN = 0x20000000, LENGTH = 0x00010000\n"));
    EXPECT_TRUE(script.contains(u"  __STACKSIZE__ = 2048;\n"));
    EXPECT_TRUE(script.contains(u"  __STACKSIZE_PROCESS__ = 0;\n"));

    const RunResult firmware = runFirmware(output("hello.elf"), m_dir.path());
    EXPECT_EQ(firmware.status, 0) << qPrintable(firmware.err);
    EXPECT_EQ(firmware.out, QString::fromLatin1(kExpectedOutput));

    const RunResult second = build();
    ASSERT_EQ(second.status, 0) << qPrintable(second.out);
    for (const char *step :
         {"Compiling", "Assembling", "Archiving", "Generating linker script", "Linking"})
        EXPECT_FALSE(second.out.contains(QLatin1String(step))) << step << "\n"
                                                               << qPrintable(second.out);
}

// Only the solution file changes, not a file time: the firmware must follow the define there,
// to the new value and back.
TEST_P(ExampleHello, ADefineChangedInTheSolutionReachesTheFirmwareAndBack)
{
    ASSERT_EQ(build().status, 0);
    const QString solution = m_dir.filePath(QStringLiteral("hello.zav"));
    const QString original = readTextFile(solution);
    ASSERT_TRUE(original.contains(u"\"RUN=1\""));
    struct Case
    {
        const char *run;
        const char *printed;
    };
    const Case cases[] = {{"RUN=6", "run 6\n"}, {"RUN=1", "run 1\n"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.run);
        ASSERT_TRUE(writeTextFile(
            solution, QString(original).replace(QStringLiteral("RUN=1"), QLatin1String(c.run))));
        const RunResult built = build();
        ASSERT_EQ(built.status, 0) << qPrintable(built.out);
        EXPECT_TRUE(built.out.contains(u"Compiling main.c")) << qPrintable(built.out);
        EXPECT_FALSE(built.out.contains(u"Compiling fixedpoint.c")) << qPrintable(built.out);
        const RunResult firmware = runFirmware(output("hello.elf"), m_dir.path());
        EXPECT_EQ(firmware.status, 0) << qPrintable(firmware.err);
        EXPECT_TRUE(firmware.out.startsWith(QStringLiteral("kestrel example on LM3S6965, ") +
                                            QLatin1String(c.printed)))
            << qPrintable(firmware.out);
    }
}

INSTANTIATE_TEST_SUITE_P(Configurations, ExampleHello, ::testing::Values("Debug", "Release"));

} // namespace
