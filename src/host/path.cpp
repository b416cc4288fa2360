#include "host/path.h"

#include "host/qtx.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

// Inlined: the keys are short and hashed tens of thousands of times per build.
#define XXH_INLINE_ALL
#include <xxhash.h>

class PathPrivate : public QSharedData
{
public:
    QString path;
    // Caches filled on first use; a copy made before that fills its own.
    mutable std::optional<QFileInfo> info;

    const QFileInfo &fileInfo() const
    {
        if (!info)
            info.emplace(path);
        return *info;
    }
};

// Every project element holds a path, most of them never set: they share one empty private part
// until written (the write detaches).
Path::Path()
{
    static const QSharedDataPointer<PathPrivate> empty(new PathPrivate);
    d = empty;
}

Path::Path(const QString &path) : d(new PathPrivate)
{
    setPath(path);
}

Path::Path(const char *path) : Path(QString::fromLatin1(path)) {}

Path::Path(const std::string &path) : Path(QString::fromLatin1(path.data(), qsizetype(path.size())))
{
}

Path::Path(const Path &other) = default;
Path &Path::operator=(const Path &other) = default;
Path::~Path() = default;

void Path::setPath(const QString &path)
{
    QString normalised = path;
    removeRelativePaths(normalised);
    d->path = normalised;
    d->info.reset();
}

Path Path::operator+(const QString &text) const
{
    return Path(d->path + text);
}

QString Path::osPathQString() const
{
    return d->path;
}

QString Path::canonicalPathQString() const
{
    return d->path;
}

bool Path::exists() const
{
    return d->fileInfo().exists();
}

QString Path::fileName() const
{
    // The path is normalised: its name is what follows the last separator.
    return d->path.mid(d->path.lastIndexOf(u'/') + 1);
}

QString Path::baseName() const
{
    return d->fileInfo().completeBaseName();
}

QString Path::extension() const
{
    return d->fileInfo().suffix();
}

QString Path::dirPath() const
{
    return d->fileInfo().path();
}

QString Path::filePath() const
{
    return d->path;
}

QString Path::toOsPath(const QString &path)
{
    return path;
}

namespace {

bool isSegmentEnd(const QString &path, qsizetype at)
{
    return at >= path.size() || path.at(at) == u'/';
}

// Removes "/segment/.." ending at the ".." that starts at `dots`; returns where scanning goes
// on, or -1 when there is no segment to remove (a leading "..", or ".." after "..").
qsizetype removeParentSegment(QString &path, qsizetype dots)
{
    if (dots < 3)
        return -1;
    const qsizetype slash = path.lastIndexOf(u'/', dots - 3);
    if (slash < 0)
        return -1;
    if (QStringView(path).mid(slash + 1, dots - slash - 2) == u"..")
        return -1;
    path.remove(slash, dots + 2 - slash);
    return slash;
}

void collapseSlashes(QString &path)
{
    // Nearly every path has no doubled slash; it is then left alone, not rebuilt. A plain loop:
    // searching for the pair costs ten times as much on paths this short.
    qsizetype i = 1;
    while (i < path.size() && !(path.at(i) == u'/' && path.at(i - 1) == u'/'))
        ++i;
    if (i >= path.size())
        return;
    QString result;
    result.reserve(path.size());
    for (const QChar c : std::as_const(path)) {
        if (c == u'/' && result.endsWith(u'/'))
            continue;
        result.append(c);
    }
    path = result;
}

} // namespace

bool Path::isAbsolute(const QString &path)
{
    return path.startsWith(u'/') || (path.startsWith(u':') && QDir::isAbsolutePath(path));
}

void Path::removeRelativePaths(QString &path)
{
    const bool absolute = path.startsWith(u'/');
    qsizetype i = 0;
    while ((i = path.indexOf(u'.', i)) >= 0) {
        if (i == 0 || path.at(i - 1) != u'/') {
            ++i;
            continue;
        }
        if (i + 1 < path.size() && path.at(i + 1) == u'.' && isSegmentEnd(path, i + 2)) {
            const qsizetype next = removeParentSegment(path, i);
            i = next < 0 ? i + 1 : next;
        } else if (isSegmentEnd(path, i + 1)) {
            path.remove(i - 1, 2);
            --i;
        } else {
            ++i;
        }
    }
    collapseSlashes(path);
    // "/a/.." is the root, not an empty (relative) path.
    if (absolute && path.isEmpty())
        path = QStringLiteral("/");
}

namespace {

QStringList absoluteComponents(const QString &path)
{
    QString absolute = QFileInfo(path).absoluteFilePath();
    Path::removeRelativePaths(absolute);
    return absolute.split(u'/', Qt::SkipEmptyParts);
}

} // namespace

bool Path::relativeDirPath(const QString &from, const QString &to, QString &result)
{
    result.clear();
    if (to == u".")
        return true;
    const QStringList fromParts = absoluteComponents(from);
    const QStringList toParts = absoluteComponents(to);
    qsizetype common = 0;
    while (common < fromParts.size() && common < toParts.size()
           && fromParts.at(common) == toParts.at(common))
        ++common;
    if (common == 0)
        return false;
    for (qsizetype i = common; i < fromParts.size(); ++i)
        result += QStringLiteral("../");
    for (qsizetype i = common; i < toParts.size(); ++i)
        result += toParts.at(i) + u'/';
    result.chop(1);
    return true;
}

bool Path::ensureDirExists(const QString &file)
{
    return QTx::makeDir(QFileInfo(file).absolutePath());
}

size_t PathHash::operator()(const QString &path) const noexcept
{
    return size_t(XXH3_64bits(path.constData(), size_t(path.size()) * sizeof(QChar)));
}
