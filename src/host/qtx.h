// QTx: the host services the tool needs (its own directories, file operations and child
// processes), kept in one place so that no other layer talks to POSIX directly.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QStringList>

namespace QTx {

// A path in the system's encoding, for one system call. A plain ASCII path, nearly every path a
// build looks at, is narrowed into a buffer of its own without the text codec, which costs
// several times as much when a no-op build stats and opens thousands of files; any other path
// is encoded as QFile::encodeName does.
class NativePath
{
public:
    explicit NativePath(const QString &path);
    NativePath(const NativePath &) = delete;
    NativePath &operator=(const NativePath &) = delete;
    const char *c_str() const { return m_data; }

private:
    char m_buffer[512];
    QByteArray m_encoded;
    const char *m_data;
};

// Records the program's directory (canonical, from argv[0] made absolute against the current
// directory) and the installation root `levelsUp` directories above it.
void setApplicationPath(const char *argv0, int levelsUp);
QString applicationDirectory();
QString rootDirectory();

QString userHomeDirectory();
// "$HOME/." + name in lower case, with every space of the result replaced by "_".
QString userLocalAppDataDirectory(const QString &name);

// Create the directory and every missing parent; an existing directory is success.
bool makeDir(const QDir &dir);
bool makeDir(const QString &path);
bool removeFile(const QString &path);
// Sets or clears only the owner-write bit.
bool setWriteable(const QString &path, bool writeable);
// Copies contents, times and permissions (less the umask). A `destination` that is an
// existing directory receives the file under the source's name. A copy that fails halfway (a
// full disk) removes the partial target when that is a regular file.
bool copyFile(const QString &source, const QString &destination, bool createDirectory);

// Runs `command` (program searched along PATH, then its arguments) in `directory` (null: the
// current one). When both line lists are given, the child's standard output and error output
// are collected into them line by line. With `wait` the result is the exit code as a signed
// byte (so 255 is -1), or -1 when the program could not be started or was killed by a signal.
// The fourth and seventh arguments are kept for callers that pass them and have no effect.
// The child leads a process group of its own. Once an interruption has been received
// (host/interruption.h) nothing is started and -1 is returned; one that comes while the child
// runs is passed on to the child's group, whatever is left of it a second later is killed,
// and the result is -1 unless the tool still ended normally.
int spawnProcess(const QStringList &command, bool wait, const QString &directory, bool,
                 QStringList *outputLines, QStringList *errorLines, bool);

// Splits collected child output into lines at LF or CR; a CR also swallows the character
// after it (so CR LF ends one line). Empty lines are null strings; a final fragment without a
// line end is a line too.
QStringList bufferListToQStringList(const QByteArray &data);

} // namespace QTx
