#include "project/project_element.h"

#include "macros/macro_system.h"
#include "project/property_inheritance_information.h"
#include "xml/xml_element.h"

#include <QDir>
#include <QHash>
#include <utility>

const QString ProjectElement::kFileNameAttribute = QStringLiteral("file_name");
const QString ProjectElement::kNameAttribute = QStringLiteral("Name");

namespace {

const QString kInheritedConfigurations = QStringLiteral("inherited_configurations");
const QString kProjectDirectory = QStringLiteral("project_directory");
const QString kCommon = QStringLiteral("Common");

const QString kTagNames[] = {QStringLiteral("solution"), QStringLiteral("configuration"),
                             QStringLiteral("project"), QStringLiteral("folder"),
                             QStringLiteral("file")};

qint32 kindOfTag(QAnyStringView tagName)
{
    for (qint32 kind = 0; kind < qint32(std::size(kTagNames)); ++kind) {
        if (QAnyStringView::equal(kTagNames[kind], tagName))
            return kind;
    }
    return ProjectElement::NoKind;
}

ProjectElement *enclosing(ProjectElement *e, qint32 kind)
{
    while (e && e->type != kind)
        e = e->parent;
    return e;
}

QString normalised(QString path)
{
    Path::removeRelativePaths(path);
    return path;
}

// The directory part of an absolute path; "/" for a file in the root.
QString directoryOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

} // namespace

ProjectElement::ProjectElement(QAnyStringView tagName) : type(kindOfTag(tagName)) {}

ProjectElement::~ProjectElement()
{
    removeAndDeleteAllChildren();
}

void ProjectElement::appendChild(ProjectElement *child)
{
    // The last child is remembered so that folders with thousands of files fill in linear
    // time; re-find it if someone linked children by hand.
    if (!lastChild || lastChild->parent != this || lastChild->nextSibling) {
        lastChild = firstChild;
        while (lastChild && lastChild->nextSibling)
            lastChild = lastChild->nextSibling;
    }
    if (lastChild)
        lastChild->nextSibling = child;
    else
        firstChild = child;
    lastChild = child;
    child->parent = this;
    child->nextSibling = nullptr;
    if (child->isConfiguration())
        configurationElements.insert(child->getName(), child);
    modified = true;
    ++s_structureGeneration;
}

void ProjectElement::removeAndDeleteAllChildren()
{
    ProjectElement *child = firstChild;
    firstChild = nullptr;
    lastChild = nullptr;
    configurationElements.clear();
    while (child) {
        ProjectElement *next = child->nextSibling;
        delete child;
        child = next;
    }
    ++s_structureGeneration;
}

QString ProjectElement::getTagName() const
{
    if (type < 0 || type >= qint32(std::size(kTagNames)))
        return QString();
    return kTagNames[type];
}

ProjectElement *ProjectElement::getConfigurationElement(const QString &name) const
{
    return configurationElements.value(name, nullptr);
}

QString ProjectElement::attribute(const QString &name) const
{
    const auto it = attributeMap.constFind(name);
    return it == attributeMap.cend() ? QString() : *it;
}

void ProjectElement::setAttribute(const QString &name, const QString &value, bool flag)
{
    attributeMap.insert(name, value);
    ++s_valueGeneration;
    modified = true;
    recordChange(name, QDateTime::currentDateTime());
    attributeFlags.insert(name, flag);
}

void ProjectElement::removeAttribute(const QString &name)
{
    attributeMap.remove(name);
    ++s_valueGeneration;
    recordChange(name, QDateTime::currentDateTime());
    modified = true;
}

void ProjectElement::setAttributesFrom(XMLElement *e)
{
    // A solution uses a few dozen attribute names across thousands of elements: each is made
    // once (per thread) and shared by every element that has it.
    thread_local QHash<QByteArray, QString> names;
    for (const XMLAttribute &a : e->getAttributeList()) {
        const QByteArray raw = QByteArray::fromRawData(a.name, qsizetype(qstrlen(a.name)));
        auto name = names.constFind(raw);
        if (name == names.cend())
            name = names.insert(QByteArray(raw), QString::fromUtf8(raw));
        attributeMap.insert(*name, QString::fromUtf8(a.value));
    }
    ++s_valueGeneration;
}

void ProjectElement::recordChange(const QString &name, const QDateTime &when)
{
    attributeTimes.insert(name, when);
    s_changeRecordsMade = true;
}

bool ProjectElement::hasModifiedProperty(const QString &name, QDateTime &when) const
{
    const auto it = attributeTimes.constFind(name);
    if (it == attributeTimes.cend())
        return false;
    when = *it;
    return true;
}

