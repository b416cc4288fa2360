#include "driver/solution_vocabulary.h"

#include "engine/build_system.h"
#include "project/project_element.h"
#include "project/project_system.h"
#include "project/property_class.h"
#include "project/property_value.h"
#include "project/property_value_list.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

const QString kCommon = QStringLiteral("Common");
const QString kName = QStringLiteral("Name");

// The attributes the loader itself interprets, by element.
const QList<std::pair<QString, QStringList>> &elementTable()
{
    static const QList<std::pair<QString, QStringList>> table{
        {QStringLiteral("solution"), {kName, QStringLiteral("version")}},
        {QStringLiteral("project"), {kName, QStringLiteral("template_name")}},
        {QStringLiteral("folder"), {kName, QStringLiteral("path"), QStringLiteral("filter")}},
        {QStringLiteral("file"), {kName, QStringLiteral("file_name")}},
        {QStringLiteral("configuration"),
         {kName, QStringLiteral("hidden"), QStringLiteral("inherited_configurations")}},
        {QStringLiteral("import"), {QStringLiteral("file_name")}},
    };
    return table;
}

// A node of the sample tree the offers are read from. Attributes go straight into the map:
// recording them as changes would make every later up-to-date check walk the tree.
ProjectElement *sampleNode(ProjectElement *parent, const QString &tag,
                           const QList<std::pair<QString, QString>> &attributes)
{
    auto *node = new ProjectElement(tag);
    for (const auto &[name, value] : attributes)
        node->attributeMap.insert(name, value);
    if (parent)
        parent->appendChild(node);
    return node;
}

// The file names that give each kind of file the project system tells apart by name.
const QStringList &sampleFileNames()
{
    static const QStringList names{QStringLiteral("sample.c"), QStringLiteral("sample.cpp"),
                                   QStringLiteral("sample.s"), QStringLiteral("sample.o"),
                                   QStringLiteral("sample.txt")};
    return names;
}

int editDistance(const QString &a, const QString &b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[size_t(j)] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            const int cost = a[i - 1].toLower() == b[j - 1].toLower() ? 0 : 1;
            row[size_t(j)] = std::min({above + 1, row[size_t(j - 1)] + 1, diagonal + cost});
            diagonal = above;
        }
    }
    return row[size_t(b.size())];
}

} // namespace

SolutionVocabulary::SolutionVocabulary()
{
    for (const PropertyClass *property : BuildSystem::propertyClasses())
        entryFor(property->saveName())->classes.append(property);
    for (const auto &[tag, attributes] : elementTable()) {
        for (const QString &attribute : attributes) {
            if (Entry *entry = entryFor(attribute); !entry->classes.isEmpty())
                entry->ownerElements.append(tag);
        }
    }
    // Project system settings that no property list offers, stored where the loader and the
    // configuration lookups read them.
    const ProjectSystem &ps = *projectSystem;
    offer(ps.platformProperty(), OnSolution, QString());
    offer(ps.fileTagProperty(), OnFile, QString());
    offer(ps.folderFilterProperty(), OnFolder, QString());
    offer(ps.projectTypeProperty(), OnProject, QString());
    offer(ps.projectDirectoryProperty(), OnProject, QString());
    offer(ps.batchBuildConfigurationsProperty(), OnSolution | OnProject, QString());
    collectOffers();
    // Names that are only element attributes and are registered nowhere stay out.
    m_entries.removeIf([](const Entry &entry) { return entry.classes.isEmpty(); });
}

SolutionVocabulary::Entry *SolutionVocabulary::entryFor(const QString &name)
{
    for (Entry &entry : m_entries) {
        if (entry.name == name)
            return &entry;
    }
    m_entries.append(Entry{name, {}, 0, {}, {}});
    return &m_entries.last();
}

