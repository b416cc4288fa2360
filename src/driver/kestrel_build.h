// The part of kestrel's run after the command line has passed its checks.
#pragma once

class KestrelArgParse;

// Creates the project and build systems, sets the system macros, loads the solution file or
// creates a solution and project from a type or template, checks the configuration and builds
// the selected element. Returns the exit status; a "can't find" failure prints its list on
// standard output and throws RunEnds.
int buildFromCommandLine(KestrelArgParse &args);
