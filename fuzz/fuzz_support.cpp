#include "fuzz_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <streambuf>

namespace {

class NullBuffer : public std::streambuf
{
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char *, std::streamsize n) override { return n; }
};

} // namespace

const QString &scratchDirectory()
{
    static QTemporaryDir dir(QDir::tempPath() + "/kestrel-fuzz-XXXXXX");
    static const QString path = dir.path();
    return path;
}

QString writeScratchFile(const QString &name, const QByteArray &bytes)
{
    const QString path = scratchDirectory() + '/' + name;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

QString writeScratchFile(const QString &name, const std::uint8_t *data, std::size_t size)
{
    return writeScratchFile(name, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
}

std::ostream &nullStream()
{
    static NullBuffer buffer;
    static std::ostream stream(&buffer);
    return stream;
}

void splitAtNul(const std::uint8_t *data, std::size_t size, QByteArray &first, QByteArray &second)
{
    const QByteArray all(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype nul = all.indexOf('\0');
    if (nul < 0) {
        first = all;
        second = QByteArray();
        return;
    }
    first = all.left(nul);
    second = all.mid(nul + 1);
}
