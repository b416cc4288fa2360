// Cortex-M3 firmware in C and C++, and a library project linked into an executable, built
// with the installation's tool chain and run on the emulated LM3S6965.
#include "e2e.h"

namespace {

using CortexM3Firmware = WorkDir;

TEST_F(CortexM3Firmware, BuildsEveryProjectAndTheFirmwarePrintsThroughSemihosting)
{
    ASSERT_TRUE(copy("arm_cortex_m3"));
    const RunResult result = kestrel({"-config", "Debug", "firmware.zav"});
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

} // namespace
