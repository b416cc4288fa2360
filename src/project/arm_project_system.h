// ARMProjectSystem: the project system of the tool; adds the ARM target, code generation,
// run-time memory and debugger settings, and converts solutions of older formats.
#pragma once

#include "project/gcc_project_system.h"

class ARMProjectSystem : public GCCProjectSystem
{
public:
    explicit ARMProjectSystem(const QString &executableExtension = QStringLiteral(".elf"));

    void appendCCompilerProperties(ProjectElement *e, const QString &configuration,
                                   PropertyClassList *list) const override;
    void appendAssemblerProperties(ProjectElement *e, const QString &configuration,
                                   PropertyClassList *list) const override;
    void appendLinkerProperties(ProjectElement *e, const QString &configuration,
                                PropertyClassList *list) const override;
    void appendTargetProperties(ProjectElement *e, const QString &configuration,
                                PropertyClassList *list) const override;

    void munge(ProjectElement *root) override;

private:
    // Cortex-M cores have one main stack instead of the mode stacks of the classic cores, so
    // the stack size a project can set depends on its architecture.
    bool hasMainStack(ProjectElement *e, const QString &configuration) const;
};
