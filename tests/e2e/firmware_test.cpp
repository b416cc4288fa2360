// Firmware built with the installation's tool chain: the example of the installation, built
// as a user would from a clean copy of the examples, with the generated linker script, and run
// under the LM3S6965 emulator; an ARM7TDMI firmware, ARM code calling Thumb code through
// interworking, with preprocessed assembly start-up code and its own linker script; and one
// linked with the default placement, whose mode stacks are sized from the project (the process
// stack, which only Cortex-M cores have, stays undefined).
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

using ARM7TDMIFirmware = WorkDirWith<const char *>;

TEST_P(ARM7TDMIFirmware, LinksARMAndThumbCodeWithAnInterworkingVeneer)
{
    ASSERT_TRUE(copy("arm_arm7tdmi"));
    const QString config = QLatin1String(GetParam());
    const RunResult result = kestrel({"-config", config, "arm7.zav"});
    ASSERT_EQ(result.status, 0) << qPrintable(result.out) << qPrintable(result.err);
    EXPECT_EQ(steps(result.out), (QStringList{"Assembling startup.s", "Compiling main.c",
                                              "Compiling thumb_part.c", "Linking blinky.elf"}));
    EXPECT_TRUE(QFileInfo(at(config + QStringLiteral("/blinky.bin"))).size() > 0);

    if (!have("arm-none-eabi-readelf"))
        GTEST_SKIP() << "arm-none-eabi-readelf is not installed";
    const QString table =
        runProgram("arm-none-eabi-readelf", {"-s", config + QStringLiteral("/blinky.elf")}, dir).out;
    // Thumb functions have odd addresses; ARM ones even; the ARM caller reaches the Thumb
    // function through a veneer the linker made.
    auto address = [&](const char *name) {
        const QRegularExpression line(
            QStringLiteral(": ([0-9a-f]{8}) .* FUNC .* %1\\n").arg(QLatin1String(name)));
        return line.match(table).captured(1).toUInt(nullptr, 16);
    };
    EXPECT_EQ(address("thumb_sum") & 1, 1u);
    EXPECT_NE(address("main"), 0u);
    EXPECT_EQ(address("main") & 1, 0u);
    EXPECT_EQ(address("reset_handler") & 1, 0u);
    EXPECT_TRUE(table.contains(QStringLiteral("__thumb_sum_from_arm")));
}

INSTANTIATE_TEST_SUITE_P(Configurations, ARM7TDMIFirmware, ::testing::Values("Debug", "Release"));

using DefaultPlacement = WorkDir;

TEST_F(DefaultPlacement, LinksAnArm7FirmwareWithModeStacks)
{
    ASSERT_TRUE(copy("linker_arm7"));
    const RunResult r = kestrel({"-config", "Debug", "arm7.zav"});
    ASSERT_EQ(r.status, 0) << qPrintable(r.out) << qPrintable(r.err);
    EXPECT_TRUE(QFileInfo::exists(at("Debug/arm7.elf"))) << qPrintable(r.out);
    const QString script = readTextFile(at("Debug/arm7.ld"));
    for (const char *line : {"  __STACKSIZE__ = 1024;\n", "  __STACKSIZE_IRQ__ = 256;\n",
                             "  __STACKSIZE_FIQ__ = 256;\n", "  __STACKSIZE_SVC__ = 0;\n",
                             "  __HEAPSIZE__ = 1024;\n", "  .vectors __Flash_segment_start__ :\n"})
        EXPECT_TRUE(script.contains(QLatin1String(line))) << line;
    EXPECT_FALSE(script.contains(u"__STACKSIZE_PROCESS__ ="));
}

} // namespace
