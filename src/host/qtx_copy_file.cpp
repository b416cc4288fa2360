// QTx::copyFile: a byte copy that keeps the source's times and permissions.
#include "host/qtx.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kBlockSize = 128 * 1024;

bool writeAll(int fd, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

bool copyContents(int from, int to)
{
    static char block[kBlockSize];
    for (;;) {
        const ssize_t got = ::read(from, block, sizeof block);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(to, block, got))
            return false;
    }
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void copyTimesAndMode(const QByteArray &target, const struct stat &source)
{
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    ::utimensat(AT_FDCWD, target.constData(), times, 0);
    ::chmod(target.constData(), (source.st_mode & 07777) & ~currentUmask());
}

} // namespace

namespace QTx {

bool copyFile(const QString &source, const QString &destination, bool createDirectory)
{
    if (!QFileInfo::exists(source))
        return false;
    if (createDirectory)
        makeDir(QFileInfo(destination).absolutePath());
    QString target = destination;
    if (QFileInfo(destination).isDir())
        target = destination + u'/' + QFileInfo(source).fileName();

    const int from = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (from < 0)
        return false;
    struct stat status;
    if (::fstat(from, &status) != 0) {
        ::close(from);
        return false;
    }
    const QByteArray targetName = QFile::encodeName(target);
    const int to = ::open(targetName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (to < 0) {
        ::close(from);
        return false;
    }
    struct stat targetStatus;
    const bool regular = ::fstat(to, &targetStatus) == 0 && S_ISREG(targetStatus.st_mode);
    const bool copied = copyContents(from, to);
    ::close(from);
    const bool closed = ::close(to) == 0;
    if (!copied || !closed) {
        // A partial copy is newer than its source and would pass for an up-to-date one.
        // Only a regular file is ours to remove; a device named as the target stays.
        if (regular)
            ::unlink(targetName.constData());
        return false;
    }
    copyTimesAndMode(targetName, status);
    return true;
}

} // namespace QTx
