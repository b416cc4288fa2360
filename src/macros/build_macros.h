// The macro table a build uses for one element and configuration: system and global macros,
// the project's own macros, then the computed names ($(ProjectDir), $(IntDir), $(InputName)...).
// BuildSystem::macros and ARMBuildSystem::macros are built on these functions.
#pragma once

#include <QMap>
#include <QString>

class ProjectElement;

// Steps common to every build system: global macros (over the system ones), the element's
// `macros` property, then the computed macros, which win over both. The table is computed
// afresh on every call so that settings changed before the build are seen.
QMap<QString, QString> buildMacros(ProjectElement *e, const QString &configuration);

// `text` expanded with buildMacros(e, configuration) without building that table, when the
// result is known to be the same: every reference is plain (no "$" or "(" inside it, no date
// or time name) and the element's own names it uses can be told directly. False otherwise, and
// the caller expands with the table. A file's object name is expanded this way.
bool expandBuildMacros(ProjectElement *e, const QString &configuration, const QString &text,
                       QString &result);

// Adds $(LibExt) (the run-time library variant, e.g. "_v4t_a_le") and $(LoaderType) when `e`
// is a project; leaves the table alone for any other element.
void addARMBuildMacros(ProjectElement *e, const QString &configuration,
                       QMap<QString, QString> &table);

// The library variant suffix and loader type from the setting values themselves.
struct ARMLibrarySettings
{
    QString architecture;        // arm_architecture
    QString interwork;           // arm_interwork
    QString fpAbi;               // arm_fp_abi
    QString instructionSet;      // arm_library_instruction_set for executables, else arm_instruction_set
    QString endian;              // arm_endian
};
QString armLibExt(const ARMLibrarySettings &settings);
QString armLoaderType(const QString &flashLoaderType);
