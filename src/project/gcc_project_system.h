// GCCProjectSystem: the file name extensions of the GNU tool chain and its code generation
// settings.
#pragma once

#include "project/standard_project_system.h"

class GCCProjectSystem : public StandardProjectSystem
{
public:
    // `executableExtension` includes the leading dot (".elf" in the tool).
    explicit GCCProjectSystem(const QString &executableExtension);

    QString objectFileExtension() const override;     // ".o"
    QString libraryFileExtension() const override;    // ".a"
    QString executableFileExtension() const override; // as constructed
    QString assemblyCodeFileExtension() const override; // ".s"

    void appendCCompilerProperties(ProjectElement *e, const QString &configuration,
                                   PropertyClassList *list) const override;
    void appendLinkerProperties(ProjectElement *e, const QString &configuration,
                                PropertyClassList *list) const override;

private:
    QString m_executableExtension;
};
