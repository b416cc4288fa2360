#include "macros/build_expansion.h"

#include "engine/build_system.h"
#include "macros/build_macros.h"
#include "macros/macro_system.h"
#include "project/project_system.h"

namespace {

bool anyHasReference(const QStringList &items)
{
    for (const QString &item : items) {
        if (hasMacroReference(item))
            return true;
    }
    return false;
}

} // namespace

QString replaceMacros(BuildSystem &bs, ProjectElement *e, const QString &text,
                      const QString &configuration)
{
    if (!hasMacroReference(text))
        return text;
    QString expanded;
    if (!bs.hasOwnMacros(e) && expandBuildMacros(e, configuration, text, expanded))
        return expanded;
    return macroSystem.replaceMacros(bs.macros(e, configuration), text);
}

QStringList replaceStringListMacros(BuildSystem &bs, ProjectElement *e, const QStringList &items,
                                    const QString &configuration)
{
    if (!anyHasReference(items))
        return items;
    const QMap<QString, QString> table = bs.macros(e, configuration);
    QStringList result;
    result.reserve(items.size());
    for (const QString &item : items)
        result.append(macroSystem.replaceMacros(table, item));
    return result;
}

QString settingForExpanded(BuildSystem &bs, ProjectElement *e, const PropertyClass *p,
                           const QString &configuration)
{
    if (!projectSystem || !p)
        return QString();
    return replaceMacros(bs, e, projectSystem->settingFor(e, p, configuration), configuration);
}

QStringList stringListSetting(BuildSystem &bs, const QString &prefix, ProjectElement *e,
                              const PropertyClass *p, const QString &configuration, bool expand,
                              bool escaped)
{
    if (!projectSystem || !p)
        return {};
    const QString value = projectSystem->settingFor(e, p, configuration);
    if (value.isEmpty())
        return {};
    QStringList items = escaped ? MacroSystem::stringListFromString(value, false)
                                : value.split(u';', Qt::SkipEmptyParts);
    if (expand)
        items = replaceStringListMacros(bs, e, items, configuration);
    if (!prefix.isEmpty()) {
        for (QString &item : items)
            item.prepend(prefix);
    }
    return items;
}
