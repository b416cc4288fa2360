#include "project/property_value_list.h"

#include "project/property_value.h"

#include <QtGlobal>

PropertyValueList::~PropertyValueList()
{
    if (!m_transient)
        return;
    for (PropertyValue *value : std::as_const(*this)) {
        if (value && value->transient())
            delete value;
    }
}

PropertyValue *PropertyValueList::find(const PropertyClass *propertyClass) const
{
    for (PropertyValue *value : *this) {
        if (value && value->propertyClass() == propertyClass)
            return value;
    }
    return nullptr;
}

void PropertyValueList::appendUnique(PropertyValue *value)
{
    if (!value || !value->propertyClass()) {
        qWarning("Bad property value in PropertyValueList::appendUnique");
        return;
    }
    if (!find(value->propertyClass()))
        append(value);
}

void PropertyClassList::appendUnique(const PropertyClass *propertyClass)
{
    if (!contains(propertyClass))
        append(propertyClass);
}
