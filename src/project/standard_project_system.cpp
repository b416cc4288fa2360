#include "project/standard_project_system.h"

#include "engine/build_property_catalogue.h"
#include "project/dynamic_folders.h"
#include "project/project_templates.h"
#include "project/property_value_groups.h"
#include "project/property_value.h"
#include "project/property_value_list.h"
#include "xml/xml_document.h"

#include <QFile>
#include <QFileInfo>

#include <initializer_list>

const QString StandardProjectSystem::kDefaultProjectType = QStringLiteral("Executable");

namespace {

const QString kCommon = QStringLiteral("Common");
const QString kDefault = QStringLiteral("Default");
const QString kExecutable = QStringLiteral("Executable");
const QString kLibrary = QStringLiteral("Library");
const QString kObjectFile = QStringLiteral("Object file");
const QString kStaging = QStringLiteral("Staging");
const QString kCombining = QStringLiteral("Combining");
const QString kExternallyBuilt = QStringLiteral("Externally Built Executable");

// The catalogue classes are created by the build system; without one (a project model used on
// its own) there is nothing of the build engine to offer, so the lists skip them.
void append(PropertyClassList *list, std::initializer_list<const PropertyClass *> classes)
{
    for (const PropertyClass *c : classes)
        if (c)
            list->appendUnique(c);
}

void append(PropertyClassList *list, const QList<PropertyClass *> &classes)
{
    for (const PropertyClass *c : classes)
        list->appendUnique(c);
}

// The DOCTYPE names of the XML files the build itself understands.
QString xmlFileType(const QString &path)
{
    const char *docType = XMLDocument::xmlDocumentType(QFile::encodeName(path).constData());
    if (!docType)
        return QString();
    const QByteArray name(docType);
    if (name == "Board_Memory_Definition_File")
        return QStringLiteral("Memory Map");
    if (name == "Linker_Placement_File")
        return QStringLiteral("Section Placement");
    if (name == "Quillmark_Target_Definition_File")
        return QStringLiteral("Target Definitions");
    return QString();
}

} // namespace

StandardProjectSystem::StandardProjectSystem()
    : ProjectSystem(standardFileTypes(), standardProjectTypes())
{
    // Kept for the whole run: its cache saves reading a group file again for every project.
    if (!propertyValueGroups)
        propertyValueGroups = new PropertyValueGroups;
}

StandardProjectSystem::~StandardProjectSystem() = default;

QStringList StandardProjectSystem::standardFileTypes()
{
    return {QStringLiteral("C"),
            QStringLiteral("C++"),
            QStringLiteral("Basic"),
            QStringLiteral("Assembly"),
            QStringLiteral("Section Placement"),
            QStringLiteral("Memory Map"),
            QStringLiteral("Target Definitions"),
            QStringLiteral("Threads Script"),
            QStringLiteral("Target Script"),
            QStringLiteral("Reset Script"),
            QStringLiteral("Linker Script"),
            QStringLiteral("Executable"),
            QStringLiteral("Library"),
            QStringLiteral("Object file")};
}

QStringList StandardProjectSystem::standardProjectTypes()
{
    return {kExecutable, kLibrary, kObjectFile, kStaging, kCombining, kExternallyBuilt};
}

QString StandardProjectSystem::getFileType(ProjectElement *e) const
{
    if (!e)
        return QString();
    const QString set = specificSettingFor(e, fileTypeProperty(), kCommon);
    if (!set.isEmpty() && set != kDefault)
        return set;
    if (!e->fileType.isEmpty())
        return e->fileType;
    const QString type = fileTypeFromName(e);
    if (!type.isEmpty())
        e->fileType = type;
    return type;
}

// Exact comparisons on the lower-cased extension: MAIN.C is C and boot.S is assembly, as
// people who name their files that way expect.
QString StandardProjectSystem::fileTypeFromName(ProjectElement *e) const
{
    e->checkDoFileStuff();
    const QString fileName = e->absolutePath.fileName();
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    const QString extension = fileName.mid(dot + 1).toLower();
    const QString dotted = QLatin1Char('.') + extension;
    if (extension == QLatin1String("c"))
        return QStringLiteral("C");
    if (extension == QLatin1String("cpp") || extension == QLatin1String("cxx")
        || extension == QLatin1String("cc"))
        return QStringLiteral("C++");
    if (extension == QLatin1String("asm") || extension == QLatin1String("s")
        || dotted == assemblyCodeFileExtension())
        return QStringLiteral("Assembly");
    if (extension == QLatin1String("xml"))
        return xmlFileType(e->absolutePath.osPathQString());
    if (dotted == objectFileExtension())
        return kObjectFile;
    if (dotted == executableFileExtension())
        return kExecutable;
    if (dotted == libraryFileExtension())
        return kLibrary;
    return QString();
}

