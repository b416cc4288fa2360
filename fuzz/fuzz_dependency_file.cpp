// Reading a compiler dependency file (".d") of arbitrary contents.
#include "engine/dependency_file.h"

#include <QDir>
#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList prerequisites = parseDependencyText(text, QStringLiteral("/project/obj"));
    for (const QString &p : prerequisites) {
        // Every name comes back absolute and non-empty.
        if (p.isEmpty() || QDir::isRelativePath(p))
            __builtin_trap();
    }
    dependencyFileName(text);
    return 0;
}
