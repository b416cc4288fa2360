// The whole run of the kestrel command-line tool.
#pragma once

#include <QString>

class KestrelArgParse;

// What the run needs of the layers below the driver, so that the command line can be parsed
// and checked (and tested) without a settings store, macro system or build engine.
struct DriverServices
{
    void (*openEnvironment)();  // before the command line is parsed
    void (*closeEnvironment)(); // on every way out after that
    void (*defineGlobalMacro)(const QString &name, const QString &value); // -D
    void (*setTemplatesFile)(const QString &file);                         // -templatesfile
    // Everything after the checks: selects the element, builds it and returns the status.
    // May throw RunEnds, HException, SolutionLoadError or anything else.
    int (*build)(KestrelArgParse &args);
};

// Ends the run with `status` once its message has been printed.
struct RunEnds
{
    int status;
};

// Parses and checks the command line, then hands over to `services.build`. Returns the exit
// status. Command-line errors go to standard error as "<program>: error: <message>"; failures
// escaping the build are printed on standard error as well.
int kestrelMain(int argc, char **argv, const DriverServices &services);
