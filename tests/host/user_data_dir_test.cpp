#include "host/qtx.h"
#include "host/user_data_dir.h"

#include "support/qt_printers.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Restores an environment variable when the test ends.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_old;
};

} // namespace

TEST(UserDataDirectories, LocalAppDataDirectoryIsHiddenLowerCaseWithoutSpaces)
{
    ScopedEnv home("HOME", "/home/first last");
    EXPECT_EQ(QTx::userHomeDirectory(), "/home/first last");
    EXPECT_EQ(QTx::userLocalAppDataDirectory("Big Maker"), "/home/first_last/.big_maker");
}

// The root directory is computed once per process, so the order of the steps matters here.
TEST(UserDataDirectories, EnvironmentThenOptionDecideTheRoot)
{
    setRootUserDataDir(QString());
    {
        ScopedEnv root("TESSARY_ROOT_USER_DIR", "/tmp/u");
        EXPECT_EQ(studioUserDataDir(), "/tmp/u/Tessary for ARM");
    }
    // Kept after the variable is gone: computed once.
    EXPECT_EQ(rootUserDataDir(), "/tmp/u");
    setRootUserDataDir("/x");
    EXPECT_EQ(studioUserDataDir(), "/x/Tessary for ARM");

    setRootUserDataDir(QString());
    {
        ScopedEnv home("HOME", "/home/me");
        qunsetenv("TESSARY_ROOT_USER_DIR");
        EXPECT_EQ(rootUserDataDir(), "/home/me/.tessary");
    }
    setRootUserDataDir(QString());
}

TEST(ApplicationPath, RootIsTheRequestedNumberOfLevelsUp)
{
    QTx::setApplicationPath("/opt/t/bin/kestrel", 1);
    EXPECT_EQ(QTx::applicationDirectory(), "/opt/t/bin");
    EXPECT_EQ(QTx::rootDirectory(), "/opt/t");

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/inst/bin"));
    const QString canonical = QDir(dir.path()).canonicalPath();
    const QByteArray program = (dir.path() + "/inst/bin/../bin/kestrel").toLocal8Bit();
    QTx::setApplicationPath(program.constData(), 1);
    EXPECT_EQ(QTx::applicationDirectory(), canonical + "/inst/bin");
    EXPECT_EQ(QTx::rootDirectory(), canonical + "/inst");

    // A bare name (found along PATH) is taken relative to the current directory.
    QTx::setApplicationPath("kestrel", 0);
    EXPECT_EQ(QTx::applicationDirectory(), QDir::current().canonicalPath());
}
