// The kestrel command line read from an indirect option file of arbitrary contents. The input is
// written as "in.opts" in a scratch directory, the current directory while parsing, so a line
// can name it again ("@in.opts") or a sibling ("@other.opts": the text after a first NUL byte).
#include "driver/error_report.h"
#include "driver/kestrel_arg_parse.h"
#include "fuzz_support.h"

#include <QDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static ErrorReport quiet("kestrel", nullStream());
    report = &quiet;
    QByteArray main;
    QByteArray other;
    splitAtNul(data, size, main, other);
    writeScratchFile("in.opts", main);
    writeScratchFile("other.opts", other);
    // Only while parsing: libFuzzer itself reads and writes relative paths.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(scratchDirectory());

    KestrelArgParse parser;
    parser.defineGlobalMacro = [](const QString &, const QString &) {};
    parser.setTemplatesFile = [](const QString &) {};
    parser.helpRequested = [] {};
    char word[] = "@in.opts";
    char *words[] = {word};
    parser.parse(1, words);
    QDir::setCurrent(previous);
    if (parser.indirectDepth() != 0)
        __builtin_trap(); // every indirect file was closed again
    return 0;
}
