// The package directory macros, and the catalogue files that make the user's package
// directory include the installation's own project templates and frequencies.
#pragma once

#include <QString>

class PackageSystem
{
public:
    // Expands `packagesDir` with the system macros, sets $(PackagesDir), $(TargetsDir) and
    // $(SamplesDir), and creates "targets/project_templates.xml" and "targets/frequencies.xml"
    // below it when they do not exist (an existing file is never touched). Throws HException
    // "cannot create <path>" when one of them cannot be written.
    static void setupPackageMacros(const QString &packagesDir);
};
