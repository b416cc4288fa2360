#include "build/dependency_file.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

QString dependencyFileName(const QString &absoluteObject)
{
    const QFileInfo info(absoluteObject);
    const QString name = info.fileName();
    const qsizetype dot = name.indexOf(u'.');
    return info.path() + u'/' + (dot < 0 ? name : name.left(dot)) + u".d";
}

namespace {

// `name` is reused for every name of the file, so it keeps its buffer (resize, not clear) and
// each name is copied out once at its exact size.
void addName(QStringList &names, QString &name, const QString &dir)
{
    if (name.isEmpty())
        return;
    if (name.startsWith(u'/'))
        names.append(QString(name.constData(), name.size()));
    else
        names.append(dir + u'/' + name);
    name.resize(0);
}

// The whole file, read with plain system calls: a no-op build reads one per object.
bool readWhole(const QString &path, QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) {
            ::close(fd);
            return got == 0;
        }
        bytes.append(buffer, got);
    }
}

} // namespace

QStringList parseDependencyText(const QString &text, const QString &dir)
{
    QStringList names;
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return names;
    QString name;
    name.reserve(256);
    const qsizetype size = text.size();
    for (qsizetype i = colon + 1; i < size; ++i) {
        const QChar c = text.at(i);
        if (c == u'\\' && i + 1 < size) {
            const QChar next = text.at(i + 1);
            if (next == u' ' || next == u'\n') {
                if (next == u' ')
                    name.append(next);
                ++i;
                continue;
            }
            name.append(c);
            continue;
        }
        if (c == u'\n')
            continue;
        if (c == u' ') {
            addName(names, name, dir);
            continue;
        }
        name.append(c);
    }
    addName(names, name, dir);
    return names;
}

QStringList readDependencyFile(const QString &path, const QString &dir)
{
    QByteArray bytes;
    if (!readWhole(path, bytes))
        return {};
    return parseDependencyText(QString::fromLocal8Bit(bytes), dir);
}