const SolutionVocabulary::Entry *SolutionVocabulary::find(const QString &name) const
{
    for (const Entry &entry : m_entries) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

void SolutionVocabulary::offer(const PropertyClass *property, int place,
                               const QString &projectType)
{
    if (!property)
        return;
    Entry *entry = entryFor(property->saveName());
    if (entry->classes.isEmpty())
        return; // a property group of the sample project: not part of the catalogue
    entry->places |= place;
    // Every project but a staging one offers the compiler settings on its files, whether it
    // compiles them or not; the types a property matters to are those whose projects or
    // folders offer it, and only a file setting is known by its files alone.
    QStringList &types = place == OnFile ? m_fileProjectTypes[entry->name] : entry->projectTypes;
    if (!projectType.isEmpty() && !types.contains(projectType))
        types.append(projectType);
}

// Asks the project system what it offers on a sample solution holding, for every project type,
// a project (twice: a Cortex-M architecture offers its main stack instead of the user stack), a
// folder and one file of each kind.
void SolutionVocabulary::collectOffers()
{
    const ProjectSystem &ps = *projectSystem;
    const auto offerAll = [&](ProjectElement *node, int place, const QString &type) {
        const std::unique_ptr<PropertyValueList> values(ps.applicableSettingsFor(node, kCommon));
        for (const PropertyValue *value : std::as_const(*values))
            offer(value->propertyClass(), place, type);
    };
    const std::unique_ptr<ProjectElement> solution(sampleNode(nullptr, QStringLiteral("solution"),
                                                              {{kName, QStringLiteral("sample")}}));
    offerAll(solution.get(), OnSolution, QString());
    const QStringList types = ps.projectTypeProperty()->enumerates();
    QList<std::pair<QStringList, QString>> typeOrder;
    for (const QString &type : types) {
        for (const QString &architecture : {QString(), QStringLiteral("v7M")}) {
            QList<std::pair<QString, QString>> settings{{kName, kCommon},
                                                        {QStringLiteral("project_type"), type}};
            if (!architecture.isNull())
                settings.append({QStringLiteral("arm_architecture"), architecture});
            ProjectElement *project =
                sampleNode(solution.get(), QStringLiteral("project"), {{kName, type}});
            sampleNode(project, QStringLiteral("configuration"), settings);
            ProjectElement *folder =
                sampleNode(project, QStringLiteral("folder"), {{kName, QStringLiteral("f")}});
            offerAll(project, OnProject, type);
            offerAll(folder, OnFolder, type);
            for (const QString &file : sampleFileNames()) {
                offerAll(sampleNode(folder, QStringLiteral("file"),
                                    {{QStringLiteral("file_name"), file}}),
                         OnFile, type);
            }
        }
    }
    // Offers arrive in the order of the lists; the reference shows types in their own order.
    for (Entry &entry : m_entries) {
        const QStringList &offered = entry.projectTypes.isEmpty()
                                         ? m_fileProjectTypes.value(entry.name)
                                         : entry.projectTypes;
        QStringList ordered;
        for (const QString &type : types) {
            if (offered.contains(type))
                ordered.append(type);
        }
        entry.projectTypes = ordered;
    }
}

QStringList SolutionVocabulary::elementAttributes(const QString &tag)
{
    for (const auto &[name, attributes] : elementTable()) {
        if (name == tag)
            return attributes;
    }
    return {};
}

QStringList SolutionVocabulary::elementTags()
{
    QStringList tags;
    for (const auto &[name, attributes] : elementTable())
        tags.append(name);
    return tags;
}

bool SolutionVocabulary::configurationMayHold(const Entry &entry, Place place)
{
    // Everything at `place` and below it: the bits of the inner kinds are the higher ones.
    const int reach = ~(int(place) - 1);
    return (entry.places & reach) != 0;
}

QString SolutionVocabulary::nearest(const QString &name, const QStringList &known)
{
    QString best;
    int bestDistance = std::max(2, int(name.size()) / 3) + 1;
    for (const QString &candidate : known) {
        const int distance = editDistance(name, candidate);
        if (distance < bestDistance) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}
