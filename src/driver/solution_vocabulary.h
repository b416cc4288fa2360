// SolutionVocabulary: every name a solution file may use, and where it may use it, taken from
// the live project system and build property catalogue, so that the property reference, the
// schema and `-check` cannot drift from what the build reads.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class PropertyClass;

class SolutionVocabulary
{
public:
    // The element kinds whose property lists offer a property. A value set on a configuration
    // of an enclosing element is inherited, so a configuration of a kind may hold what its own
    // kind and every kind below it offer.
    enum Place { OnSolution = 1, OnProject = 2, OnFolder = 4, OnFile = 8 };

    struct Entry
    {
        QString name;
        // Every registered class of that save name, in registration order (a few names have
        // two: an executable's and a library's output name, for instance).
        QList<const PropertyClass *> classes;
        int places = 0;
        // The project types whose projects or folders offer it (for a setting of files only:
        // whose files offer it), in project type order.
        QStringList projectTypes;
        // An attribute of the element itself rather than of a configuration ("configuration",
        // "folder" ...); empty for a plain property.
        QStringList ownerElements;
    };

    // Needs `projectSystem` and `buildPropertyCatalogue`; lists the registered classes only
    // (not those of a project's property groups file, which differ from project to project).
    SolutionVocabulary();

    // One entry per registered save name, in the order the names were first registered.
    const QList<Entry> &entries() const { return m_entries; }
    const Entry *find(const QString &name) const;

    // The attributes an element with tag `tag` carries itself (not property values); empty for
    // a tag that is not one of a solution file's.
    static QStringList elementAttributes(const QString &tag);
    // The tags of a solution file, in the order they are documented.
    static QStringList elementTags();

    // Whether a configuration of an element at `place` may hold the property `entry`.
    static bool configurationMayHold(const Entry &entry, Place place);

    // The known name nearest to `name` by edit distance, for "did you mean"; null when none is
    // close enough to be a plausible misspelling.
    static QString nearest(const QString &name, const QStringList &known);

private:
    void offer(const PropertyClass *property, int place, const QString &projectType);
    void collectOffers();
    Entry *entryFor(const QString &name);

    QList<Entry> m_entries;
    QHash<QString, QStringList> m_fileProjectTypes; // the types whose files offer a name
};
