// EnvironmentSettings: the user's tool-wide preferences, described by property classes,
// grouped in pages and kept in the settings files of the user data directories.
#pragma once

#include "settings/settings.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class EnvironmentPropertyValue;
class PropertyClass;
class PropertyValue;
class PropertyValueList;

// Owns the whole catalogue (classes and values). Values are read from and written to the
// studio store; both stores are written back when the object is destroyed. The tool runs no
// event loop, so there is no periodic save: the driver deletes the object at the end of the
// run (closeEnvironmentSettings()), which writes the files.
class EnvironmentSettings
{
public:
    // The stores on rootUserDataDir() + "/settings.xml" and studioUserDataDir() +
    // "/settings.xml", located now: options parsed later do not move them.
    EnvironmentSettings();
    // Explicit files, for tests and for hosts with their own layout.
    EnvironmentSettings(const Path &rootSettingsFile, const Path &studioSettingsFile);
    virtual ~EnvironmentSettings();
    EnvironmentSettings(const EnvironmentSettings &) = delete;
    EnvironmentSettings &operator=(const EnvironmentSettings &) = delete;

    // Defines the catalogue; each override calls its base first.
    virtual void createEntries();

    void registerProperty(const QString &page, PropertyValue *value);
    PropertyValue *findProperty(const QString &key) const; // null when no entry has the key
    QStringList pages() const { return m_pages.keys(); }
    const PropertyValueList *page(const QString &name) const; // null when unknown

    // The studio store's entry for the class's key, or the class default.
    QString readSetting(const PropertyClass *pc) const;
    // True when the stored value changed.
    bool writeSetting(const PropertyClass *pc, const QString &value);
    void removeSetting(const PropertyClass *pc);
    // Synchronises the root store, then the studio store, with their files.
    void saveSettings();

    Settings &rootSettings() { return m_rootSettings; }
    Settings &studioSettings() { return m_studioSettings; }

    // Entries other code uses directly (set by createEntries, null before).
    // "Environment/Build/Tool Chain Root Directory": the GCC build system sets its default to
    // "$(StudioDir)/gcc/bin"; read the directory with toolChainRootDirectoryValue().
    PropertyClass *toolChainRootDirectory = nullptr;
    // "Environment/Macros/Global Macros": "name=value" items in the ";" list form.
    PropertyClass *globalMacros = nullptr;
    EnvironmentPropertyValue *globalMacrosValue = nullptr;

    // The tool-chain root directory as set (not macro-expanded).
    QString toolChainRootDirectoryValue() const;

protected:
    // Creates a class owned by this object and its value (which registers itself under the
    // class's page unless that is empty or "(Internal)").
    PropertyClass *define(std::unique_ptr<PropertyClass> pc);
    EnvironmentPropertyValue *valueOf(const PropertyClass *pc) const;

private:
    void createBuildEntries();
    void createEnvironmentEntries();
    void createEditorEntries();

    Settings m_rootSettings;
    Settings m_studioSettings;
    QMap<QString, PropertyValueList *> m_pages;
    QMap<QString, PropertyValue *> m_keys;
    std::vector<std::unique_ptr<PropertyClass>> m_classes;
    std::vector<std::unique_ptr<EnvironmentPropertyValue>> m_values;
};
