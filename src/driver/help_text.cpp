#include "driver/help_text.h"

#include "host/product.h"

// Not alphabetical: the options a user reaches for first come first.
const char *const helpText[] = {
    "\n",
    "Usage: kestrel [option] <project>.zav\n",
    "\n",
    "  -batch                 batch build\n",
    "  -config 'name'         build in 'name' configuration\n",
    "  -clean                 remove output files as build occurs\n",
    "  -D macro=value         set the value of a tessary global macro\n",
    "  -echo                  show command lines as they are executed\n",
    "  -packagesdir 'name'    set $(PackagesDir) to 'name'\n",
    "  -project 'name'        build/batch build 'name' project\n",
    "  -rebuild               always do the build step\n",
    "  -rootuserdir 'name'    set the root user data directory to 'name'\n",
    "  -show                  show command lines but don't execute them\n",
    "  -studiodir 'name'      set $(StudioDir) to 'name'\n",
    "  -solution 'name'       build/batch build 'name' solution\n",
    "  -templatesfile 'name'  get project templates from file 'name'\n",
    "  -verbose               show build information\n",
    "\n",
    "Usage: kestrel [option] -template 'name' -project 'name'\n"
    "       kestrel [option] -type 'type' -project 'name'\n"
    "\n",
    "  -template 'name'     create the project from the template 'name'\n"
    "  -type     'type'     create the project from the project 'type'\n"
    "  -file     'name'     add file 'name' to -template created project\n",
    "  -property name=value set project property name to value\n",
    nullptr,
};

void RELEASE_printVersion(FILE *stream)
{
    std::fprintf(stream, "%s Build Tool, release %s.%d\n",
                 qPrintable(Get_PRODUCT_GENERIC_NAME()), qPrintable(Get_SOFTWARE_RELEASE()),
                 Get_RELEASE_REVISION_NUMBER());
    std::fputs("Copyright (c) Tessary. All rights reserved.\n", stream);
}

void RELEASE_printVersionToStdout()
{
    RELEASE_printVersion(stdout);
}

void printHelp(FILE *stream)
{
    RELEASE_printVersion(stream);
    for (const char *const *line = helpText; *line; ++line)
        std::fputs(*line, stream);
}
