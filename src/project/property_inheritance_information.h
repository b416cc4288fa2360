// PropertyInheritanceInformation: the values a property lookup passed through, most specific
// first, each with the configuration and node it came from.
#pragma once

#include <QList>
#include <QString>

class ProjectElement;

struct PropertyInheritanceItem
{
    QString value;
    QString configuration;          // empty for the class default
    ProjectElement *node = nullptr; // null for the class default
};

class PropertyInheritanceInformation : public QList<PropertyInheritanceItem>
{
public:
    void append(const QString &value, const QString &configuration, ProjectElement *node)
    {
        QList<PropertyInheritanceItem>::append(PropertyInheritanceItem{value, configuration, node});
    }
    using QList<PropertyInheritanceItem>::append;
};
