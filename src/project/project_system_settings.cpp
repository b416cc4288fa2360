// Resolving property values by configuration and inheritance, and the configuration lists.
#include "project/project_system.h"

#include "host/product.h"
#include "project/property_class.h"
#include "project/property_inheritance_information.h"

namespace {

const QString kCommon = QStringLiteral("Common");
const QString kHidden = QStringLiteral("hidden");

// "*" matches any run and "?" one character; everything else matches itself, case-sensitively,
// and the whole name must match.
bool wildcardMatch(QStringView pattern, QStringView name)
{
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

} // namespace

// One read of a settingFor walk: the configuration child of `node` to look in.
struct ProjectSystem::ConfigurationRead
{
    ProjectElement *node;
    ProjectElement *configuration;
    bool record; // reported in the inheritance information ("Common" reads are not)
};

// The reads a walk makes at one node for one configuration, in order, then the chain of the
// next node up that has configuration children. The values resolved along it are kept while
// no attribute changes anywhere; a node's values are settled once and every node below it
// builds on them, so files that differ only in a setting or two share the rest.
struct ProjectSystem::LookupChain
{
    // A list's value joins the values read with ";", from the first non-empty one on (empty
    // values after it keep their separator). `leadingEmpty` counts the empty values read before
    // it, so that a level below can append this result exactly. `found`: any value was read.
    struct Resolved
    {
        QString value;
        qint32 leadingEmpty = 0;
        bool found = false;
    };

    QList<ConfigurationRead> reads;
    LookupChain *outer = nullptr;
    quint64 valueGeneration = ~quint64(0);
    // By class; the serial tells a class from a later one at the same address. The result
    // depends on nothing else of the class but its name and type, which never change, and its
    // default, which is read at each lookup.
    struct Entry
    {
        quint64 serial;
        Resolved resolved;
    };
    QHash<const PropertyClass *, Entry> resolved;

