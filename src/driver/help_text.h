// The version banner and the usage text of kestrel.
#pragma once

#include <cstdio>

// The usage lines, each ending with a line end; a null entry ends the table.
extern const char *const helpText[];

// Writes the two banner lines.
void RELEASE_printVersion(FILE *stream);
// The banner on standard output.
void RELEASE_printVersionToStdout();
// The banner, then the usage text.
void printHelp(FILE *stream);
