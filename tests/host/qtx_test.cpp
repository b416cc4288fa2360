#include "host/qtx.h"

#include "support/qt_printers.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace {

QString writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return QString();
    f.write(data);
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

mode_t modeOf(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class HostFiles : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(tmp.isValid()); }
    QString at(const QString &name) const { return tmp.path() + u'/' + name; }
    QTemporaryDir tmp;
};

} // namespace

TEST_F(HostFiles, SetWriteableTouchesOnlyTheOwnerWriteBit)
{
    writeFile(at("f"), "x");
    ASSERT_EQ(::chmod(QFile::encodeName(at("f")).constData(), 0754), 0);
    EXPECT_TRUE(QTx::setWriteable(at("f"), false));
    EXPECT_EQ(modeOf(at("f")), mode_t(0554));
    EXPECT_TRUE(QTx::setWriteable(at("f"), true));
    EXPECT_EQ(modeOf(at("f")), mode_t(0754));
    EXPECT_FALSE(QTx::setWriteable(at("missing"), true));
}

TEST_F(HostFiles, CopyFileKeepsContentTimesAndPermissions)
{
    // Larger than one copy block and not a multiple of it.
    QByteArray data;
    for (int i = 0; i < 300000; ++i)
        data.append(char(i * 7));
    writeFile(at("src.bin"), data);
    ASSERT_EQ(::chmod(QFile::encodeName(at("src.bin")).constData(), 0750), 0);
    struct utimbuf times = {1000000000, 1200000000};
    ASSERT_EQ(::utime(QFile::encodeName(at("src.bin")).constData(), &times), 0);

    const mode_t mask = ::umask(022);
    EXPECT_TRUE(QTx::copyFile(at("src.bin"), at("deep/dir/dst.bin"), true));
    ::umask(mask);

    EXPECT_EQ(readFile(at("deep/dir/dst.bin")), data);
    EXPECT_EQ(modeOf(at("deep/dir/dst.bin")), mode_t(0750));
    EXPECT_EQ(QFileInfo(at("deep/dir/dst.bin")).lastModified().toSecsSinceEpoch(), 1200000000);
}

// Umask bits are cleared, an existing target is truncated, a directory as the target takes
// the source's name, and a missing source or target directory fails.
TEST_F(HostFiles, CopyFileOntoExistingTargetsAndFailures)
{
    writeFile(at("src"), "new");
    writeFile(at("dst"), "much longer old content");
    ASSERT_EQ(::chmod(QFile::encodeName(at("src")).constData(), 0666), 0);
    const mode_t mask = ::umask(027);
    EXPECT_TRUE(QTx::copyFile(at("src"), at("dst"), false));
    ::umask(mask);
    EXPECT_EQ(readFile(at("dst")), "new");
    EXPECT_EQ(modeOf(at("dst")), mode_t(0640));

    QTx::makeDir(at("out"));
    EXPECT_TRUE(QTx::copyFile(at("src"), at("out"), false));
    EXPECT_EQ(readFile(at("out/src")), "new");

    EXPECT_FALSE(QTx::copyFile(at("missing"), at("none"), true));
    EXPECT_FALSE(QFileInfo::exists(at("none")));
    // The target directory is not created without being asked.
    EXPECT_FALSE(QTx::copyFile(at("src"), at("no/such/dir/dst"), false));
}

// The short cut for plain paths must give the bytes the codec gives, at every length around
// the buffer's size and with characters outside ASCII anywhere.
TEST(NativePath, GivesTheBytesOfTheFileNameCodec)
{
    QStringList paths{"",
                      "/",
                      "/tmp/kb/p0/Debug/f1.o",
                      "rel/a b.c",
                      QString::fromUtf8("/caf\xc3\xa9/x.c"),
                      QString::fromUtf8("\xc3\xa9"),
                      QString::fromUtf8("/a/\xe6\x97\xa5.h")};
    for (int length : {510, 511, 512, 513, 2000}) {
        paths << QString(length, u'a');
        paths << QString(length - 1, u'a') + QChar(0xfc);
    }
    for (const QString &path : paths) {
        SCOPED_TRACE(path.left(40).toStdString());
        const QTx::NativePath native(path);
        EXPECT_EQ(QByteArray(native.c_str()), QFile::encodeName(path));
    }
}