PropertyValueList *StandardProjectSystem::applicableSettingsFor(
    ProjectElement *e, const QString &configuration) const
{
    PropertyClassList classes;
    if (e && e->isFile())
        appendFileClasses(e, configuration, &classes);
    else if (e && e->isFolder())
        appendFolderClasses(e, configuration, &classes);
    else if (e && e->isProject())
        appendProjectClasses(e, configuration, &classes);
    else if (e && e->isSolution())
        appendSolutionProperties(e, configuration, &classes);

    auto *values = new PropertyValueList(true);
    for (const PropertyClass *c : std::as_const(classes)) {
        // A group choice also sets the properties of the chosen entry.
        if (const auto *group = dynamic_cast<const PropertyValueGroupClass *>(c))
            values->append(new PropertyValueGroupValue(group, e, configuration));
        else
            values->append(new ProjectPropertyValue(c, configuration, e));
    }
    return values;
}

// An empty type is what a project gets when nothing set it; it builds as an executable, so
// it offers an executable's settings.
QString StandardProjectSystem::projectTypeOf(ProjectElement *e) const
{
    const QString type = getProjectType(projectContaining(e));
    return type.isEmpty() ? kDefaultProjectType : type;
}

void StandardProjectSystem::appendFileClasses(ProjectElement *e, const QString &configuration,
                                              PropertyClassList *list) const
{
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (projectTypeOf(e) == kStaging) {
        if (c)
            append(list, {c->stage_output_filepath, c->stage_command, c->stage_command_wd,
                          c->build_exclude_from_build, c->stage_set_readonly});
        return;
    }
    append(list, {fileCodecProperty(), fileOpenWithProperty(), fileTypeProperty()});
    if (c)
        append(list, {c->build_exclude_from_build, c->build_always_rebuild});
    const QString type = getFileType(e);
    if (type == QLatin1String("C")) {
        appendCCompilerProperties(e, configuration, list);
    } else if (type == QLatin1String("C++")) {
        appendCCompilerProperties(e, configuration, list);
        appendCppCompilerProperties(e, configuration, list);
    } else if (type == QLatin1String("Assembly")) {
        appendAssemblerProperties(e, configuration, list);
    }
}

void StandardProjectSystem::appendFolderClasses(ProjectElement *e, const QString &configuration,
                                                PropertyClassList *list) const
{
    const QString type = projectTypeOf(e);
    if (type == kExecutable || type == kLibrary || type == kObjectFile)
        appendProjectProperties(e, configuration, list, kObjectFile);
    else if (type == kStaging)
        appendProjectProperties(e, configuration, list, kStaging);
    appendExcludeAndRebuild(list);
}

void StandardProjectSystem::appendProjectClasses(ProjectElement *e, const QString &configuration,
                                                 PropertyClassList *list) const
{
    appendProjectProperties(e, configuration, list, projectTypeOf(e));
    appendExcludeAndRebuild(list);
    appendPropertyGroups(e, configuration, list);
}

// The groups of the project's group file are settings of the project like any other, so they
// can be listed and set from the command line.
void StandardProjectSystem::appendPropertyGroups(ProjectElement *e, const QString &configuration,
                                                 PropertyClassList *list) const
{
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (!propertyValueGroups || !c || !list->contains(c->property_groups_file_path))
        return;
    propertyValueGroups->setGroupFile(propertyGroupsFileFor(e, configuration));
    for (const PropertyValueGroupClass *group : propertyValueGroups->groupClasses())
        list->appendUnique(group);
}

void StandardProjectSystem::appendExcludeAndRebuild(PropertyClassList *list) const
{
    if (const BuildPropertyCatalogue *c = buildPropertyCatalogue)
        append(list, {c->build_exclude_from_build, c->build_always_rebuild});
}

