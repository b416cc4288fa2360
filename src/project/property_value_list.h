// PropertyValueList and PropertyClassList: ordered collections of values and classes.
#pragma once

#include <QList>

class PropertyClass;
class PropertyValue;

// A list built as transient deletes, when it is destroyed, every member that is itself
// transient (the ProjectPropertyValues made for it); other members belong to someone else.
class PropertyValueList : public QList<PropertyValue *>
{
public:
    explicit PropertyValueList(bool transient = false) : m_transient(transient) {}
    ~PropertyValueList();
    PropertyValueList(const PropertyValueList &) = delete;
    PropertyValueList &operator=(const PropertyValueList &) = delete;

    bool transient() const { return m_transient; }
    PropertyValue *find(const PropertyClass *propertyClass) const;
    // Appends unless a member of the same class is already there; a null value or one without
    // a class is refused with a warning.
    void appendUnique(PropertyValue *value);

private:
    bool m_transient;
};

// Owns nothing.
class PropertyClassList : public QList<const PropertyClass *>
{
public:
    void appendUnique(const PropertyClass *propertyClass);
};
