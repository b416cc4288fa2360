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
        {{"Cortex-M3", "v7M", "Thumb", "Yes", "Little", "Soft"},
         false,
         3,
         "-mcpu=cortex-m3 -march=armv7-m -mthumb -mthumb-interwork -mlittle-endian -mfpu=vfp "
         "-mfloat-abi=soft"},
        {{"Cortex-M3", "v7M", "Thumb", "No", "Little", "None"},
         false,
         2,
         "-mcpu=cortex-m3 -march=armv7m -mthumb -mlittle-endian"},
        {{"Cortex-M1", "v6M", "THUMB", "No", "Little", "None"},
         true,
         3,
         "-march=armv6 -mthumb -EL"},
        {{"None", "v6T2", "ARM", "No", "Big", "SoftFP"},
         true,
         3,
         "-march=armv6t2 -EB -mfpu=vfp -mfloat-abi=softfp"},
        {{"", "ARM4T", "ARM", "Yes", "Big", "None"},
         false,
         3,
         "-march=armv4t -mthumb-interwork -mbig-endian"},
        {{"ARM926EJ-S", "v5TE", "ARM", "No", "Little", "None"},
         false,
         3,
         "-mcpu=arm926ej-s -march=armv5te -mlittle-endian"},
        {{"XScale", "v5T", "ARM", "No", "Little", "None"},
         false,
         3,
         "-mcpu=xscale -march=armv5t -mlittle-endian"},
        {{"None", "v6", "ARM", "No", "Little", "None"}, false, 3, "-march=armv6 -mlittle-endian"},
        {{"None", "v9", "ARM", "No", "Little", "None"}, false, 3, "-mlittle-endian"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.expected.toStdString());
        EXPECT_EQ(armTargetOptions(c.target, c.asmForm, c.version).join(u' '), c.expected);
    }
}

TEST(ARMTargetOptions, ArchitectureSymbolsAndOptimisation)
{
    EXPECT_EQ(armArchitectureDefinition("v4T"), "-D__ARM_ARCH_4T__");
    EXPECT_EQ(armArchitectureDefinition("v6M"), "-D__ARM_ARCH_6M__");
    EXPECT_EQ(armArchitectureDefinition("v7M"), "-D__ARM_ARCH_7M__");
    EXPECT_TRUE(armArchitectureDefinition("v9").isNull());
    EXPECT_TRUE(gccOptimizationOption("None").isNull());
    EXPECT_EQ(gccOptimizationOption("Level 1"), "-O1");
    EXPECT_EQ(gccOptimizationOption("Level 3"), "-O3");
    EXPECT_EQ(gccOptimizationOption("Optimize For Size"), "-Os");
    EXPECT_EQ(gccOptimizationOption("Turbo"), "-Os");
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
        ARMLibrarySelection selection;
        selection.directory = "/l";
        selection.ioLibraryName = "none";
        selection.useGccLibraries = "Yes";
        selection.coreType = c.core;
        selection.architecture = c.architecture;
        selection.debugInterfaceType = c.interface;
        selection.debugIOType = "Default";
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

TEST(ARMTarget, NamesAndCapabilities)
{
    EXPECT_EQ(ARM::allArch(), (QStringList{"v4T", "v5TE", "v6T2", "v6M", "v7M"}));
    EXPECT_EQ(ARM::allCoreType().size(), 11);
    for (const QString &name : ARM::allArch())
        EXPECT_EQ(ARM::archToString(ARM::stringToArch(name)), name);
    for (const QString &name : ARM::allCoreType())
        EXPECT_EQ(ARM::coreTypeToString(ARM::stringToCoreType(name)), name);
    EXPECT_EQ(ARM::stringToArch("ARM4T"), ARM::v4T);
    EXPECT_EQ(ARM::archToString(ARM::stringToArch("v9")), "unknownArchitecture");
    EXPECT_EQ(ARM::stringToCoreType("Cortex-A8"), ARM::unknownCoreType);

    EXPECT_FALSE(ARM::hasBreakpointInstruction(ARM::v4T));
    EXPECT_TRUE(ARM::hasBreakpointInstruction(ARM::v5TE));
    EXPECT_TRUE(ARM::hasBreakpointInstruction(ARM::v6M));
    EXPECT_TRUE(ARM::hasDCC(ARM::ARM7TDMI_S));
    EXPECT_TRUE(ARM::hasDCC(ARM::XScale));
    EXPECT_FALSE(ARM::hasDCC(ARM::Cortex_M3));
    EXPECT_FALSE(ARM::hasDCC(ARM::None));
}

} // namespace
