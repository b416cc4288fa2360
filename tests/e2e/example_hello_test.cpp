// The example firmware of the installation, built as a user would: from a clean copy of the
// examples, with the generated linker script, and run under the LM3S6965 emulator.
#include "e2e.h"

namespace {

// What hello/main.c prints: i*i for i < 6 through the library's products (run from RAM),
// the root of 2 and 1.5 * -2.25 with four decimals (cut, not rounded: the root is 92681/65536,
// 1.41419...), and the product count kept in .bss.
const char kExpectedOutput[] = "kestrel example on LM3S6965, run 1\n"
                               "squares: 0 1 4 9 16 25\n"
                               "sqrt(2) = 1.4141\n"
                               "1.5 * -2.25 = -3.3750\n"
                               "7 products\n";

using ExampleHello = WorkDirWith<const char *>;

TEST_P(ExampleHello, BuildsWithAGeneratedScriptRunsAndThenIsUpToDate)
{
    if (!haveQemu())
        GTEST_SKIP() << "qemu-system-arm is not installed";
    ASSERT_TRUE(copy("examples"));
    const QStringList args{"-config", GetParam(), "hello.zav"};
    const RunResult first = kestrel(args);
    ASSERT_EQ(first.status, 0) << qPrintable(first.out) << qPrintable(first.err);
    EXPECT_EQ(steps(first.out),
              (QStringList{"Compiling fixedpoint.c", "Archiving fixedpoint.a", "Compiling main.c",
                           "Assembling startup.s", "Linking hello.elf",
                           "Generating linker script"}));

    const RunResult firmware =
        runOnLM3S6965(at(QStringLiteral("hello/%1/hello.elf").arg(GetParam())), dir);
    EXPECT_EQ(firmware.status, 0) << qPrintable(firmware.err);
    EXPECT_EQ(firmware.out, QString::fromLatin1(kExpectedOutput));

    const RunResult second = kestrel(args);
    ASSERT_EQ(second.status, 0) << qPrintable(second.out);
    EXPECT_EQ(steps(second.out), QStringList()) << qPrintable(second.out);
}

INSTANTIATE_TEST_SUITE_P(Configurations, ExampleHello, ::testing::Values("Debug", "Release"));

} // namespace
