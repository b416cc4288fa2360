#include "host/qtx.h"

#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ApplicationDirectories
{
    QString application;
    QString root;
};

ApplicationDirectories &directories()
{
    static ApplicationDirectories dirs;
    return dirs;
}

// The canonical form of an existing directory; a directory that does not exist (a program
// path typed for a test) keeps its cleaned absolute form.
QString canonicalDirectory(const QString &dir)
{
    const QString canonical = QDir(dir).canonicalPath();
    return canonical.isEmpty() ? QDir::cleanPath(QDir(dir).absolutePath()) : canonical;
}

QByteArray encoded(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

namespace QTx {

NativePath::NativePath(const QString &path)
{
    const qsizetype size = path.size();
    if (size < qsizetype(sizeof m_buffer)) {
        const QChar *text = path.constData();
        qsizetype i = 0;
        while (i < size && text[i].unicode() < 0x80) {
            m_buffer[i] = char(text[i].unicode());
            ++i;
        }
        if (i == size) {
            m_buffer[size] = '\0';
            m_data = m_buffer;
            return;
        }
    }
    m_encoded = QFile::encodeName(path);
    m_data = m_encoded.constData();
}

void setApplicationPath(const char *argv0, int levelsUp)
{
    const QString program = QFile::decodeName(argv0);
    ApplicationDirectories &dirs = directories();
    dirs.application = canonicalDirectory(QFileInfo(program).absolutePath());
    QString root = dirs.application;
    for (int i = 0; i < levelsUp; ++i)
        root += QStringLiteral("/..");
    dirs.root = canonicalDirectory(root);
}

QString applicationDirectory()
{
    return directories().application;
}

QString rootDirectory()
{
    return directories().root;
}

QString userHomeDirectory()
{
    return qEnvironmentVariable("HOME");
}

QString userLocalAppDataDirectory(const QString &name)
{
    QString dir = userHomeDirectory() + QStringLiteral("/.") + name.toLower();
    dir.replace(u' ', u'_');
    return dir;
}

bool makeDir(const QDir &dir)
{
    return makeDir(dir.absolutePath());
}

bool makeDir(const QString &path)
{
    if (path.isEmpty())
        return false;
    return QDir().mkpath(path);
}

bool removeFile(const QString &path)
{
    return ::unlink(encoded(path).constData()) == 0;
}

bool setWriteable(const QString &path, bool writeable)
{
    const QByteArray name = encoded(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    const bool statted = ::fstat(fd, &status) == 0;
    ::close(fd);
    if (!statted)
        return false;
    mode_t mode = status.st_mode & 07777;
    mode = writeable ? (mode | S_IWUSR) : (mode & ~mode_t(S_IWUSR));
    return ::chmod(name.constData(), mode) == 0;
}

} // namespace QTx
