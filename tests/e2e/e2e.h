// Helpers of the end-to-end tests: a work directory per test, the installation's tool chain
// and emulator, and the step lines of a run.
#pragma once

#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

inline bool have(const char *program)
{
    return !QStandardPaths::findExecutable(QLatin1String(program)).isEmpty();
}

inline bool haveQemu()
{
    return have("qemu-system-arm");
}

// Runs a Cortex-M3 firmware on the emulated LM3S6965 board; printf goes to the host through
// semihosting and the firmware's exit status becomes the emulator's.
inline RunResult runOnLM3S6965(const QString &elf, const QString &workDir)
{
    return runProgram(QStringLiteral("qemu-system-arm"),
                      {"-M", "lm3s6965evb", "-nographic", "-semihosting-config",
                       "enable=on,target=native", "-kernel", elf},
                      workDir, {}, 20000);
}

// The lines of a kestrel run that announce a tool step ("Compiling main.c", ...), without
// their indentation, in order.
inline QStringList steps(const QString &output)
{
    QStringList found;
    for (const QString &line : output.split(u'\n')) {
        const QString text = line.trimmed();
        for (const char *verb :
             {"Compiling ", "Assembling ", "Archiving ", "Linking ", "Generating linker script"})
            if (text.startsWith(QLatin1String(verb)))
                found.append(text);
    }
    return found;
}

// Whether `condition` holds within `milliseconds`, asking every 20 ms.
template <typename Condition> bool within(int milliseconds, Condition condition)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

// Writes a script its owner may run.
inline bool writeScript(const QString &path, const QString &text)
{
    return writeTextFile(path, text) &&
           QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
}

// Makes `root` the tool chain root directory in the settings of the user data directory `user`
// (the settings file then holds nothing else).
inline bool useToolChainRoot(const QString &user, const QString &root)
{
    return writeTextFile(user + QStringLiteral("/Tessary for ARM/settings.xml"),
                         QStringLiteral("<!DOCTYPE Tessary_Settings_File>\n<settings>\n"
                                        "  <setting name=\"Environment/Build/Tool Chain Root "
                                        "Directory\">%1</setting>\n</settings>\n")
                             .arg(root));
}

// A test with a temporary directory `dir` of its own; kestrel keeps its user data in dir/user.
class WorkDir : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        dir = m_dir.path();
    }

    // Copies the fixture `name`, or the installation's examples for "examples", into `to`
    // (a folder of dir, dir itself by default).
    bool copy(const QString &name, const QString &to = QString()) const
    {
        const QString target = to.isEmpty() ? dir : at(to);
        return name == u"examples" ? copyTree(kestrelSourceDir() + QStringLiteral("/examples"), target)
                                   : copyFixture(name, target);
    }

    // Runs kestrel as a user would, with its user data directory in dir/user
    // (TESSARY_ROOT_USER_DIR) so that a test never reads or writes the real home.
    RunResult kestrel(const QStringList &args, const QStringList &env = {},
                      const QString &workDir = QString()) const
    {
        QDir().mkpath(at(QStringLiteral("user")));
        return runProgram(kestrelBinary(), args, workDir.isEmpty() ? dir : workDir,
                          QStringList{"TESSARY_ROOT_USER_DIR=" + at(QStringLiteral("user"))} + env,
                          300000);
    }

    QString at(const QString &relative) const { return dir + u'/' + relative; }

    QString dir;

private:
    QTemporaryDir m_dir;
};

template <typename Param> class WorkDirWith : public WorkDir, public ::testing::WithParamInterface<Param>
{
};
