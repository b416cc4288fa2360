#include "settings/environment_property_value.h"

#include "project/property_class.h"
#include "settings/arm_quillmark_environment_settings.h"

namespace {

const QString kInternalPage = QStringLiteral("(Internal)");

} // namespace

EnvironmentPropertyValue::EnvironmentPropertyValue(PropertyClass *pc, EnvironmentSettings *owner)
    : PropertyValue(pc), m_owner(owner ? owner : environment)
{
    if (m_owner && pc && !pc->page().isEmpty() && pc->page() != kInternalPage)
        m_owner->registerProperty(pc->page(), this);
}

QString EnvironmentPropertyValue::propertyValue() const
{
    if (!m_loaded) {
        m_value = m_owner ? m_owner->readSetting(propertyClass()) : QString();
        m_loaded = true;
    }
    return m_value;
}

void EnvironmentPropertyValue::setPropertyValue(const QString &value)
{
    if (value == propertyValue())
        return;
    m_value = value;
    if (m_owner)
        m_owner->writeSetting(propertyClass(), value);
}

void EnvironmentPropertyValue::removePropertyValue()
{
    m_loaded = false;
    if (m_owner)
        m_owner->removeSetting(propertyClass());
}
