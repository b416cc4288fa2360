// Expanding settings for one element and configuration with its build macro table. These are
// the bodies of the BuildSystem operations of the same names, which forward here, so that the
// build engine and the macro layer agree on one expansion path.
#pragma once

#include <QString>
#include <QStringList>

class BuildSystem;
class ProjectElement;
class PropertyClass;

// The table is only built when the text holds a "$(": most settings have none.
QString replaceMacros(BuildSystem &bs, ProjectElement *e, const QString &text,
                      const QString &configuration);
// Builds the table at most once; the result has the items of `items`, in order, even those
// that expand to nothing.
QStringList replaceStringListMacros(BuildSystem &bs, ProjectElement *e, const QStringList &items,
                                    const QString &configuration);
// The resolved setting (project system inheritance), expanded.
QString settingForExpanded(BuildSystem &bs, ProjectElement *e, const PropertyClass *p,
                           const QString &configuration);
// The resolved setting as a list, each item with `prefix` in front (an option switch). With
// `escaped` the ";" text form is decoded and empty items dropped; otherwise the text is split
// at every ";" without escape processing. With `expand` every item is expanded.
QStringList stringListSetting(BuildSystem &bs, const QString &prefix, ProjectElement *e,
                              const PropertyClass *p, const QString &configuration, bool expand,
                              bool escaped);
