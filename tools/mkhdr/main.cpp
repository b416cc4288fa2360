// mkhdr: writes a C header with the registers of a memory map file.
//   mkhdr <memory map file> <header file> [name=value ...]
// The memory map is read as the build reads it (with the XML preprocessor and the given macro
// definitions), so its conditional parts and imports count.

#include "register_header.h"

#include "engine/linker/memory_map.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fputs("usage: mkhdr <memory map file> <header file> [name=value ...]\n", stderr);
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString header = QString::fromLocal8Bit(argv[2]);
    QStringList macros;
    for (int i = 3; i < argc; ++i)
        macros.append(QString::fromLocal8Bit(argv[i]));

    MemoryMap map;
    if (!map.load(source, macros.join(u';'), true)) {
        std::fprintf(stderr, "mkhdr: cannot load memory map file \"%s\"\n", argv[1]);
        return 1;
    }
    QFile out(header);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(registerHeader(map, header, source).toUtf8()) < 0) {
        std::fprintf(stderr, "mkhdr: cannot write \"%s\"\n", argv[2]);
        return 1;
    }
    return 0;
}
