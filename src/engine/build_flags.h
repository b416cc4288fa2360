// The build flags word passed unchanged from the driver through every build function.
#pragma once

enum BuildFlags : int {
    BuildClean = 1,     // remove outputs as the build goes
    BuildRebuild = 2,   // treat everything as out of date
    BuildNoBuild = 4,   // run no build step
    BuildQuiet = 8,     // no up-to-date or missing-file reports
    BuildThisOnly = 16, // do not descend into an element's children
    BuildCheck = 64,    // announce projects as "Checking"
};
