// propref: writes the property reference and the solution file schema from the property
// catalogue, so that neither is ever edited by hand.
//   propref <reference.md> <schema.xsd>
// The build runs it; it creates the project system and build system exactly as kestrel does.

#include "driver/property_reference.h"
#include "driver/solution_vocabulary.h"
#include "engine/arm_build_system.h"
#include "engine/build_property_catalogue.h"
#include "engine/build_system.h"
#include "engine/standard_build_system.h"
#include "project/arm_project_system.h"

#include <QFile>

#include <cstdio>

namespace {

bool writeFile(const char *path, const QString &text)
{
    QFile out(QString::fromLocal8Bit(path));
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(text.toUtf8()) >= 0)
        return true;
    std::fprintf(stderr, "propref: cannot write \"%s\"\n", path);
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: propref <reference.md> <schema.xsd>\n", stderr);
        return 2;
    }
    projectSystem = new ARMProjectSystem(QStringLiteral(".elf"));
    // No build options file: the reference describes the catalogue every installation has.
    buildPropertyCatalogue = new BuildPropertyCatalogue(QStringList(), QString(""));
    auto *arm = new ARMBuildSystem(QStringList());
    buildSystem = arm;
    standardBuildSystem = arm;
    const SolutionVocabulary vocabulary;
    const bool written = writeFile(argv[1], propertyReferenceMarkdown(vocabulary))
                         && writeFile(argv[2], solutionSchema(vocabulary));
    return written ? 0 : 1;
}
