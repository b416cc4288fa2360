#include "engine/arm_command_options.h"

#include "engine/arm_target.h"

#include <QFileInfo>

namespace {

const QString kYes = QStringLiteral("Yes");

QString architectureOption(const QString &architecture, int commandLineGenerationVersion)
{
    if (architecture == u"v4T" || architecture == u"ARM4T")
        return QStringLiteral("-march=armv4t");
    if (architecture == u"v5T")
        return QStringLiteral("-march=armv5t");
    if (architecture == u"v5TE")
        return QStringLiteral("-march=armv5te");
    if (architecture == u"v6" || architecture == u"v6M")
        return QStringLiteral("-march=armv6");
    if (architecture == u"v6T2")
        return QStringLiteral("-march=armv6t2");
    if (architecture == u"v7M")
        return commandLineGenerationVersion == 2 ? QStringLiteral("-march=armv7m")
                                                 : QStringLiteral("-march=armv7-m");
    return QString();
}

// The debug I/O channel library, or null with `error` set when the target cannot use it.
QString debugIOChannel(const ARMLibrarySelection &s, QString *error)
{
    const bool breakpoint = ARM::hasBreakpointInstruction(ARM::stringToArch(s.architecture));
    const bool dcc = ARM::hasDCC(ARM::stringToCoreType(s.coreType));
    if (s.debugIOType == u"Breakpoint") {
        if (breakpoint)
            return QStringLiteral("/libdebugio_bkpt$(LibExt)");
        *error = QStringLiteral("DebugIO error architecture doesn't have a breakpoint instruction");
        return QString();
    }
    if (s.debugIOType == u"DCC") {
        if (dcc)
            return QStringLiteral("/libdebugio_dcc$(LibExt)");
        *error = QStringLiteral("DebugIO error, core doesn't have a DCC");
        return QString();
    }
    // "Default" (and anything unknown): the channel the target's debug logic offers; memory
    // polling works everywhere, so it is the last resort.
    if (s.debugIOType != u"Memory Poll" && s.debugInterfaceType != u"ADIv5") {
        if (breakpoint)
            return QStringLiteral("/libdebugio_bkpt$(LibExt)");
        if (dcc)
            return QStringLiteral("/libdebugio_dcc$(LibExt)");
    }
    return QStringLiteral("/libdebugio_mempoll$(LibExt)");
}

QString integerVariant(const QString &formatLevel)
{
    if (formatLevel == u"int" || formatLevel == u"long")
        return QStringLiteral("long");
    if (formatLevel == u"long long")
        return QStringLiteral("long_long");
    return QString("");
}

} // namespace

QStringList armTargetOptions(const ARMTargetSettings &t, bool asmForm,
                             int commandLineGenerationVersion)
{
    QStringList args;
    const QString core = t.coreType.toLower();
    if (!core.isEmpty() && core != u"none" && core != u"cortex-m1")
        args << QStringLiteral("-mcpu=") + core;
    const QString march = architectureOption(t.architecture, commandLineGenerationVersion);
    if (!march.isNull())
        args << march;
    if (t.instructionSet == u"Thumb" || t.instructionSet == u"THUMB")
        args << QStringLiteral("-mthumb");
    if (t.interwork == kYes)
        args << QStringLiteral("-mthumb-interwork");
    if (t.endian == u"Little")
        args << (asmForm ? QStringLiteral("-EL") : QStringLiteral("-mlittle-endian"));
    else
        args << (asmForm ? QStringLiteral("-EB") : QStringLiteral("-mbig-endian"));
    if (t.fpAbi != u"None") {
        args << QStringLiteral("-mfpu=vfp");
        if (t.fpAbi == u"Soft")
            args << QStringLiteral("-mfloat-abi=soft");
        else if (t.fpAbi == u"SoftFP")
            args << QStringLiteral("-mfloat-abi=softfp");
    }
    return args;
}

