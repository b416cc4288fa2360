#include "settings/arm_quillmark_environment_settings.h"

#include "project/property_class.h"

#include <memory>

ARMQuillmarkEnvironmentSettings *environment = nullptr;

namespace {

const QString kBuildingPage = QStringLiteral("Building");
const QString kCompatibilityGroup = QStringLiteral("Compatibility Options");

} // namespace

void ARMQuillmarkEnvironmentSettings::createEntries()
{
    QuillmarkEnvironmentSettings::createEntries();
    commandLineGenerationVersion = define(std::make_unique<PropertyClass>(
        QStringLiteral("ARM/Build/Command Line Generation Version"), PropertyClass::Enumeration,
        QStringList{QStringLiteral("1.5"), QStringLiteral("1.6"), QStringLiteral("1.7"),
                    QStringLiteral("2.0")},
        kBuildingPage, kCompatibilityGroup, QStringLiteral("Build command line generation"),
        QStringLiteral("Generate build command lines for the specified Tessary for ARM version."),
        QStringLiteral("2.0")));
    studioDirDirectory = define(std::make_unique<PropertyClass>(
        QStringLiteral("ARM/Build/StudioDir Directory"), PropertyClass::DirPath, kBuildingPage,
        kCompatibilityGroup, QStringLiteral("Tessary for ARM Installation Directory"),
        QStringLiteral("The Tessary for ARM installation directory to be used for building - "
                       "the value $(StudioDir) is set to."),
        QStringLiteral("$(StudioDir)")));
}

void openEnvironmentSettings()
{
    if (environment)
        return;
    environment = new ARMQuillmarkEnvironmentSettings;
    environment->createEntries();
}

void closeEnvironmentSettings()
{
    ARMQuillmarkEnvironmentSettings *settings = environment;
    environment = nullptr;
    delete settings;
}
