// Helpers of the end-to-end tests that build firmware with the installation's tool chain.
#pragma once

#include "support/run_kestrel.h"

#include <QStandardPaths>
#include <QString>
#include <QStringList>

// Runs a Cortex-M3 firmware on the emulated LM3S6965 board; printf goes to the host through
// semihosting and the firmware's exit status becomes the emulator's.
inline RunResult runOnLM3S6965(const QString &elf, const QString &workDir)
{
    return runProgram(QStringLiteral("qemu-system-arm"),
                      {"-M", "lm3s6965evb", "-nographic", "-semihosting-config",
                       "enable=on,target=native", "-kernel", elf},
                      workDir, {}, 20000);
}

inline bool haveQemu()
{
    return !QStandardPaths::findExecutable(QStringLiteral("qemu-system-arm")).isEmpty();
}

// The lines of a kestrel run that announce a tool step ("Compiling main.c", ...), without
// their indentation, in order.
inline QStringList steps(const QString &output)
{
    QStringList found;
    for (const QString &line : output.split(u'\n')) {
        const QString text = line.trimmed();
        for (const char *verb :
             {"Compiling ", "Assembling ", "Archiving ", "Linking ", "Generating linker script"})
            if (text.startsWith(QLatin1String(verb)))
                found.append(text);
    }
    return found;
}
