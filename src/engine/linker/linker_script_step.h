// The link step's use of a generated linker script: decide whether it is out of date, load the
// memory map and section placement files and regenerate it, reporting through the builder.
#pragma once

#include "engine/linker/linker_script.h"

#include <QDateTime>
#include <QString>

#include <functional>

class Builder;
class ProjectElement;

struct GeneratedLinkerScript
{
    QString projectDirectory;       // relative file names below resolve against it
    QString scriptPath;             // <build_intermediate_directory>/<output base name>.ld
    QString memoryMapFile;          // expanded; empty when the project names none
    QString memoryMapMacros;        // linker_memory_map_macros as set (name=value;...)
    QString sectionPlacementFile;   // expanded; empty when the project names none
    QString sectionPlacementMacros; // linker_section_placement_macros as set
    bool checkOverflow = true;      // arm_library_check_memory_segment_overflow is "Yes"
    LinkerScriptSettings settings;
};

// Answers whether none of the properties the script is made from has a change record newer
// than `scriptTime` (the link step asks the project system; it may report which one changed).
using LinkerScriptPropertiesCurrent = std::function<bool(const QDateTime &scriptTime)>;

// Makes sure `script.scriptPath` is current: regenerates it (a "Generating linker script"
// group) when it is missing, older than the memory map or section placement file, when a
// property changed, or when its text is not what the inputs give now. Errors ("no linker script or
// memory map file specified", "memory map file does not exist: ...", "cannot load memory map file:
// ...", the placement variants and layout failures) go to `builder->error`; the result is then
// false and the caller fails the link. `propertiesCurrent` may be empty (properties are then taken
// as current).
[[nodiscard]] bool
updateGeneratedLinkerScript(const GeneratedLinkerScript &script, ProjectElement *element,
                            Builder *builder,
                            const LinkerScriptPropertiesCurrent &propertiesCurrent);
