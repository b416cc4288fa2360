// Runs programs for the tests and captures what they printed; files, fixtures and the paths of
// the installation.
#pragma once

#include <QString>
#include <QStringList>

struct RunResult
{
    int status = -1;   // exit status; -1 when the process crashed or timed out
    QString out;       // standard output
    QString err;       // standard error
};

// Runs `program` with `args` in `workDir` and captures what it printed; `extraEnv` holds
// "NAME=value".
RunResult runProgram(const QString &program, const QStringList &args, const QString &workDir,
                     const QStringList &extraEnv = {}, int timeoutMs = 120000);

// The source files below the folder `source`, as paths relative to it: in a git checkout the
// files git tracks, so that what a build or an earlier run left in the tree (the example's
// Debug/ after scripts/main) never reaches a test; elsewhere every file outside the Debug and
// Release folders, where builds put their outputs.
QStringList sourceFiles(const QString &source);
// Copies the source files of the folder `source` (see sourceFiles) into `destination`, each
// copy writable by its owner; false when `source` is no folder or a copy fails.
bool copyTree(const QString &source, const QString &destination);
// Copies the fixture folder tests/e2e/fixtures/<name> into `destination`.
bool copyFixture(const QString &name, const QString &destination);

// Writes `text` to `path`, creating parent directories.
bool writeTextFile(const QString &path, const QString &text);
QString readTextFile(const QString &path);

// The processes of process group `group` that have not ended yet (zombies have), each as
// "pid (name)"; read from /proc.
QStringList livingMembers(qint64 group);

// Sets a file's modification time to `secondsSinceEpoch` (tests never sleep for file times).
bool setFileTime(const QString &path, qint64 secondsSinceEpoch);

// The installation root (the build tree) and the source tree. KESTREL_TEST_SOURCE_DIR, when
// set, names another copy of the source tree to read fixtures and examples from (scripts/test
// points it at a read-only copy).
QString kestrelBinary();
QString kestrelRootDir();
QString kestrelSourceDir();
QString kestrelTestsDir();
