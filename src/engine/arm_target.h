// The ARM architectures and cores a project can target, their names in project settings and
// the two capabilities that decide which debug I/O channel a firmware can use.
#pragma once

#include <QString>
#include <QStringList>

namespace ARM {

enum ARMInstructionSetArchitecture {
    unknownArchitecture = -1,
    v4T = 0,
    v5TE,
    v6T2,
    v6M,
    v7M,
    v5T,
    v6,
};

enum ARMCoreType {
    unknownCoreType = -1,
    ARM7TDMI = 0,
    ARM7TDMI_S,
    ARM720T,
    ARM920T,
    ARM946E_S,
    ARM966E_S,
    ARM926EJ_S,
    Cortex_M1,
    Cortex_M3,
    XScale,
    None,
};

// The names offered for selection, in display order. "v5T" and "v6" are understood by
// stringToArch but not offered.
QStringList allArch();
QStringList allCoreType();

// "ARM4T" is the older spelling of "v4T". Unknown names give unknownArchitecture.
ARMInstructionSetArchitecture stringToArch(const QString &name);
QString archToString(ARMInstructionSetArchitecture arch); // "unknownArchitecture" if unknown
ARMCoreType stringToCoreType(const QString &name);
QString coreTypeToString(ARMCoreType core); // "unknownCoreType" if unknown

// BKPT arrived with v5T: a v4T firmware cannot stop the debugger with a breakpoint.
bool hasBreakpointInstruction(ARMInstructionSetArchitecture arch);
// The classic ARM7/ARM9/XScale debug logic has a debug communications channel; Cortex cores
// do not.
bool hasDCC(ARMCoreType core);

} // namespace ARM
