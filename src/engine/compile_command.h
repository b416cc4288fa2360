// Compilations in the form that editors, language servers and static analysers read from a
// compile commands file: the GNU compiler driver's command line, not the compiler pass's.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct CompileCommand
{
    QString directory;     // where the compilation runs; relative paths in `arguments` start here
    QString file;          // the source, absolute
    QStringList arguments; // the driver's command line, program first
    QString output;        // the object file, absolute; empty when not known
};

// The driver form of one compiler pass command line (the "cc1"/"cc1plus" words the build
// runs, program first) that compiles a source into `object`: the same target, preprocessor,
// language, optimisation, debug and warning options, the same dependency file in the same
// form ("-MD -MF <file> -MQ <target>"), "-fdebug-prefix-map=<directory>=." so that the object
// does not depend on where the checkout lies, then "-c <source> -o <object>". Preprocessed
// assembly ("-lang-asm") becomes "-x assembler-with-cpp". What only steers the pass itself is
// dropped: -quiet, -v, -E, -P and the pass's own (temporary) output; so is -mthumb-interwork,
// which the EABI driver ignores. The driver is "arm-none-eabi-gcc" or "arm-none-eabi-g++",
// taken from the pass's directory when it is there and otherwise left to the search path.
// Empty when `pass` is not a compiler pass or names no source.
std::optional<CompileCommand>
compileCommandFromPass(const QString &directory, const QStringList &pass, const QString &object);

// The same compilation stopped at assembly ("-S" for "-c"), written where the pass writes it:
// for compilations whose assembly something reads before the assembler does. Empty as above,
// and for preprocessed assembly, which has no compilation to stop after.
std::optional<CompileCommand> assemblyCommandFromPass(const QString &directory,
                                                      const QStringList &pass);

// The JSON text of a compile commands file: an array of {directory, file, arguments, output}.
QByteArray compileCommandsJson(const QList<CompileCommand> &commands);