void StandardProjectSystem::appendCompilerProperties(ProjectElement *, const QString &,
                                                     PropertyClassList *list) const
{
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (!c)
        return;
    append(list, {c->c_preprocessor_definitions, c->c_preprocessor_undefinitions,
                  c->c_user_include_directories, c->c_system_include_directories,
                  c->c_undefine_all_preprocessor_definitions, c->c_ignore_includes,
                  c->build_treat_warnings_as_errors, c->build_suppress_warnings,
                  c->build_debug_information, c->build_quietly, c->default_code_section,
                  c->default_data_section, c->default_zeroed_section, c->default_const_section,
                  c->default_vector_section, c->compile_pre_build_command,
                  c->compile_pre_build_command_wd, c->compile_post_build_command,
                  c->compile_post_build_command_wd});
    append(list, c->compilerToolProperties);
}

void StandardProjectSystem::appendCCompilerProperties(ProjectElement *e,
                                                      const QString &configuration,
                                                      PropertyClassList *list) const
{
    if (const BuildPropertyCatalogue *c = buildPropertyCatalogue)
        append(list, {c->c_additional_options, c->c_additional_options_from_file,
                      c->c_enforce_ansi_checking, c->c_only_additional_options,
                      c->c_only_additional_options_from_file});
    appendCompilerProperties(e, configuration, list);
}

// RTTI is offered beside exceptions because the compiler and the library choice read both.
void StandardProjectSystem::appendCppCompilerProperties(ProjectElement *, const QString &,
                                                        PropertyClassList *list) const
{
    if (const BuildPropertyCatalogue *c = buildPropertyCatalogue)
        append(list, {c->cpp_only_additional_options, c->cpp_only_additional_options_from_file,
                      c->cpp_enable_exceptions, c->cpp_enable_rtti});
}

void StandardProjectSystem::appendAssemblerProperties(ProjectElement *e,
                                                      const QString &configuration,
                                                      PropertyClassList *list) const
{
    if (const BuildPropertyCatalogue *c = buildPropertyCatalogue)
        append(list, {c->asm_additional_options, c->asm_additional_options_from_file});
    appendCompilerProperties(e, configuration, list);
}

void StandardProjectSystem::appendLinkerProperties(ProjectElement *, const QString &,
                                                   PropertyClassList *list) const
{
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (!c)
        return;
    append(list, {c->linker_memory_map_file, c->linker_memory_map_macros, c->linker_map_file,
                  c->linker_section_placement_file, c->linker_section_placement_macros,
                  c->link_include_standard_libraries, c->link_standard_libraries_directory,
                  c->link_use_multi_threaded_libraries, c->link_IOLibraryName,
                  c->linker_additional_files, c->linker_additional_options,
                  c->linker_additional_options_from_file, c->linker_output_format,
                  c->linker_printf_fmt_level, c->linker_printf_fp_enabled,
                  c->linker_printf_width_precision_supported, c->linker_scanf_fmt_level,
                  c->linker_scanf_fp_enabled, c->linker_scanf_character_group_matching_enabled,
                  c->linker_pre_build_command, c->linker_pre_build_command_wd,
                  c->linker_patch_build_command, c->linker_patch_build_command_wd,
                  c->linker_post_build_command, c->linker_post_build_command_wd,
                  c->link_symbol_definitions, c->linker_keep_symbols});
    append(list, c->linkerToolProperties);
}

void StandardProjectSystem::appendArchiverProperties(ProjectElement *, const QString &,
                                                     PropertyClassList *) const
{
}

void StandardProjectSystem::appendDefaultProjectValues(PropertyValueList *, const QString &) const
{
}

void StandardProjectSystem::appendTargetProperties(ProjectElement *, const QString &,
                                                   PropertyClassList *list) const
{
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (!c)
        return;
    append(list, {c->target_reset_script, c->target_attach_script, c->target_go_script,
                  c->target_stop_script, c->target_connect_script, c->target_disconnect_script,
                  c->target_debug_begin_script, c->target_debug_end_script,
                  c->target_extras_script, c->arm_linker_jtag_pad_pre_ir,
                  c->arm_linker_jtag_pad_post_ir, c->arm_linker_jtag_pad_pre_dr,
                  c->arm_linker_jtag_pad_post_dr, c->debug_command_arguments,
                  c->debug_working_directory, c->debug_additional_load_file,
                  c->debug_additional_load_file_address, c->debug_additional_load_file_type,
                  c->debug_entry_point_symbol});
}

