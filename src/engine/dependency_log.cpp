#include "engine/dependency_log.h"

#include "host/qtx.h"

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <unistd.h>
#include <vector>

const QString DependencyLog::kFileName = QStringLiteral(".kestrel_deps");

namespace {

// The first line of every log written; a log of the previous version (without records) is read
// too, any other as empty.
const QByteArray kHeader = QByteArrayLiteral("kestrel dependency log 2");
const QByteArray kPreviousHeader = QByteArrayLiteral("kestrel dependency log 1");

// Each path appears once, on a "p" line, and is named by its position after that; an object is
// an "o" line (modification and status change times, size, index of its directory, file name)
// and a "d" line (the indices of its dependencies in order). An output made by a step that
// succeeded has an "s" line (the signature in 16 hexadecimal digits, file name), one whose step
// failed an "f" line:
//   p /work/inc/board.h
//   o 1765012345123456789 1765012345123456789 2048 3 main.o
//   d 4 0 1 2
//   s 9e3779b97f4a7c15 main.o
//   f app.elf
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

    // Exactly 16 hexadecimal digits at `at` in `line`, followed by a blank; moves past both.
    static bool signature(QByteArrayView line, qsizetype &at, quint64 &value)
    {
        if (line.size() < at + 17 || line[at + 16] != ' ')
            return false;
        value = 0;
        for (const char c : line.sliced(at, 16)) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                     : -1;
            if (digit < 0)
                return false;
            value = value << 4 | quint64(digit);
        }
        at += 17;
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

DependencyLog::Entries DependencyLog::parse(const QByteArray &text, Records *records)
{
    Entries entries;
    Records parsedRecords;
    Reader reader(text);
    QByteArrayView line;
    if (!reader.line(line) || (line != kHeader && line != kPreviousHeader))
        return {};
    QStringList paths;
    QString object;
    Entry entry;
    std::vector<qint64> indices; // of one "d" line, in the path table
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
            indices.clear();
            while (at < line.size()) {
                qint64 index = 0;
                if (!Reader::number(line, at, index) || index >= paths.size())
                    return {};
                indices.push_back(index);
            }
            if (indices.empty())
                return {};
            // Filled in place: one allocation per list, no growth.
            entry.dependencies = QStringList(qsizetype(indices.size()));
            QString *dependency = entry.dependencies.data();
            for (const qint64 index : indices)
                *dependency++ = paths[index];
            entries.insert_or_assign(std::move(object), std::move(entry));
            object = QString();
            break;
        }
        case 's':
        case 'f': {
            Record record;
            record.failed = line[0] == 'f';
            if (!object.isNull() ||
                (!record.failed && !Reader::signature(line, at, record.signature)) ||
                at >= line.size())
                return {};
            parsedRecords.insert_or_assign(QString::fromUtf8(line.sliced(at)), record);
            break;
        }
        default:
            return {};
        }
    }
    if (!object.isNull())
        return {};
    if (records)
        *records = std::move(parsedRecords);
    return entries;
}

QByteArray DependencyLog::format(const Entries &entries, const Records &records)
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
    for (const auto &[output, record] : records) {
        if (hasLineEnd(output))
            continue; // judged by its times alone next time
        if (record.failed)
            text += "f " + output.toUtf8() + '\n';
        else
            text += "s " + QByteArray::number(record.signature, 16).rightJustified(16, '0') + ' ' +
                    output.toUtf8() + '\n';
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
            loaded.entries = parse(text, &loaded.records);
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

const DependencyLog::Record *DependencyLog::record(const QString &output)
{
    const Directory &d = directory(directoryOf(output));
    const auto it = d.records.find(fileNameOf(output));
    return it == d.records.end() ? nullptr : &it->second;
}

void DependencyLog::startStep(const QString &output)
{
    Directory &d = directory(directoryOf(output));
    const QString name = fileNameOf(output);
    const auto it = d.records.find(name);
    // A step started twice in one run (another configuration writing the same file) keeps the
    // record from before the first.
    m_pending.try_emplace(output, it == d.records.end() ? std::optional<Record>()
                                                        : std::optional<Record>(it->second));
    d.records.insert_or_assign(name, Record{0, true});
    d.dirty = true;
}

void DependencyLog::stepSucceeded(const QString &output, quint64 signature)
{
    if (m_pending.erase(output) == 0)
        return;
    Directory &d = directory(directoryOf(output));
    d.records.insert_or_assign(fileNameOf(output), Record{signature, false});
    d.dirty = true;
}

void DependencyLog::abandonSteps()
{
    for (const auto &[output, before] : m_pending) {
        Directory &d = directory(directoryOf(output));
        if (before)
            d.records.insert_or_assign(fileNameOf(output), *before);
        else
            d.records.erase(fileNameOf(output));
        d.dirty = true;
    }
    m_pending.clear();
}

void DependencyLog::forget(const QString &output)
{
    Directory &d = directory(directoryOf(output));
    m_pending.erase(output);
    if (d.records.erase(fileNameOf(output)) != 0)
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
        const QByteArray text = format(d.entries, d.records);
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
