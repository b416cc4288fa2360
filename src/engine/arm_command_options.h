// The parts of the ARM tool chain's command lines that follow from setting values alone:
// target options, the architecture symbol, optimisation and library selection. The build
// system reads the settings; these functions only decide, so they are easy to check.
#pragma once

#include <QString>
#include <QStringList>

// Setting values of the target, as the project resolves them.
struct ARMTargetSettings
{
    QString coreType;       // arm_core_type
    QString architecture;   // arm_architecture
    QString instructionSet; // arm_instruction_set
    QString interwork;      // arm_interwork
    QString endian;         // arm_endian
    QString fpAbi;          // arm_fp_abi
};

// -mcpu, -march, -mthumb, -mthumb-interwork, endianness and floating point, in that order.
// `asmForm` spells the endianness as the assembler wants it (-EL/-EB).
QStringList armTargetOptions(const ARMTargetSettings &target, bool asmForm,
                             int commandLineGenerationVersion);
// "-D__ARM_ARCH_7M__" and the like; null for an architecture without a symbol.
QString armArchitectureDefinition(const QString &architecture);
// "Level 1".."Level 3" give -O1..-O3, "None" nothing (null), anything else -Os.
QString gccOptimizationOption(const QString &level);

// The library name part of the printf and scanf families.
QString armPrintfVariant(const QString &fpEnabled, const QString &formatLevel,
                         const QString &widthPrecisionSupported);
QString armScanfVariant(const QString &fpEnabled, const QString &formatLevel,
                        const QString &characterGroupMatching);

// Setting values that choose the run-time libraries of a link.
struct ARMLibrarySelection
{
    QString directory;          // link_standard_libraries_directory, as set
    QString ioLibraryName;      // link_IOLibraryName: "target", "debug" or "none"
    QString useGccLibraries;    // arm_use_gcc_libraries
    QString printfVariant;      // armPrintfVariant()
    QString scanfVariant;       // armScanfVariant()
    QString cppExceptions;      // cpp_enable_exceptions
    QString cppRtti;            // cpp_enable_rtti
    QString debugInterfaceType; // arm_target_debug_interface_type
    QString coreType;           // arm_core_type
    QString architecture;       // arm_architecture
    QString debugIOType;        // arm_link_debugio_type
};

// The libraries to link, each `directory` + "/lib..." + "$(LibExt)" still to be expanded, in
// link order. False, with `error` set, when the chosen debug I/O channel cannot work on the
// target.
[[nodiscard]] bool armStandardLibraries(const ARMLibrarySelection &selection,
                                        QStringList &libraries, QString *error);
// `library` with ".a" added when its file name has no extension.
QString withLibraryExtension(const QString &library);
