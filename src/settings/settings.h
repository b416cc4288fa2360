// Settings: one persistent key/value store backed by a small XML settings file.
#pragma once

#include "host/path.h"

#include <QDateTime>
#include <QMap>
#include <QString>

// One entry: its text and whether it is as loaded, changed or removed in memory.
struct Setting
{
    enum State { Loaded = 0, Changed = 1, Removed = 2 };

    QString value;
    State state = Loaded;

    bool operator==(const Setting &other) const = default;
};

// The store keeps the whole file in memory. Other programs (the interactive environment, a
// second build) may write the same file meanwhile: sync() and the destructor merge this
// store's changes into what is on disk instead of overwriting it. A file that cannot be read
// leaves the store empty; one that cannot be written is skipped.
class Settings
{
public:
    Settings() = default;
    explicit Settings(const Path &file) { setPath(file); }
    // Writes the store back to its file.
    ~Settings();
    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    // Binds the store to `file` and loads it.
    void setPath(const Path &file);
    const Path &path() const { return m_path; }

    // The entry's value; `defaultValue` when absent or removed. `ok` tells which.
    QString readEntry(const QString &key, const QString &defaultValue = QString(),
                      bool *ok = nullptr) const;
    // Stores the value as changed unless the entry already holds it. Always true.
    bool writeEntry(const QString &key, const QString &value);
    // Marks an existing entry removed; it disappears from the file at the next write.
    void removeEntry(const QString &key);

    // Exchanges changes with the file: reloads it when another program wrote it, writes it
    // when this store has changes (merging them into the file's current contents).
    void sync();
    // Writes the store now, merged with the file's contents when another program changed it.
    void writeBack();

    bool isDirty() const { return m_dirty; }
    const QMap<QString, Setting> &entries() const { return m_entries; }

    // Reads `file` into `map` (every entry in state Loaded). False, with `map` untouched, when
    // the file cannot be opened or is not well-formed.
    static bool load(const Path &file, QMap<QString, Setting> &map);
    // Writes every entry of `map` in key order, creating the directory first. The file is
    // replaced in one step, so a reader never sees half a file. False when it cannot be written.
    static bool save(const Path &file, const QMap<QString, Setting> &map);
    // Applies the changed and removed entries of `changes` to `fileEntries`.
    static bool mergeChanges(QMap<QString, Setting> &fileEntries,
                             const QMap<QString, Setting> &changes);
    // The exact text save() writes for `map`.
    static QByteArray fileText(const QMap<QString, Setting> &map);

private:
    QDateTime fileTime() const;
    bool fileChangedOnDisk() const;
    void mergeAndSave(QMap<QString, Setting> base);

    Path m_path;
    QDateTime m_lastModified; // invalid while the file does not exist
    bool m_dirty = false;
    QMap<QString, Setting> m_entries;
};
