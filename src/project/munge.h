// Conversion of solution files written before the current format ("version" 2).
#pragma once

class ProjectElement;

// Rewrites, in `e` and every node below it, the path values that older releases wrote against
// the installation's own directories ("$(StudioDir)/targets/...", "$(StudioDir)/lib/...") to
// the macros that now name those places, and clears the change times this makes. Does nothing
// when `commandLineGenerationVersion` is 0 (the oldest command lines used the old places).
void munge(ProjectElement *e, int commandLineGenerationVersion);
