// Path: a normalised file path value, with the path arithmetic the project model needs.
#pragma once

#include <QSharedDataPointer>
#include <QString>
#include <string>

class PathPrivate;

// Holds one path with "/./", "/x/.." and repeated "/" removed. Copies share the text; the
// file queries go through a QFileInfo made on first use, so they see the file as it was then.
class Path
{
public:
    Path();
    Path(const QString &path);
    Path(const char *path);
    Path(const std::string &path);
    Path(const Path &other);
    Path &operator=(const Path &other);
    ~Path();

    void setPath(const QString &path);
    // Appends `text` as it is (no separator is inserted) and normalises the result.
    Path operator+(const QString &text) const;

    QString osPathQString() const;
    QString canonicalPathQString() const;

    bool exists() const;
    QString fileName() const;  // "main.c" of "/src/main.c"
    QString baseName() const;  // "main" of "/src/main.c": up to the last "."
    QString extension() const; // "c" of "/src/main.c": after the last "."; empty without "."
    QString dirPath() const;   // "/src" of "/src/main.c"
    QString filePath() const;  // the normalised path itself

    // Whether `path` is absolute as Qt sees it (a leading "/", or a resource path). A leading
    // "/" answers at once: asking Qt builds a file information object every time.
    static bool isAbsolute(const QString &path);
    // On this host paths already use "/": returned unchanged.
    static QString toOsPath(const QString &path);
    // Removes "/." and "/segment/.." parts and collapses runs of "/", in place.
    static void removeRelativePaths(QString &path);
    // The path of `to` relative to the directory `from` ("../lib/x"); false when the two have
    // not even their first component in common. A `to` of "." gives an empty result.
    static bool relativeDirPath(const QString &from, const QString &to, QString &result);
    // Creates the directory that would hold `file`, with every missing parent.
    static bool ensureDirExists(const QString &file);

private:
    QSharedDataPointer<PathPrivate> d;
};

// A hash for paths as keys of the build's big tables (std::unordered_map<QString, T, PathHash>):
// XXH3 over the UTF-16 text. Qt's vectorised string hash costs more than the whole lookup on
// this kind of key, which a no-op build looks up tens of thousands of times.
struct PathHash
{
    size_t operator()(const QString &path) const noexcept;
};
