#include "driver/solution_check.h"

#include "driver/property_reference.h"
#include "driver/solution_vocabulary.h"
#include "engine/standard_build_system.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_class.h"
#include "project/property_value.h"
#include "project/property_value_list.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <memory>

namespace {

const QString kCommon = QStringLiteral("Common");
const QString kFileName = QStringLiteral("file_name");
const QString kConfiguration = QStringLiteral("configuration");

QString didYouMean(const QString &name, const QStringList &known)
{
    const QString suggestion = SolutionVocabulary::nearest(name, known);
    return suggestion.isNull() ? QString()
                               : QStringLiteral(" (did you mean ") + suggestion
                                     + QStringLiteral("?)");
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

class SolutionChecker
{
public:
    explicit SolutionChecker(const SolutionVocabulary &vocabulary) : m_vocabulary(vocabulary)
    {
        for (const SolutionVocabulary::Entry &entry : vocabulary.entries())
            m_propertyNames.append(entry.name);
        m_tags = SolutionVocabulary::elementTags();
    }

    void checkNames(ProjectElement *node);
    void checkDependencies(ProjectElement *node);
    void checkObjectFiles(ProjectElement *solution);

    QList<SolutionFinding> findings;

private:
    void report(ProjectElement *node, const QString &attribute, const QString &message);
    void checkAttribute(ProjectElement *node, const QString &name, const QString &value);
    bool offeredByProject(ProjectElement *node, const QString &name);
    void checkProjectObjectFiles(ProjectElement *project, const QStringList &configurations);
    int attributeLine(const QString &file, int elementLine, const QString &attribute);

    const SolutionVocabulary &m_vocabulary;
    QStringList m_propertyNames;
    QStringList m_tags;
    QHash<QString, QStringList> m_lines; // solution file contents, read only when reporting
    QHash<ProjectElement *, QStringList> m_projectOffers;
};

// The root of the file a node was read from: the top solution or an imported one.
ProjectElement *fileRoot(ProjectElement *node)
{
    while (node->parent && !node->imported)
        node = node->parent;
    return node;
}

void SolutionChecker::report(ProjectElement *node, const QString &attribute,
                             const QString &message)
{
    const QString file = fileRoot(node)->absolutePath.osPathQString();
    const int line = attribute.isEmpty() ? int(node->sourceLine)
                                         : attributeLine(file, int(node->sourceLine), attribute);
    findings.append(SolutionFinding{file, line, message});
}

// Elements keep only the line of their start tag; a long tag is written over several lines,
// so the attribute is looked for from there on.
int SolutionChecker::attributeLine(const QString &file, int elementLine, const QString &attribute)
{
    auto lines = m_lines.constFind(file);
    if (lines == m_lines.constEnd()) {
        QFile in(file);
        QStringList text;
        if (in.open(QIODevice::ReadOnly))
            text = QString::fromUtf8(in.readAll()).split(u'\n');
        lines = m_lines.insert(file, text);
    }
    const QRegularExpression pattern(QStringLiteral("(^|[\\s\"'])")
                                     + QRegularExpression::escape(attribute)
                                     + QStringLiteral("\\s*="));
    for (int i = std::max(elementLine, 1); i <= lines->size(); ++i) {
        if (pattern.match(lines->at(i - 1)).hasMatch())
            return i;
    }
    return elementLine;
}

// A project's property groups file adds names of its own to what its configurations may hold.
bool SolutionChecker::offeredByProject(ProjectElement *node, const QString &name)
{
    ProjectElement *project = projectSystem->projectContaining(node);
    if (!project)
        return false;
    auto offers = m_projectOffers.constFind(project);
    if (offers == m_projectOffers.constEnd()) {
        QStringList names;
        const std::unique_ptr<PropertyValueList> values(
            projectSystem->applicableSettingsFor(project, kCommon));
        for (const PropertyValue *value : std::as_const(*values)) {
            if (value->propertyClass())
                names.append(value->propertyClass()->saveName());
        }
        offers = m_projectOffers.insert(project, names);
    }
    return offers->contains(name);
}

void SolutionChecker::checkAttribute(ProjectElement *node, const QString &name,
                                     const QString &value)
{
    // Namespace declarations and schema hints (xsi:noNamespaceSchemaLocation) are for editors.
    if (name.contains(u':') || name == QLatin1String("xmlns"))
        return;
    const QString tag = node->getTagName();
    const QStringList own = SolutionVocabulary::elementAttributes(tag);
    if (own.contains(name) || (node->imported && name == kFileName))
        return;
    const SolutionVocabulary::Entry *entry = m_vocabulary.find(name);
    if (!node->isConfiguration()) {
        if (entry)
            report(node, name,
                   name + QStringLiteral(" is a property: it takes effect only on a "
                                         "configuration element"));
        else
            report(node, name,
                   QStringLiteral("unknown attribute ") + name + QStringLiteral(" of <") + tag
                       + u'>' + didYouMean(name, own + m_propertyNames));
        return;
    }
    if (!entry) {
        if (!offeredByProject(node, name))
            report(node, name,
                   QStringLiteral("unknown property ") + name
                       + didYouMean(name, m_propertyNames + own));
        return;
    }
    const PropertyClass &property = *entry->classes.first();
    if (!isAllowedValue(property, value))
        report(node, name,
               QStringLiteral("value ") + quoted(value) + QStringLiteral(" of ") + name
                   + QStringLiteral(" is not one of ")
                   + fixedValues(property).join(QStringLiteral(", ")));
}

void SolutionChecker::checkNames(ProjectElement *node)
{
    if (node->sourceLine != 0) {
        if (node->type == ProjectElement::NoKind) {
            report(node, QString(),
                   QStringLiteral("unknown element; the build ignores it and everything in it"));
            return;
        }
        for (auto it = node->attributeMap.cbegin(); it != node->attributeMap.cend(); ++it)
            checkAttribute(node, it.key(), it.value());
    }
    for (ProjectElement *child = node->firstChild; child; child = child->nextSibling)
        checkNames(child);
}

void SolutionChecker::checkDependencies(ProjectElement *node)
{
    static const QString kDependencies = QStringLiteral("project_dependencies");
    if (node->isConfiguration() && node->sourceLine != 0 && node->hasAttribute(kDependencies)) {
        ProjectElement *anchor = node->parent;
        const QStringList projects = projectSystem->solutionProjects(nullptr).keys();
        const QStringList names =
            node->attribute(kDependencies).split(u';', Qt::SkipEmptyParts);
        for (const QString &name : names) {
            if (!projectSystem->findProject(anchor, name))
                report(node, kDependencies,
                       QStringLiteral("project_dependencies names ") + quoted(name)
                           + QStringLiteral(", which is no project of the solution")
                           + didYouMean(name, projects));
        }
    }
    for (ProjectElement *child = node->firstChild; child; child = child->nextSibling)
        checkDependencies(child);
}

void collectFiles(ProjectElement *node, QList<ProjectElement *> &files)
{
    for (ProjectElement *child = node->firstChild; child; child = child->nextSibling) {
        if (child->isFile())
            files.append(child);
        else if (child->isFolder())
            collectFiles(child, files);
    }
}

void SolutionChecker::checkProjectObjectFiles(ProjectElement *project,
                                              const QStringList &configurations)
{
    QList<ProjectElement *> files;
    collectFiles(project, files);
    QList<std::pair<ProjectElement *, ProjectElement *>> reported;
    for (const QString &config : configurations) {
        QHash<QString, ProjectElement *> compiledTo;
        for (ProjectElement *file : std::as_const(files)) {
            const auto action = standardBuildSystem->buildAction(file, config);
            if (!StandardBuildSystem::isCompileAction(action))
                continue;
            const QString object = standardBuildSystem->output(action, file, config, true);
            ProjectElement *&first = compiledTo[object];
            if (!first) {
                first = file;
                continue;
            }
            if (reported.contains(std::pair{first, file}))
                continue;
            reported.append(std::pair{first, file});
            const QString directory = projectSystem->projectDirectoryPath(project);
            report(file->sourceLine ? file : project, QString(),
                   file->getFileName() + QStringLiteral(" compiles to the same object file as ")
                       + first->getFileName()
                       + (first->sourceLine
                              ? QStringLiteral(" (line %1)").arg(first->sourceLine)
                              : QString())
                       + QStringLiteral(": ") + QDir(directory).relativeFilePath(object)
                       + QStringLiteral(" in configuration ") + config
                       + QStringLiteral("; set build_object_file_name on one of them"));
        }
    }
}

void SolutionChecker::checkObjectFiles(ProjectElement *solution)
{
    const QStringList configurations =
        projectSystem->configurations(solution, ProjectSystem::WithVisible);
    for (ProjectElement *project : projectSystem->solutionProjects(solution))
        checkProjectObjectFiles(project, configurations);
}

} // namespace

QList<SolutionFinding> checkSolution(ProjectElement *solution,
                                     const SolutionVocabulary &vocabulary)
{
    SolutionChecker checker(vocabulary);
    checker.checkNames(solution);
    checker.checkDependencies(solution);
    checker.checkObjectFiles(solution);
    std::stable_sort(checker.findings.begin(), checker.findings.end(),
                     [](const SolutionFinding &a, const SolutionFinding &b) {
                         return a.file != b.file ? a.file < b.file : a.line < b.line;
                     });
    return checker.findings;
}