void StandardProjectSystem::appendSolutionProperties(ProjectElement *e,
                                                     const QString &configuration,
                                                     PropertyClassList *list) const
{
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (c)
        append(list, {c->build_output_directory, c->build_root_output_directory,
                      c->build_intermediate_directory});
    appendCCompilerProperties(e, configuration, list);
    appendCppCompilerProperties(e, configuration, list);
    appendAssemblerProperties(e, configuration, list);
    appendLinkerProperties(e, configuration, list);
    if (c)
        append(list, {c->stage_post_build_command, c->stage_post_build_command_wd,
                      c->stage_command, c->stage_command_wd, c->stage_output_filepath,
                      c->stage_set_readonly});
}

void StandardProjectSystem::appendCompilerGroups(ProjectElement *e, const QString &configuration,
                                                 PropertyClassList *list) const
{
    appendCCompilerProperties(e, configuration, list);
    appendCppCompilerProperties(e, configuration, list);
}

void StandardProjectSystem::appendProjectProperties(ProjectElement *e,
                                                    const QString &configuration,
                                                    PropertyClassList *list,
                                                    const QString &projectType) const
{
    append(list, {projectDependenciesProperty(), macrosProperty()});
    const BuildPropertyCatalogue *c = buildPropertyCatalogue;
    if (!c)
        return;
    if (projectType == kExecutable) {
        append(list, {c->build_output_directory, c->build_intermediate_directory,
                      c->build_object_file_name});
        appendCompilerGroups(e, configuration, list);
        appendAssemblerProperties(e, configuration, list);
        appendLinkerProperties(e, configuration, list);
        appendTargetProperties(e, configuration, list);
        append(list, {c->build_output_file_name, c->property_groups_file_path});
    } else if (projectType == kLibrary) {
        append(list, {c->build_output_directory, c->build_intermediate_directory,
                      c->build_object_file_name});
        appendCompilerGroups(e, configuration, list);
        appendAssemblerProperties(e, configuration, list);
        appendArchiverProperties(e, configuration, list);
        append(list, {c->build_output_file_name_library});
    } else if (projectType == kObjectFile) {
        append(list, {c->build_output_directory, c->build_object_file_name});
        appendCompilerGroups(e, configuration, list);
        appendAssemblerProperties(e, configuration, list);
    } else if (projectType == kStaging) {
        append(list, {c->build_output_directory, c->stage_post_build_command,
                      c->stage_post_build_command_wd, c->stage_command, c->stage_command_wd,
                      c->stage_output_filepath, c->stage_set_readonly});
    } else if (projectType == kCombining) {
        append(list, {c->build_output_directory, c->combine_command, c->combine_command_wd,
                      c->combine_output_filepath, c->combine_set_readonly});
    } else if (projectType == kExternallyBuilt) {
        append(list, {c->external_build_file_name, c->external_build_command,
                      c->external_clean_command, c->external_load_address,
                      c->external_start_address, c->external_load_file_type,
                      c->external_debug_symbols_file_name,
                      c->external_debug_symbols_load_address});
        appendTargetProperties(e, configuration, list);
        append(list, {c->property_groups_file_path, c->linker_memory_map_file,
                      c->linker_memory_map_macros});
    }
}

QString StandardProjectSystem::assemblyCodeFileExtension() const
{
    return QString();
}

ProjectElement *StandardProjectSystem::addFile(ProjectElement *parent, const QString &fileName,
                                               bool flag)
{
    return ::addFile(*this, parent, fileName, flag);
}

std::shared_ptr<ProjectTemplates> StandardProjectSystem::openProjectTemplates()
{
    return std::make_shared<ProjectTemplates>();
}

bool StandardProjectSystem::instantiateProjectTemplate(ProjectTemplates *templates,
                                                       ProjectElement *solution,
                                                       ProjectElement *project,
                                                       const QString &templateName)
{
    XMLElement *templ = templates ? templates->findTemplate(templateName) : nullptr;
    if (!templ)
        return false;
    templates->createProjectFromTemplate(solution, project, templ);
    return true;
}

void StandardProjectSystem::populateDynamicFolder(ProjectElement *folder)
{
    ::populateDynamicFolder(*this, folder);
}
