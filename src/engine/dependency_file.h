// Reading the dependency files (".d") the compiler writes beside each object: one make rule
// naming the object and every file its compilation read.
#pragma once

#include <QString>
#include <QStringList>

// The dependency file of an object: its directory, its name up to the first dot, ".d"
// (main.o -> main.d, x.y.o -> x.d).
QString dependencyFileName(const QString &absoluteObject);

// The prerequisites of the rule in `text`, each made absolute against `dir` when relative.
// A backslash before a blank keeps the blank in the name, one before a line end continues the
// line; text without a ":" has no prerequisites.
QStringList parseDependencyText(const QString &text, const QString &dir);

// parseDependencyText() of the file's contents; empty when the file cannot be read.
QStringList readDependencyFile(const QString &path, const QString &dir);

// True when the file is there but cannot be read (a directory in its place, a read error):
// the object's dependencies are unknown then, unlike when the compiler wrote no file.
bool dependencyFileUnreadable(const QString &path);
