#include "engine/dependency_file.h"

#include "host/qtx.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

// Cut from the string: a no-op build asks for one per object. The object's directory is kept
// as written ("." for a bare name).
QString dependencyFileName(const QString &absoluteObject)
{
    const qsizetype slash = absoluteObject.lastIndexOf(u'/');
    const QStringView name = QStringView(absoluteObject).mid(slash + 1);
    const qsizetype dot = name.indexOf(u'.');
    QString result;
    result.reserve(absoluteObject.size() + 3);
    if (slash < 0)
        result.append(u'.');
    else
        result.append(QStringView(absoluteObject).left(slash == 0 ? 1 : slash));
    result.append(u'/');
    result.append(dot < 0 ? name : name.left(dot));
    result.append(u".d");
    return result;
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

// The whole file, read with plain system calls: a no-op build reads one per object. A read of a
// regular file returns less than asked for only at its end, so a file that fits the buffer
// takes one read, not a second one that returns nothing.
bool readWhole(const QString &path, QByteArray &bytes)
{
    const int fd = ::open(QTx::NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0)
            bytes.append(buffer, got);
        if (got < ssize_t(sizeof buffer)) {
            ::close(fd);
            return got >= 0;
        }
    }
}

} // namespace

// Plain runs of characters are copied into the name whole; only the escapes, blanks and line
// ends between them are looked at one by one.
QStringList parseDependencyText(const QString &text, const QString &dir)
{
    QStringList names;
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return names;
    QString name;
    name.reserve(256);
    const QChar *data = text.constData();
    const qsizetype size = text.size();
    qsizetype run = colon + 1; // start of the plain characters not yet copied into `name`
    const auto takeRun = [&](qsizetype end) {
        if (end > run)
            name.append(data + run, end - run);
    };
    for (qsizetype i = colon + 1; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\\' && c != u'\n' && c != u' ')
            continue;
        takeRun(i);
        run = i + 1;
        if (c == u'\\' && i + 1 < size) {
            const char16_t next = data[i + 1].unicode();
            if (next == u' ' || next == u'\n') {
                if (next == u' ')
                    name.append(u' ');
                ++i;
                run = i + 1;
                continue;
            }
            name.append(u'\\');
            continue;
        }
        if (c == u'\\')
            name.append(u'\\'); // a backslash that ends the text
        else if (c == u' ')
            addName(names, name, dir);
    }
    takeRun(size);
    addName(names, name, dir);
    return names;
}

bool dependencyFileUnreadable(const QString &path)
{
    QByteArray bytes;
    return QFileInfo::exists(path) && !readWhole(path, bytes);
}

QStringList readDependencyFile(const QString &path, const QString &dir)
{
    QByteArray bytes;
    if (!readWhole(path, bytes))
        return {};
    return parseDependencyText(QString::fromLocal8Bit(bytes), dir);
}
