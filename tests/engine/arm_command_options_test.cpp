#include "engine/arm_command_options.h"
#include "engine/arm_target.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

namespace {

TEST(ARMTargetOptions, FollowCoreArchitectureAndInstructionSet)
{
    struct Case
    {
        ARMTargetSettings target;
        bool asmForm;
        int version;
        QString expected;
    };
    const Case cases[] = {
        {{"Cortex-M3", "v7M", "Thumb", "Yes", "Little", "Soft"}, false, 3,
         "-mcpu=cortex-m3 -march=armv7-m -mthumb -mthumb-interwork -mlittle-endian -mfpu=vfp "
         "-mfloat-abi=soft"},
        {{"Cortex-M3", "v7M", "Thumb", "No", "Little", "None"}, false, 2,
         "-mcpu=cortex-m3 -march=armv7m -mthumb -mlittle-endian"},
        {{"Cortex-M1", "v6M", "THUMB", "No", "Little", "None"}, true, 3, "-march=armv6 -mthumb -EL"},
        {{"None", "v6T2", "ARM", "No", "Big", "SoftFP"}, true, 3,
         "-march=armv6t2 -EB -mfpu=vfp -mfloat-abi=softfp"},
        {{"", "ARM4T", "ARM", "Yes", "Big", "None"}, false, 3,
         "-march=armv4t -mthumb-interwork -mbig-endian"},
        {{"ARM926EJ-S", "v5TE", "ARM", "No", "Little", "None"}, false, 3,
         "-mcpu=arm926ej-s -march=armv5te -mlittle-endian"},
        {{"XScale", "v5T", "ARM", "No", "Little", "None"}, false, 3,
         "-mcpu=xscale -march=armv5t -mlittle-endian"},
        {{"None", "v6", "ARM", "No", "Little", "None"}, false, 3, "-march=armv6 -mlittle-endian"},
        {{"None", "v9", "ARM", "No", "Little", "None"}, false, 3, "-mlittle-endian"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        EXPECT_EQ(armTargetOptions(c.target, c.asmForm, c.version).join(u' '), c.expected);
    }
}

TEST(ARMLibraryVariants, PrintfAndScanfNameParts)
{
    struct Case
    {
        const char *fp, *level, *option, *printf, *scanf;
    };
    const Case cases[] = {
        {"No", "int", "Yes", "long", "long_cc"},
        {"No", "int", "No", "long_nwp", "long"},
        {"No", "long", "Yes", "long", "long_cc"},
        {"No", "long long", "No", "long_long_nwp", "long_long"},
        {"Yes", "int", "No", "double_long_long", "double_long_long"},
        {"Yes", "long", "Yes", "double_long_long", "double_long_long_cc"},
        {"No", "short", "No", "_nwp", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.fp) + " " + c.level + " " + c.option);
        // The third setting means "width/precision supported" for printf and "character
        // classes" for scanf, so "Yes" drops "_nwp" but adds "_cc".
        EXPECT_EQ(armPrintfVariant(c.fp, c.level, c.option), QLatin1String(c.printf));
        EXPECT_EQ(armScanfVariant(c.fp, c.level, c.option), QLatin1String(c.scanf));
    }
}

TEST(ARMLibraryVariants, DefaultDebugChannelFollowsTheTarget)
{
    struct Case
    {
        const char *core, *architecture, *interface, *expectedChannel;
    };
    const Case cases[] = {
        {"Cortex-M3", "v7M", "ARM7TDI", "libdebugio_bkpt"},
        {"Cortex-M3", "v7M", "ADIv5", "libdebugio_mempoll"},
        {"ARM7TDMI", "v4T", "ARM7TDI", "libdebugio_dcc"},
        {"ARM926EJ-S", "v5TE", "ARM9TDI", "libdebugio_bkpt"},
        {"None", "v4T", "ARM7TDI", "libdebugio_mempoll"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.core);
        ARMLibrarySelection selection{"/l", "none", "Yes", "", "", "", "", c.interface,
                                      c.core, c.architecture, "Default"};
        QStringList libraries;
        QString error;
        ASSERT_TRUE(armStandardLibraries(selection, libraries, &error));
        EXPECT_EQ(libraries.value(4), QStringLiteral("/l/%1$(LibExt)").arg(c.expectedChannel));
        selection.debugIOType = "Memory Poll";
        libraries.clear();
        ASSERT_TRUE(armStandardLibraries(selection, libraries, &error));
        EXPECT_EQ(libraries.value(4), QStringLiteral("/l/libdebugio_mempoll$(LibExt)"));
    }
}

TEST(ARMLibraryVariants, LibraryExtensionIsAddedOnlyWhereNoneIsGiven)
{
    EXPECT_EQ(withLibraryExtension("/s.d/lib/libc_v4t_a_le"), "/s.d/lib/libc_v4t_a_le.a");
    EXPECT_EQ(withLibraryExtension("/lib/libc.so"), "/lib/libc.so");
}

} // namespace
