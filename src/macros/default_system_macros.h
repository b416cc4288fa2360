// The installation and version macros set once at start-up ($(StudioDir), $(StudioName) ...).
#pragma once

#include <QString>

// Sets $(StudioMajorVersion), $(StudioMinorVersion), $(StudioRevision), $(StudioName),
// $(StudioDir) = `studioDir` and $(StudioUserDir) as system macros.
void setupDefaultSystemMacros(const QString &studioDir);
