// ProjectElement: one node of a loaded solution tree (solution, configuration, project, folder
// or file), with its attributes, children and the file-system facts derived from its file name.
#pragma once

#include "host/path.h"

#include <QAnyStringView>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

class PropertyInheritanceInformation;
class XMLElement;

// A node owns its children; the configurationElements and projects maps only point into the
// tree. The fields are public because the whole project model and the build engine navigate
// the tree directly; change attributes and children through the operations so that `modified`,
// the change times and the lookup caches stay right.
class ProjectElement
{
public:
    enum Kind { NoKind = -1, Solution = 0, Configuration = 1, Project = 2, Folder = 3, File = 4 };

    explicit ProjectElement(QAnyStringView tagName);
    ~ProjectElement();
    ProjectElement(const ProjectElement &) = delete;
    ProjectElement &operator=(const ProjectElement &) = delete;

    // Tree.
    void appendChild(ProjectElement *child);
    void removeAndDeleteAllChildren();
    QString getTagName() const; // null for a node of no kind
    bool isSolution() const { return type == Solution; }
    bool isConfiguration() const { return type == Configuration; }
    bool isProject() const { return type == Project; }
    bool isFolder() const { return type == Folder; }
    bool isFile() const { return type == File; }
    int numConfigurationElements() const { return int(configurationElements.size()); }
    ProjectElement *getConfigurationElement(const QString &name) const;

    // Attributes. A missing attribute reads as a null string.
    QString attribute(const QString &name) const;
    bool hasAttribute(const QString &name) const { return attributeMap.contains(name); }
    QStringList attributes() const { return attributeMap.keys(); }
    void setAttribute(const QString &name, const QString &value, bool flag);
    void removeAttribute(const QString &name);
    void setAttributesFrom(XMLElement *e);
    bool hasModifiedProperty(const QString &name, QDateTime &when) const;
    // The change-time search of the up-to-date checks: true when this node's configuration
    // child `configuration` holds information about `name`; `changed` then tells whether it
    // changed after `time`.
    bool propertyHasChanged(const QString &configuration, const QString &name,
                            const QDateTime &time, bool &changed);

    // Names and files.
    QString getName();
    QString getFileName() const { return attribute(kFileNameAttribute); }
    void setFileName(const QString &name, bool flag);
    void setPath(const QString &absolutePath);
    void checkDoFileStuff();

    // The property value stored on this node for `configuration`, appended to `value` (after a
    // ";" when `value` is not empty); false, with `value` untouched, when there is none.
    bool getProperty(const QString &configuration, const QString &name, QString &value,
                     PropertyInheritanceInformation *info);
    void updateInheritenceMap();
    QStringList getInheritedConfigurations(const QString &configuration) const;

    // Clears `modified` on this node and `modified` and the change times on every node below.
    void markClean();

    static const QString kFileNameAttribute; // "file_name"
    static const QString kNameAttribute;     // "Name"

    // Goes up whenever a child list, a configuration child or an inheritance map changes
    // anywhere, so that lookups may cache what only such changes invalidate.
    static quint64 structureGeneration() { return s_structureGeneration; }
    // Goes up whenever an attribute changes anywhere, for caches of resolved values.
    static quint64 valueGeneration() { return s_valueGeneration; }
    // Whether any element has ever recorded a change time. Records are made only when a setting
    // changes in this run, so in a plain build there are none, and the property side of every
    // up-to-date check is answered without walking the tree.
    static bool changeRecordsMade() { return s_changeRecordsMade; }

    ProjectElement *parent = nullptr;
    ProjectElement *nextSibling = nullptr;
    ProjectElement *firstChild = nullptr;
    QMap<QString, ProjectElement *> configurationElements;
    qint32 type = NoKind;
    QMap<QString, QString> attributeMap;
    bool modified = false;
    // When each attribute was last changed in this run. Written through recordChange, which
    // keeps changeRecordsMade true once any record exists.
    QMap<QString, QDateTime> attributeTimes;
    void recordChange(const QString &name, const QDateTime &when);
    bool fileInfoValid = false;
    Path absolutePath;
    QString directory;
    QString filePath;
    bool inProjectDirectory = false;
    bool belowProjectDirectory = false;
    QString fileType;
    bool imported = false;
    QMap<QString, ProjectElement *> projects;
    QMap<QString, QStringList> inheritanceMap;
    QDateTime loadTime;
    bool creationFlag = false;
    QMap<QString, bool> attributeFlags;
    // The 1-based line of the element's start tag in the file it was read from; 0 for a node
    // the run made itself (templates, dynamic folders, the command line).
    quint32 sourceLine = 0;

private:
    static inline quint64 s_structureGeneration = 0;
    static inline quint64 s_valueGeneration = 0;
    static inline bool s_changeRecordsMade = false;
    ProjectElement *lastChild = nullptr; // keeps appendChild constant-time on big folders
    void computeProjectDirectory();
    void computeFilePaths();
};
