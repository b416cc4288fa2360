#include "support/run_kestrel.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <sys/time.h>
#include <utime.h>

QString kestrelBinary() { return QStringLiteral(KESTREL_BINARY); }
QString kestrelRootDir() { return QStringLiteral(KESTREL_ROOT_DIR); }
QString kestrelSourceDir()
{
    const QString copy = qEnvironmentVariable("KESTREL_TEST_SOURCE_DIR");
    return copy.isEmpty() ? QStringLiteral(KESTREL_SOURCE_DIR) : copy;
}

QString kestrelTestsDir() { return kestrelSourceDir() + QStringLiteral("/tests"); }

RunResult runProgram(const QString &program, const QStringList &args, const QString &workDir,
                     const QStringList &extraEnv, int timeoutMs)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &assignment : extraEnv) {
        const qsizetype eq = assignment.indexOf(u'=');
        env.insert(assignment.left(eq), assignment.mid(eq + 1));
    }
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(program, args);
    RunResult result;
    if (!process.waitForStarted(timeoutMs))
        return result;
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    if (process.exitStatus() == QProcess::NormalExit)
        result.status = process.exitCode();
    return result;
}

QStringList sourceFiles(const QString &source)
{
    QProcess git;
    git.setWorkingDirectory(source);
    git.start(QStringLiteral("git"), {QStringLiteral("ls-files"), QStringLiteral("-z")});
    if (git.waitForFinished() && git.exitStatus() == QProcess::NormalExit && git.exitCode() == 0) {
        QStringList files;
        const QList<QByteArray> names = git.readAllStandardOutput().split('\0');
        for (const QByteArray &name : names) {
            // A tracked file deleted in the working tree is no longer part of it.
            if (!name.isEmpty() && QFileInfo(source + u'/' + QFile::decodeName(name)).isFile())
                files.append(QFile::decodeName(name));
        }
        if (!files.isEmpty())
            return files;
    }
    // Not a checkout of its own (an unpacked source archive, possibly inside some other
    // repository), or git is missing.
    QStringList files;
    const QDir top(source);
    QDirIterator it(source, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = top.relativeFilePath(it.next());
        const QStringList folders = relative.section(u'/', 0, -2).split(u'/');
        if (!folders.contains(u"Debug") && !folders.contains(u"Release"))
            files.append(relative);
    }
    return files;
}

bool copyTree(const QString &source, const QString &destination)
{
    if (!QFileInfo(source).isDir())
        return false;
    const QStringList files = sourceFiles(source);
    if (files.isEmpty())
        return false;
    for (const QString &relative : files) {
        const QString file = source + u'/' + relative;
        const QString target = destination + u'/' + relative;
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(file, target))
            return false;
        QFile(target).setPermissions(QFile(file).permissions() | QFileDevice::WriteOwner);
    }
    return true;
}

bool copyFixture(const QString &name, const QString &destination)
{
    return copyTree(kestrelTestsDir() + QStringLiteral("/e2e/fixtures/") + name, destination);
}

QStringList livingMembers(qint64 group)
{
    QStringList living;
    const QStringList entries = QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold blanks, so split after ")".
        const QString text = QString::fromLatin1(stat.readAll());
        const QStringList fields = text.mid(text.lastIndexOf(u')') + 2).split(u' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group && fields.at(0) != u"Z")
            living.append(text.left(text.indexOf(u')') + 1));
    }
    return living;
}

bool writeTextFile(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(text.toUtf8()) >= 0;
}

QString readTextFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

bool setFileTime(const QString &path, qint64 secondsSinceEpoch)
{
    struct utimbuf times;
    times.actime = static_cast<time_t>(secondsSinceEpoch);
    times.modtime = static_cast<time_t>(secondsSinceEpoch);
    return utime(QFile::encodeName(path).constData(), &times) == 0;
}
