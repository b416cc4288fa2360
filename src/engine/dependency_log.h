// What the dependency files (".d") of the objects in a directory said, and what made each output
// in it, kept between runs in one file beside those outputs. A build that finds everything up to
// date then reads one file per object directory instead of one per object.
#pragma once

#include "host/path.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <unordered_map>

// The state of an object file when its dependencies were read: its modification and status
// change times to the nanosecond and its size. The compiler writes the ".d" file together with
// the object, so while the object is as it was, its ".d" file has nothing new to say; a
// recompiled object no longer matches and its ".d" file is read again. The status change time
// moves on every write and cannot be set back, so even a copy restored with its old
// modification time does not pass for the logged object.
struct FileIdentity
{
    qint64 modifiedNs = -1;
    qint64 changedNs = -1;
    qint64 size = -1;

    bool isValid() const { return modifiedNs >= 0 && changedNs >= 0 && size >= 0; }
    bool operator==(const FileIdentity &other) const = default;
};

class DependencyLog
{
public:
    // The name of the log in each object directory.
    static const QString kFileName;

    // The dependencies logged for the absolute `object` when it is still `identity` and they
    // were resolved against `dir`; false when there is no such entry.
    bool find(const QString &object, const QString &dir, const FileIdentity &identity,
              QStringList &dependencies);
    // Logs what the object's ".d" file said (a non-empty list).
    void record(const QString &object, const QString &dir, const FileIdentity &identity,
                const QStringList &dependencies);

    // What the step that last made an output left: the signature of its command when it
    // succeeded, or that it failed (its output, if any, is then not to be trusted).
    struct Record
    {
        quint64 signature = 0;
        bool failed = false;
        bool operator==(const Record &other) const = default;
    };
    // The record of the absolute `output`; null when there is none.
    const Record *record(const QString &output);
    // A step is about to write `output`: until it settles, the output counts as failed.
    void startStep(const QString &output);
    void stepSucceeded(const QString &output, quint64 signature);
    // Steps started and never settled were interrupted, or only shown: each output gets back
    // the record it had before.
    void abandonSteps();
    // The output was removed: nothing is known about it any more.
    void forget(const QString &output);

    // Writes each log that gained entries, whole, through a temporary file renamed over it. A
    // log that cannot be written stays as it was: the next build reads the ".d" files again
    // and, lacking the records, judges the outputs by their times alone.
    void save();

    // The text of a log and back; a text that is not a well-formed log gives no entries.
    struct Entry
    {
        FileIdentity identity;
        QString dir;
        QStringList dependencies;
    };
    using Entries = std::unordered_map<QString, Entry, PathHash>; // by the object's file name
    using Records = std::unordered_map<QString, Record, PathHash>; // by the output's file name
    static QByteArray format(const Entries &entries, const Records &records = {});
    static Entries parse(const QByteArray &text, Records *records = nullptr);

private:
    struct Directory
    {
        bool dirty = false;
        Entries entries;
        Records records;
    };
    Directory &directory(const QString &path);

    std::unordered_map<QString, Directory, PathHash> m_directories;
    // The directory asked for last: the objects of a project come one directory after another.
    QString m_lastPath;
    Directory *m_last = nullptr;
    // Outputs of steps started and not yet settled, with the record each had before.
    std::unordered_map<QString, std::optional<Record>, PathHash> m_pending;
};