    const Resolved &resolve(const PropertyClass *p)
    {
        if (valueGeneration != ProjectElement::valueGeneration()) {
            resolved.clear();
            valueGeneration = ProjectElement::valueGeneration();
        }
        const auto hit = resolved.constFind(p);
        if (hit != resolved.cend() && hit->serial == p->serial())
            return hit->resolved;
        const QString &name = p->saveName();
        const bool isList = p->type() == PropertyClass::StringList;
        Resolved r;
        for (const ConfigurationRead &read : std::as_const(reads)) {
            const auto it = read.configuration->attributeMap.constFind(name);
            if (it == read.configuration->attributeMap.cend())
                continue;
            r.found = true;
            if (!isList) {
                r.value = *it;
                break;
            }
            if (r.value.isEmpty()) {
                if (it->isEmpty())
                    ++r.leadingEmpty;
                else
                    r.value = *it;
            } else {
                r.value += u';' + *it;
            }
        }
        if (outer && (isList || !r.found)) {
            const Resolved &o = outer->resolve(p);
            if (!r.found) {
                r = o;
            } else if (o.found && r.value.isEmpty()) {
                r.leadingEmpty += o.leadingEmpty;
                r.value = o.value;
            } else if (o.found) {
                r.value += QString(o.leadingEmpty, u';');
                if (!o.value.isEmpty())
                    r.value += u';' + o.value;
            }
        }
        return resolved.insert(p, {p->serial(), r})->resolved;
    }
};

QString ProjectSystem::settingFor(ProjectElement *e, const PropertyClass *p,
                                  const QString &configuration,
                                  PropertyInheritanceInformation *info) const
{
    if (!p)
        return QString();
    ProjectElement *anchor = withConfigurations(e);
    if (!anchor) {
        if (info)
            info->append(p->defaultValue(), QString(), nullptr);
        return p->defaultValue();
    }

    LookupChain &chain = lookupChain(anchor, configuration);
    const bool isList = p->type() == PropertyClass::StringList;
    const QString &name = p->saveName();
    if (!info) {
        const LookupChain::Resolved &r = chain.resolve(p);
        // An empty list means "not set".
        return (isList ? !r.value.isEmpty() : r.found) ? r.value : p->defaultValue();
    }

    QString value;
    for (const LookupChain *c = &chain; c; c = c->outer) {
        for (const ConfigurationRead &read : c->reads) {
            const auto it = read.configuration->attributeMap.constFind(name);
            if (it == read.configuration->attributeMap.cend())
                continue;
            if (read.record)
                info->append(*it, read.configuration->getName(), read.node);
            if (value.isEmpty())
                value = *it;
            else
                value += u';' + *it;
            if (!isList)
                return value;
        }
    }
    // A list is complete once every level was read; an empty one means "not set".
    if (!value.isEmpty())
        return value;
    info->append(p->defaultValue(), QString(), nullptr);
    return p->defaultValue();
}

// Nodes without configuration children contribute nothing, so a file without settings of its
// own shares the walk of its folder or project.
ProjectElement *ProjectSystem::withConfigurations(ProjectElement *e)
{
    while (e && e->configurationElements.isEmpty())
        e = e->parent;
    return e;
}

ProjectSystem::LookupChain &ProjectSystem::lookupChain(ProjectElement *e,
                                                       const QString &configuration) const
{
    if (m_lookupGeneration != ProjectElement::structureGeneration()) {
        m_lookupChains.clear();
        m_lastAnchor = nullptr;
        m_lastChain = nullptr;
        m_lookupGeneration = ProjectElement::structureGeneration();
    }
    if (e == m_lastAnchor && configuration == m_lastConfiguration)
        return *m_lastChain;
    LookupChain *chain = nullptr;
    // Nearly every build asks for one configuration, so a node rarely has more than one chain.
    auto &chains = m_lookupChains[e];
    for (const auto &[name, c] : chains) {
        if (name == configuration) {
            chain = c.get();
            break;
        }
    }
    if (!chain) {
        auto made = std::make_shared<LookupChain>();
        chain = made.get();
        chains.push_back({configuration, std::move(made)});
        buildLookupChain(e, configuration, *chain);
        if (ProjectElement *up = withConfigurations(e->parent))
            chain->outer = &lookupChain(up, configuration);
    }
    m_lastAnchor = e;
    m_lastConfiguration = configuration;
    m_lastChain = chain;
    return *chain;
}

// At a node with configuration children: the configuration itself, then the configurations it
// inherits in the order written, then "Common".
void ProjectSystem::buildLookupChain(ProjectElement *n, const QString &configuration,
                                     LookupChain &chain) const
{
    auto read = [&chain, n](const QString &name, bool record) {
        if (ProjectElement *c = n->getConfigurationElement(name))
            chain.reads.append({n, c, record});
    };
    read(configuration, true);
    if (configuration == kCommon)
        return;
    for (const QString &name : inheritedFor(n, configuration))
        read(name, true);
    read(kCommon, false);
}

// The inheritance of `configuration` in the solution containing `n`; a nested or imported
// solution that does not define it uses its enclosing solution's.
QStringList ProjectSystem::inheritedFor(ProjectElement *n, const QString &configuration) const
{
    ProjectElement *s = solutionContaining(n);
    QStringList inherited = s ? s->inheritanceMap.value(configuration) : QStringList();
    while (inherited.isEmpty() && s && s->parent) {
        s = s->parent;
        inherited = s->inheritanceMap.value(configuration);
    }
    return inherited;
}

QString ProjectSystem::specificSettingFor(ProjectElement *e, const PropertyClass *p,
                                          const QString &configuration) const
{
    QString value;
    if (e && p)
        e->getProperty(configuration, p->saveName(), value, nullptr);
    return value;
}

QStringList ProjectSystem::configurations(ProjectElement *e, int flags) const
{
    QStringList names;
    if (flags & WithCommon)
        names.append(kCommon);
    ProjectElement *s = e ? solutionContaining(e) : m_solution;
    for (ProjectElement *n = s; n; n = n->parent) {
        for (auto it = n->configurationElements.cbegin(); it != n->configurationElements.cend();
             ++it) {
            const QString &name = it.key();
            if (names.contains(name))
                continue;
            if ((*it)->hasAttribute(kHidden)) {
                if (flags & WithHidden)
                    names.append(name);
            } else if ((flags & WithVisible) && name != kCommon &&
                       settingFor(n, m_platform, name) == Get_PLATFORM()) {
                names.append(name);
            }
        }
    }
    names.sort(Qt::CaseSensitive);
    if (names.isEmpty())
        names.append(kCommon);
    return names;
}

QStringList ProjectSystem::getInheritedConfigurations(ProjectElement *e,
                                                      const QString &configuration) const
{
    ProjectElement *s = e ? solutionContaining(e) : m_solution;
    return s ? s->getInheritedConfigurations(configuration) : QStringList();
}

QStringList ProjectSystem::getBatchBuildConfigurations(ProjectElement *e,
                                                       const QString &configuration) const
{
    const QStringList spec =
        settingFor(e, m_batchBuild, configuration).split(u';', Qt::SkipEmptyParts);
    const QStringList available =
        configurations(e, spec == QStringList{kCommon} ? WithCommon | WithVisible : WithVisible);
    QStringList result;
    for (const QString &entry : spec) {
        if (entry.contains(u'*')) {
            for (const QString &name : available) {
                if (wildcardMatch(entry, name))
                    result.append(name);
            }
            continue;
        }
        for (const QString &name : available) {
            if (name.compare(entry, Qt::CaseInsensitive) == 0) {
                result.append(name);
                break;
            }
        }
    }
    return result;
}

QString ProjectSystem::platform(ProjectElement *e) const
{
    return e ? settingFor(e, m_platform, kCommon) : Get_PLATFORM();
}

QString ProjectSystem::getProjectType(ProjectElement *project) const
{
    return specificSettingFor(project, m_projectType, kCommon);
}