QString armArchitectureDefinition(const QString &architecture)
{
    static const QMap<QString, QString> symbols{
        {QStringLiteral("v4T"), QStringLiteral("-D__ARM_ARCH_4T__")},
        {QStringLiteral("ARM4T"), QStringLiteral("-D__ARM_ARCH_4T__")},
        {QStringLiteral("v5T"), QStringLiteral("-D__ARM_ARCH_5T__")},
        {QStringLiteral("v5TE"), QStringLiteral("-D__ARM_ARCH_5TE__")},
        {QStringLiteral("v6"), QStringLiteral("-D__ARM_ARCH_6__")},
        {QStringLiteral("v6T2"), QStringLiteral("-D__ARM_ARCH_6T2__")},
        {QStringLiteral("v6M"), QStringLiteral("-D__ARM_ARCH_6M__")},
        {QStringLiteral("v7M"), QStringLiteral("-D__ARM_ARCH_7M__")},
    };
    return symbols.value(architecture);
}

QString gccOptimizationOption(const QString &level)
{
    if (level == u"None")
        return QString();
    if (level == u"Level 1")
        return QStringLiteral("-O1");
    if (level == u"Level 2")
        return QStringLiteral("-O2");
    if (level == u"Level 3")
        return QStringLiteral("-O3");
    return QStringLiteral("-Os");
}

// Floating-point printf always handles width and precision, so "_nwp" only qualifies the
// integer-only variants.
QString armPrintfVariant(const QString &fpEnabled, const QString &formatLevel,
                         const QString &widthPrecisionSupported)
{
    if (fpEnabled == kYes)
        return QStringLiteral("double_long_long");
    QString variant = integerVariant(formatLevel);
    if (widthPrecisionSupported == u"No")
        variant += QStringLiteral("_nwp");
    return variant;
}

QString armScanfVariant(const QString &fpEnabled, const QString &formatLevel,
                        const QString &characterGroupMatching)
{
    QString variant =
        fpEnabled == kYes ? QStringLiteral("double_long_long") : integerVariant(formatLevel);
    if (characterGroupMatching == kYes)
        variant += QStringLiteral("_cc");
    return variant;
}

// The C library's system interface comes from the I/O library chosen; the floating-point
// support either from the compiler's library or from the product's own; exception and RTTI
// support only when a C++ feature needs it.
bool armStandardLibraries(const ARMLibrarySelection &s, QStringList &libraries, QString *error)
{
    const QString channel = debugIOChannel(s, error);
    if (channel.isNull())
        return false;
    const bool gccLibraries = s.useGccLibraries == kYes;
    QStringList names{QStringLiteral("/libm$(LibExt)"), QStringLiteral("/libc$(LibExt)"),
                      QStringLiteral("/libcpp$(LibExt)"), QStringLiteral("/libdebugio$(LibExt)"),
                      channel};
    if (s.ioLibraryName == u"target")
        names << QStringLiteral("/libc_targetio_impl$(LibExt)");
    else if (s.ioLibraryName == u"debug")
        names << QStringLiteral("/libc_debugio_impl$(LibExt)");
    if (!gccLibraries)
        names << QStringLiteral("/lib_vfprintf_") + s.printfVariant + QStringLiteral("$(LibExt)")
              << QStringLiteral("/lib_vfscanf_") + s.scanfVariant + QStringLiteral("$(LibExt)")
              << QStringLiteral("/libralfp$(LibExt)");
    else
        names << QStringLiteral("/libgccfp$(LibExt)");
    names << QStringLiteral("/libc_user_libc$(LibExt)");
    if (s.cppExceptions == kYes || s.cppRtti == kYes)
        names << QStringLiteral("/libgccxceptrtti$(LibExt)");
    names << QStringLiteral("/libarm$(LibExt)");
    if (s.debugInterfaceType == u"ADIv5")
        names << QStringLiteral("/libadiv5$(LibExt)");
    if (s.coreType.startsWith(u"XScale"))
        names << QStringLiteral("/libxscale$(LibExt)");
    names << QStringLiteral("/libarmdi$(LibExt)");
    for (const QString &name : std::as_const(names))
        libraries << s.directory + name;
    return true;
}

QString withLibraryExtension(const QString &library)
{
    if (QFileInfo(library).fileName().contains(u'.'))
        return library;
    return library + QStringLiteral(".a");
}