bool ProjectElement::propertyHasChanged(const QString &configuration, const QString &name,
                                        const QDateTime &time, bool &changed)
{
    ProjectElement *c = getConfigurationElement(configuration);
    if (!c)
        return false;
    const auto it = c->attributeTimes.constFind(name);
    if (it == c->attributeTimes.cend())
        return false;
    changed = *it > time;
    if (changed || c->hasAttribute(name))
        return true;
    // The record belonged to a value that has since been removed: nothing to compare.
    c->attributeTimes.remove(name);
    return false;
}

QString ProjectElement::getName()
{
    const auto name = attributeMap.constFind(kNameAttribute);
    if (name != attributeMap.cend() && !name->isEmpty())
        return *name;
    if (hasAttribute(kFileNameAttribute)) {
        checkDoFileStuff();
        return absolutePath.fileName();
    }
    return QStringLiteral("<NULL>");
}

void ProjectElement::setFileName(const QString &name, bool flag)
{
    attributeMap.insert(kFileNameAttribute, name);
    ++s_valueGeneration;
    attributeFlags.insert(kFileNameAttribute, flag);
    fileInfoValid = false;
}

void ProjectElement::setPath(const QString &path)
{
    absolutePath = Path(path);
    fileInfoValid = true;
}

void ProjectElement::checkDoFileStuff()
{
    if (fileInfoValid)
        return;
    if (isProject()) {
        computeProjectDirectory();
        fileInfoValid = true;
        return;
    }
    if (isSolution() && !hasAttribute(kFileNameAttribute)) {
        // A solution written inside another solution's file lives in that file.
        if (ProjectElement *outer = enclosing(parent, Solution)) {
            outer->checkDoFileStuff();
            absolutePath = outer->absolutePath;
        }
        fileInfoValid = true;
        return;
    }
    if (isFile()) {
        // A file outside every project is taken relative to its solution's directory.
        ProjectElement *owner = enclosing(parent, Project);
        if (!owner)
            owner = enclosing(parent, Solution);
        if (owner) {
            owner->checkDoFileStuff();
            directory =
                owner->isProject() ? owner->directory : directoryOf(owner->absolutePath.filePath());
        }
    }
    computeFilePaths();
    fileInfoValid = true;
}

void ProjectElement::computeProjectDirectory()
{
    QString value;
    getProperty(kCommon, kProjectDirectory, value, nullptr);
    if (Path::isAbsolute(value)) {
        directory = normalised(value);
        return;
    }
    QString solutionDirectory;
    if (ProjectElement *solution = enclosing(parent, Solution)) {
        solution->checkDoFileStuff();
        solutionDirectory = directoryOf(solution->absolutePath.filePath());
    }
    directory = value.isEmpty() ? solutionDirectory : normalised(solutionDirectory + u'/' + value);
}

void ProjectElement::computeFilePaths()
{
    const QString expanded = macroSystem.replaceGlobalMacros(getFileName());
    QString full;
    if (Path::isAbsolute(expanded)) {
        filePath = normalised(expanded);
        full = filePath;
    } else {
        filePath = expanded;
        full = normalised(directory + u'/' + filePath);
    }
    absolutePath = Path(full);
    const QString fileDirectory = directoryOf(full);
    inProjectDirectory = fileDirectory == directory;
    belowProjectDirectory = fileDirectory.startsWith(directory);
}

bool ProjectElement::getProperty(const QString &configuration, const QString &name, QString &value,
                                 PropertyInheritanceInformation *info)
{
    ProjectElement *c = getConfigurationElement(configuration);
    if (!c)
        return false;
    const auto it = c->attributeMap.constFind(name);
    if (it == c->attributeMap.cend())
        return false;
    if (info)
        info->append(*it, c->getName(), this);
    if (value.isEmpty())
        value = *it;
    else
        value += u';' + *it;
    return true;
}

void ProjectElement::updateInheritenceMap()
{
    inheritanceMap.clear();
    for (auto it = configurationElements.cbegin(); it != configurationElements.cend(); ++it) {
        const auto inherited = (*it)->attributeMap.constFind(kInheritedConfigurations);
        if (inherited != (*it)->attributeMap.cend())
            inheritanceMap.insert(it.key(), inherited->split(u';', Qt::SkipEmptyParts));
    }
    ++s_structureGeneration;
}

QStringList ProjectElement::getInheritedConfigurations(const QString &configuration) const
{
    return inheritanceMap.value(configuration);
}

void ProjectElement::markClean()
{
    modified = false;
    // Iterative so that a deep tree cannot exhaust the stack.
    ProjectElement *n = firstChild;
    while (n && n != this) {
        n->modified = false;
        n->attributeTimes.clear();
        if (n->firstChild) {
            n = n->firstChild;
            continue;
        }
        while (n != this && !n->nextSibling)
            n = n->parent;
        if (n != this)
            n = n->nextSibling;
    }
}
