// ARMQuillmarkEnvironmentSettings: adds the ARM build compatibility entries; the type of the
// process-wide `environment`.
#pragma once

#include "settings/quillmark_environment_settings.h"

class ARMQuillmarkEnvironmentSettings : public QuillmarkEnvironmentSettings
{
public:
    using QuillmarkEnvironmentSettings::QuillmarkEnvironmentSettings;
    void createEntries() override;

    PropertyClass *commandLineGenerationVersion = nullptr; // "ARM/Build/Command Line Generation Version"
    PropertyClass *studioDirDirectory = nullptr;           // "ARM/Build/StudioDir Directory"
};

// Created by the driver before the command line is parsed (then createEntries()), deleted at
// the end of the run; null before and after.
extern ARMQuillmarkEnvironmentSettings *environment;

// Creates `environment` (with its catalogue) on the default settings files.
void openEnvironmentSettings();
// Deletes `environment`, which writes both settings files back (a -D given on the command
// line is kept that way), and sets it to null. The driver calls it on every way out of a run
// that created the environment; calling it again does nothing.
void closeEnvironmentSettings();
