#include "engine/dependency_log.h"

#include "host/qtx.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <unistd.h>

const QString DependencyLog::kFileName = QStringLiteral(".kestrel_deps");

namespace {

// The first line of every log; a log of any other version is read as empty.
const QByteArray kHeader = QByteArrayLiteral("kestrel dependency log 1");

// Each path appears once, on a "p" line, and is named by its position after that; an object is
// an "o" line (modification and status change times, size, index of its directory, file name)
// and a "d" line (the indices of its dependencies in order):
//   p /work/inc/board.h
//   o 1765012345123456789 1765012345123456789 2048 3 main.o
//   d 4 0 1 2
class Reader
{
public:
    explicit Reader(const QByteArray &text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    // The next line without its end; false when the text has no complete line left.
    bool line(QByteArrayView &out)
    {
        const qsizetype end = m_text.indexOf('\n', m_pos);
        if (end < 0)
            return false;
        out = QByteArrayView(m_text).sliced(m_pos, end - m_pos);
        m_pos = end + 1;
        return true;
    }

    // A decimal number at `at` in `line`, followed by a blank or the end; moves `at` past both.
    static bool number(QByteArrayView line, qsizetype &at, qint64 &value)
    {
        const qsizetype start = at;
        value = 0;
        while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
            if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
                return false;
            value = value * 10 + (line[at] - '0');
            ++at;
        }
        if (at == start || (at < line.size() && line[at] != ' '))
            return false;
        if (at < line.size())
            ++at;
        return true;
    }

private:
    const QByteArray &m_text;
    qsizetype m_pos = 0;
};

bool readWhole(const QString &path, QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

QString directoryOf(const QString &object)
{
    const qsizetype slash = object.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : object.left(slash);
}

QString fileNameOf(const QString &object)
{
    return object.mid(object.lastIndexOf(u'/') + 1);
}

} // namespace

DependencyLog::Entries DependencyLog::parse(const QByteArray &text)
{
    Entries entries;
    Reader reader(text);
    QByteArrayView line;
    if (!reader.line(line) || line != kHeader)
        return {};
    QStringList paths;
    QString object;
    Entry entry;
    while (!reader.atEnd()) {
        if (!reader.line(line) || line.size() < 2 || line[1] != ' ')
            return {};
        qsizetype at = 2;
        switch (line[0]) {
        case 'p':
            paths.append(QString::fromUtf8(line.sliced(2)));
            break;
        case 'o': {
            qint64 index = 0;
            if (!object.isNull() || !Reader::number(line, at, entry.identity.modifiedNs)
                || !Reader::number(line, at, entry.identity.changedNs)
                || !Reader::number(line, at, entry.identity.size)
                || !Reader::number(line, at, index) || index >= paths.size()
                || at >= line.size())
                return {};
            entry.dir = paths[index];
            object = QString::fromUtf8(line.sliced(at));
            break;
        }
        case 'd': {
            if (object.isNull())
                return {};
            entry.dependencies.clear();
            while (at < line.size()) {
                qint64 index = 0;
                if (!Reader::number(line, at, index) || index >= paths.size())
                    return {};
                entry.dependencies.append(paths[index]);
            }
            if (entry.dependencies.isEmpty())
                return {};
            entries.insert_or_assign(object, entry);
            object = QString();
            break;
        }
        default:
            return {};
        }
    }
    return object.isNull() ? entries : Entries();
}

QByteArray DependencyLog::format(const Entries &entries)
{
    QByteArray text = kHeader + '\n';
    std::unordered_map<QString, qint64, PathHash> indices;
    const auto indexOf = [&](const QString &path) {
        const auto it = indices.find(path);
        if (it != indices.end())
            return it->second;
        const qint64 index = qint64(indices.size());
        indices.emplace(path, index);
        text += "p " + path.toUtf8() + '\n';
        return index;
    };
    const auto hasLineEnd = [](const QString &s) { return s.contains(u'\n'); };
    for (const auto &[object, e] : entries) {
        if (hasLineEnd(object) || hasLineEnd(e.dir)
            || std::any_of(e.dependencies.cbegin(), e.dependencies.cend(), hasLineEnd))
            continue; // cannot be written line by line: read from its ".d" file next time
        QByteArray dependencies = "d";
        for (const QString &d : e.dependencies)
            dependencies += ' ' + QByteArray::number(indexOf(d));
        text += "o " + QByteArray::number(e.identity.modifiedNs) + ' '
                + QByteArray::number(e.identity.changedNs) + ' '
                + QByteArray::number(e.identity.size) + ' ' + QByteArray::number(indexOf(e.dir))
                + ' ' + object.toUtf8() + '\n' + dependencies + '\n';
    }
    return text;
}

DependencyLog::Directory &DependencyLog::directory(const QString &path)
{
    if (m_last && path == m_lastPath)
        return *m_last;
    auto it = m_directories.find(path);
    if (it == m_directories.end()) {
        Directory loaded;
        QByteArray text;
        if (readWhole(path + u'/' + kFileName, text))
            loaded.entries = parse(text);
        it = m_directories.emplace(path, std::move(loaded)).first;
    }
    // Elements of an unordered_map stay where they are as it grows.
    m_lastPath = path;
    m_last = &it->second;
    return *m_last;
}

bool DependencyLog::find(const QString &object, const QString &dir, const FileIdentity &identity,
                         QStringList &dependencies)
{
    if (!identity.isValid())
        return false;
    const Directory &d = directory(directoryOf(object));
    const auto it = d.entries.find(fileNameOf(object));
    if (it == d.entries.end() || !(it->second.identity == identity) || it->second.dir != dir)
        return false;
    dependencies = it->second.dependencies;
    return true;
}

void DependencyLog::record(const QString &object, const QString &dir, const FileIdentity &identity,
                           const QStringList &dependencies)
{
    if (!identity.isValid() || dependencies.isEmpty())
        return;
    Directory &d = directory(directoryOf(object));
    d.entries.insert_or_assign(fileNameOf(object), Entry{identity, dir, dependencies});
    d.dirty = true;
}

void DependencyLog::save()
{
    for (auto &[directory, d] : m_directories) {
        if (!d.dirty)
            continue;
        d.dirty = false;
        const QString path = directory + u'/' + kFileName;
        // A name of this process's own: two builds of the same directory at once must not
        // write into one temporary file, or a log mixed from both could be renamed into place.
        const QString temporary =
            path + u'.' + QString::number(::getpid()) + QStringLiteral(".tmp");
        const QByteArray text = format(d.entries);
        QFile file(temporary);
        const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                             && file.write(text) == text.size() && file.flush();
        file.close();
        if (!written || std::rename(QTx::NativePath(temporary).c_str(),
                                    QTx::NativePath(path).c_str())
                            != 0)
            QFile::remove(temporary);
    }
}
