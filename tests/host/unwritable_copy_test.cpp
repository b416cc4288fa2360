// A copy that fails halfway leaves nothing that could pass for a finished copy.
#include "host/qtx.h"

#include "support/qt_printers.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

// Lowers the file size limit of the process while alive: writes beyond it fail (EFBIG), as
// they would on a full disk. SIGXFSZ is ignored meanwhile so the failure is only an error.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        m_applied = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    bool applied() const { return m_applied; }

private:
    struct rlimit m_saved = {};
    void (*m_handler)(int) = nullptr;
    bool m_applied = false;
};

QString writeSource(const QTemporaryDir &dir)
{
    const QString path = dir.filePath("image.bin");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray(1024 * 1024, 'x'));
    return path;
}

} // namespace

TEST(UnwritableCopy, PartialTargetIsRemoved)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = writeSource(dir);
    const QString target = dir.filePath("staged.bin");
    bool copied = true;
    {
        const FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.applied());
        copied = QTx::copyFile(source, target, false);
    }
    EXPECT_FALSE(copied);
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_TRUE(QTx::copyFile(source, target, false));
    EXPECT_EQ(QFileInfo(target).size(), 1024 * 1024);
}

TEST(UnwritableCopy, DeviceThatRefusesTheDataIsLeftInPlace)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Our own node of the device that is always full, so that nothing shared is at stake.
    const QString device = dir.filePath("full");
    if (::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 7)) != 0)
        GTEST_SKIP() << "cannot make a device node here";
    EXPECT_FALSE(QTx::copyFile(writeSource(dir), device, false));
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(device).constData(), &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}
