// Property groups: named choices (a board, a chip variant) defined in a property group file,
// whose entries set other properties and contribute preprocessor definitions.
#pragma once

#include "project/property_class.h"
#include "project/property_value.h"
#include "xml/xmlpp2.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class ProjectElement;
class XMLElement;

// A handle on one "groupEntry" element; null when no entry was found.
class PropertyValueGroupEntry
{
public:
    explicit PropertyValueGroupEntry(const XMLElement *entry = nullptr) : m_entry(entry) {}

    bool isNull() const { return m_entry == nullptr; }
    const XMLElement *element() const { return m_entry; }
    // The `name` of every child whose tag is `tag`, in document order.
    QStringList getTaggedNames(const QString &tag) const;
    // The `value` of the first child with tag `tag` and that `name`, null when there is none.
    // `configuration` is set to the child's `configuration` attribute when it has one and is
    // left alone otherwise.
    QString getTaggedValue(const QString &tag, const QString &name, QString &configuration) const;
    bool hasDefines() const;

private:
    const XMLElement *m_entry;
};

// The enumeration class of one "group" element: its values are the names of its entries. The
// element belongs to the group file's document, which outlives the class.
class PropertyValueGroupClass : public PropertyClass
{
public:
    explicit PropertyValueGroupClass(const XMLElement *group);

    const XMLElement *element() const { return m_group; }
    PropertyValueGroupEntry getGroupEntry(const QString &entryName) const;

private:
    const XMLElement *m_group;
};

// The choice of a group for a node and configuration. Choosing an entry also stores the
// properties the entry sets; an unknown entry name falls back to the group's default.
class PropertyValueGroupValue : public ProjectPropertyValue
{
public:
    PropertyValueGroupValue(const PropertyValueGroupClass *group, ProjectElement *node,
                            const QString &configuration);

    void setPropertyValue(const QString &value) override { setPropertyValue(value, false); }
    void setPropertyValue(const QString &value, bool flag);
    // Removes the choice and the properties the default entry sets.
    void removeProperty();

private:
    const PropertyValueGroupClass *groupClass() const;
};

// One loaded property group file and the group classes built from it (owned).
class PropertyValueGroupFile : public XMLPP2
{
public:
    explicit PropertyValueGroupFile(const QString &fileName);
    ~PropertyValueGroupFile() override;

    // Reads the file through the preprocessor; false when it cannot be read or has no root.
    bool load();
    // True while the file's modification time is the one it had when it was read.
    bool isUpToDate() const;
    PropertyValueGroupClass *getGroupClass(const QString &name) const;
    const QList<PropertyValueGroupClass *> &groupClasses() const { return m_classes; }
    const QString &fileName() const { return m_fileName; }
    // Preprocessor problems, in the order reported; they never stop a load.
    const QStringList &warnings() const { return m_warnings; }

    void warning(const QString &message) override;

private:
    QList<PropertyValueGroupClass *> m_classes;
    QString m_fileName;
    QDateTime m_modified;
    QStringList m_warnings;
};

// The process-wide catalogue of group files: keeps every file it loaded while it is unchanged
// on disk, and one current file (none after "None" or a failed load).
class PropertyValueGroups
{
public:
    PropertyValueGroups() = default;
    ~PropertyValueGroups();
    PropertyValueGroups(const PropertyValueGroups &) = delete;
    PropertyValueGroups &operator=(const PropertyValueGroups &) = delete;

    void setGroupFile(const QString &fileName);
    PropertyValueGroupFile *currentFile() const { return m_current; }
    // The class of that name in the current file; null without a current file.
    PropertyValueGroupClass *getGroupClass(const QString &name) const;
    // The group classes of the current file in file order (empty without one).
    QList<PropertyValueGroupClass *> groupClasses() const;

    // The compiler options for the definitions of the entries chosen for `node` in
    // `configuration`: "-D" name "=" value for every "cdefine" of every group's chosen entry,
    // groups in file order; "=" is written even for an empty value.
    QStringList defineOptions(ProjectElement *node, const QString &configuration) const;

private:
    QList<PropertyValueGroupFile *> m_files;
    PropertyValueGroupFile *m_current = nullptr;
};

// Created with the standard project system; lives until the process ends.
extern PropertyValueGroups *propertyValueGroups;

// The group file named by the `property_groups_file_path` setting of `node` in `configuration`,
// build macros expanded and a relative name taken against the project directory; "None" when
// no file is chosen or the setting is unknown.
QString propertyGroupsFileFor(ProjectElement *node, const QString &configuration);
