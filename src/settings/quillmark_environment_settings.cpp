#include "settings/quillmark_environment_settings.h"

#include "project/property_class.h"

#include <memory>

namespace {

struct Entry
{
    const char *key;
    PropertyClass::Type type;
    const char *page;
    const char *group;
    const char *shortDescription;
    const char *longDescription;
    const char *defaultValue;
};

constexpr PropertyClass::Type B = PropertyClass::Boolean;
constexpr PropertyClass::Type SL = PropertyClass::StringList;

const Entry kEntries[] = {
    {"Target/Targets", SL, "(Internal)", "Target Options", "Targets",
     "The target interfaces that have been set up.", ""},
    {"Target/Initialised Targets", SL, "(Internal)", "Target Options", "Initialised Targets",
     "The target interfaces whose default properties have been set.", ""},
    {"Target/Auto Connect", B, "Target", "Connection Options", "Auto Connect",
     "Connect to the last target used when a solution is loaded.", "No"},
    {"Target/Auto Disconnect", B, "Target", "Connection Options", "Auto Disconnect",
     "Disconnect from the target when the solution is closed.", "No"},
    {"Target/Identify", B, "Target", "Connection Options", "Identify Target",
     "Identify the target when connecting to it.", "Yes"},
    {"Target/Enable Load Verification", B, "Target", "Loading Options", "Enable Load Verification",
     "Read memory back after a download and compare it with what was loaded.", "No"},
    {"Target/Enable Processor Check", B, "Target", "Loading Options", "Enable Processor Check",
     "Check that the connected processor is the one the project is built for.", "Yes"},
    {"Target/Enable Differential Download", B, "Target", "Loading Options",
     "Enable Differential Download", "Download only the parts of a program that changed.", "No"},
    {"Debugging/Show Transcript On Load", B, "Debugging", "Loading Options",
     "Show Transcript On Load", "Show the transcript window while a program is loaded.", "Yes"},
    {"Debugging/Hide Transcript On Successful Load", B, "Debugging", "Loading Options",
     "Hide Transcript On Successful Load",
     "Hide the transcript window again when a program loaded without errors.", "No"},
    {"Echo Raw Error/Warning Output", B, "Building", "Build Options",
     "Echo Raw Error/Warning Output",
     "Show the tools' error and warning output as they wrote it.", "No"},
};

} // namespace

void QuillmarkEnvironmentSettings::createEntries()
{
    EnvironmentSettings::createEntries();
    for (const Entry &e : kEntries) {
        define(std::make_unique<PropertyClass>(
            QString::fromUtf8(e.key), e.type, QString::fromUtf8(e.page),
            QString::fromUtf8(e.group), QString::fromUtf8(e.shortDescription),
            QString::fromUtf8(e.longDescription), QString::fromUtf8(e.defaultValue)));
    }
}
