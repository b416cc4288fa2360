#include "project/gcc_project_system.h"

#include "engine/build_property_catalogue.h"
#include "project/property_value_list.h"

GCCProjectSystem::GCCProjectSystem(const QString &executableExtension)
    : m_executableExtension(executableExtension)
{
}

QString GCCProjectSystem::objectFileExtension() const
{
    return QStringLiteral(".o");
}

QString GCCProjectSystem::libraryFileExtension() const
{
    return QStringLiteral(".a");
}

QString GCCProjectSystem::executableFileExtension() const
{
    return m_executableExtension;
}

QString GCCProjectSystem::assemblyCodeFileExtension() const
{
    return QStringLiteral(".s");
}

// A C file is also preprocessed and assembled, so it takes the assembler settings too.
void GCCProjectSystem::appendCCompilerProperties(ProjectElement *e, const QString &configuration,
                                                 PropertyClassList *list) const
{
    StandardProjectSystem::appendCCompilerProperties(e, configuration, list);
    StandardProjectSystem::appendAssemblerProperties(e, configuration, list);
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (!c)
        return;
    for (const PropertyClass *p :
         {c->gcc_optimization_level, c->gcc_omit_frame_pointer, c->gcc_emit_assembler_cfi})
        list->appendUnique(p);
}

void GCCProjectSystem::appendLinkerProperties(ProjectElement *e, const QString &configuration,
                                              PropertyClassList *list) const
{
    StandardProjectSystem::appendLinkerProperties(e, configuration, list);
}
