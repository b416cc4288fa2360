#include "engine/arm_target.h"

#include <utility>

namespace ARM {

namespace {

struct ArchName
{
    ARMInstructionSetArchitecture arch;
    const char *name;
};

// The first name of each architecture is the one written back.
const ArchName kArchNames[] = {
    {v4T, "v4T"}, {v4T, "ARM4T"}, {v5T, "v5T"}, {v5TE, "v5TE"},
    {v6, "v6"},   {v6T2, "v6T2"}, {v6M, "v6M"}, {v7M, "v7M"},
};

const char *const kCoreNames[] = {"ARM7TDMI",  "ARM7TDMI-S", "ARM720T",    "ARM920T",
                                  "ARM946E-S", "ARM966E-S",  "ARM926EJ-S", "Cortex-M1",
                                  "Cortex-M3", "XScale",     "None"};

} // namespace

QStringList allArch()
{
    return {QStringLiteral("v4T"), QStringLiteral("v5TE"), QStringLiteral("v6T2"),
            QStringLiteral("v6M"), QStringLiteral("v7M")};
}

QStringList allCoreType()
{
    QStringList names;
    for (const char *name : kCoreNames)
        names.append(QString::fromLatin1(name));
    return names;
}

ARMInstructionSetArchitecture stringToArch(const QString &name)
{
    for (const ArchName &entry : kArchNames)
        if (name == QLatin1String(entry.name))
            return entry.arch;
    return unknownArchitecture;
}

QString archToString(ARMInstructionSetArchitecture arch)
{
    for (const ArchName &entry : kArchNames)
        if (entry.arch == arch)
            return QString::fromLatin1(entry.name);
    return QStringLiteral("unknownArchitecture");
}

ARMCoreType stringToCoreType(const QString &name)
{
    for (int i = 0; i < int(std::size(kCoreNames)); ++i)
        if (name == QLatin1String(kCoreNames[i]))
            return ARMCoreType(i);
    return unknownCoreType;
}

QString coreTypeToString(ARMCoreType core)
{
    if (core < 0 || core >= int(std::size(kCoreNames)))
        return QStringLiteral("unknownCoreType");
    return QString::fromLatin1(kCoreNames[core]);
}

bool hasBreakpointInstruction(ARMInstructionSetArchitecture arch)
{
    return arch != v4T && arch != unknownArchitecture;
}

bool hasDCC(ARMCoreType core)
{
    switch (core) {
    case ARM7TDMI:
    case ARM7TDMI_S:
    case ARM720T:
    case ARM920T:
    case ARM946E_S:
    case ARM966E_S:
    case ARM926EJ_S:
    case XScale:
        return true;
    default:
        return false;
    }
}

} // namespace ARM
