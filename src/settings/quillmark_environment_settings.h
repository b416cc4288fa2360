// QuillmarkEnvironmentSettings: adds the target connection and debugging entries.
#pragma once

#include "settings/environment_settings.h"

class QuillmarkEnvironmentSettings : public EnvironmentSettings
{
public:
    using EnvironmentSettings::EnvironmentSettings;
    void createEntries() override;
};
