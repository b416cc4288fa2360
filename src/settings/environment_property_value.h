// EnvironmentPropertyValue: one environment setting as a property value, read lazily from the
// settings store and written straight back to it.
#pragma once

#include "project/property_value.h"

#include <QString>

class EnvironmentSettings;

class EnvironmentPropertyValue : public PropertyValue
{
public:
    // Registers with `owner` (the process-wide environment by default) under the class's page,
    // unless the page is empty or "(Internal)".
    explicit EnvironmentPropertyValue(PropertyClass *pc, EnvironmentSettings *owner = nullptr);

    // The stored text, read from the settings on first use and cached.
    QString propertyValue() const override;
    // Writes through to the settings when the text differs.
    void setPropertyValue(const QString &value) override;
    // Drops the stored entry; the next read gives the class default again.
    void removePropertyValue();

    bool loaded() const { return m_loaded; }

private:
    EnvironmentSettings *m_owner;
    mutable bool m_loaded = false;
    mutable QString m_value;
};
