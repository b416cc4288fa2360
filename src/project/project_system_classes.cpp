// The property classes the project system itself defines, and their registration with the
// build system's catalogue.
#include "project/project_system.h"

#include "engine/build_system.h"
#include "host/product.h"
#include "project/property_class.h"
#include "project/property_value_list.h"

#include <QStringConverter>

namespace {

const QString kGeneral = QStringLiteral("General");
const QString kBuild = QStringLiteral("Build");
const QString kInformation = QStringLiteral("(Information)");
const QString kFileOptions = QStringLiteral("File Options");
const QString kFolderOptions = QStringLiteral("Folder Options");
const QString kBuildOptions = QStringLiteral("Build Options");
const QString kGeneralOptions = QStringLiteral("General Options");
const QString kDefault = QStringLiteral("Default");

const char kFileNameHelp[] =
    "The name of the file. This property will have global macro expansion applied to it. The "
    "following macros are set based on the value.<ul><li>$(InputDir) - relative directory of "
    "file.</li><li>$(InputName) - file name without directory or extension.</li>"
    "<li>$(InputFileName) - file name.</li><li>$(InputExt) - file name extension.</li>"
    "<li>$(InputPath) - absolute path to the file name.</li><li>$(RelInputPath) - relative path "
    "from project directory to the file name.</li></ul>";

// "Default" (the reader's own choice) and then every encoding the host converts.
QStringList codecNames()
{
    QStringList names{kDefault};
    for (int e = 0; e <= int(QStringConverter::LastEncoding); ++e) {
        if (const char *name = QStringConverter::nameForEncoding(QStringConverter::Encoding(e)))
            names.append(QString::fromLatin1(name));
    }
    return names;
}

PropertyClass *information(const QString &name, const QString &page, const QString &group,
                           const QString &title, const QString &help, const QString &dflt)
{
    auto *c = new PropertyClass(name, PropertyClass::String, page, group, title, help, dflt);
    c->setReadOnly(true);
    return c;
}

PropertyClass *common(PropertyClass *c)
{
    c->setPerConfiguration(false);
    return c;
}

} // namespace

ProjectSystem::ProjectSystem(const QStringList &fileTypes, const QStringList &projectTypes)
    : m_fileTypes(fileTypes), m_projectTypes(projectTypes)
{
    createPropertyClasses();
}

ProjectSystem::~ProjectSystem()
{
    closeSolution();
    unregisterPropertyClasses();
    qDeleteAll(m_propertyClasses);
    if (projectSystem == this)
        projectSystem = nullptr;
}

// The catalogue must not keep pointers to classes that die with us; another project system
// (or a later owner) may have registered the same names, so ours are taken out one by one.
void ProjectSystem::unregisterPropertyClasses()
{
    for (const PropertyClass *c : std::as_const(m_registered))
        BuildSystem::removePropertyClass(c);
    m_registered.clear();
}

PropertyClass *ProjectSystem::addClass(PropertyClass *c, bool registered)
{
    m_propertyClasses.append(c);
    if (registered) {
        m_registered.append(c);
        BuildSystem::addPropertyClass(c);
    }
    return c;
}

void ProjectSystem::createPropertyClasses()
{
    m_dateCreated =
        addClass(information(QStringLiteral("date_created"), kGeneral, kInformation,
                             QStringLiteral("Date Created"),
                             QStringLiteral("The date/time the file was created."), QString()),
                 false);
    m_dateModified = addClass(
        information(QStringLiteral("date_modified"), kGeneral, kInformation,
                    QStringLiteral("Date Modified"),
                    QStringLiteral("The date/time the file was last modified."), QString()),
        false);
    m_platform = addClass(
        information(QStringLiteral("Platform"), kGeneral, kInformation, QStringLiteral("Platform"),
                    QStringLiteral("Specifies the platform for the project. The macro "
                                   "$(Platform) is set to this value."),
                    Get_PLATFORM()),
        true);
    m_fullPath =
        addClass(information(QStringLiteral("full_path"), kGeneral, kInformation,
                             QStringLiteral("Full Path"),
                             QStringLiteral("Specifies a full path to the file."), QString()),
                 false);
    m_relativePath =
        addClass(information(QStringLiteral("relative_path"), kGeneral, kInformation,
                             QStringLiteral("Relative Path"),
                             QStringLiteral("Path of the file relative to the project directory."),
                             QString()),
                 false);
    m_name =
        addClass(information(QStringLiteral("Name"), kGeneral, kInformation, QStringLiteral("Name"),
                             QStringLiteral("Names the item. The macro $(ProjectNodeName) "
                                            "is set to this value."),
                             QString()),
                 true);
    m_fileName = addClass(information(QStringLiteral("file_name"), kGeneral, kInformation,
                                      QStringLiteral("File Name"),
                                      QString::fromLatin1(kFileNameHelp), QString()),
                          true);
    createFileOptionClasses();
    createFolderAndBuildClasses();
}

void ProjectSystem::createFileOptionClasses()
{
    m_fileCodec = addClass(
        common(new PropertyClass(
            QStringLiteral("file_codec"), PropertyClass::Enumeration, codecNames(), kGeneral,
            kFileOptions, QStringLiteral("File Encoding"),
            QStringLiteral("Specifies the encoding to use when reading and writing the file."),
            kDefault)),
        true);
    m_fileOpenWith = addClass(
        common(new PropertyClass(
            QStringLiteral("file_open_with"), PropertyClass::Enumeration,
            {kDefault, QStringLiteral("Text Editor"), QStringLiteral("Binary Editor"),
             QStringLiteral("Datasheet Viewer"), QStringLiteral("Web Browser"),
             QStringLiteral("Run File")},
            kGeneral, kFileOptions, QStringLiteral("File Open Action"),
            QStringLiteral("Specifies how to open the file when it is double clicked."), kDefault)),
        true);
    m_fileType =
        addClass(common(new PropertyClass(
                     QStringLiteral("file_type"), PropertyClass::Enumeration,
                     QStringList{kDefault} + m_fileTypes, kGeneral, kFileOptions,
                     QStringLiteral("File Type"),
                     QStringLiteral("The type of file. Default setting uses the file extension to "
                                    "determine file type."),
                     kDefault)),
                 true);
    m_fileTag = addClass(
        common(new PropertyClass(
            QStringLiteral("file_tag"), PropertyClass::Enumeration,
            {QStringLiteral("None"), QStringLiteral("Red"), QStringLiteral("Orange"),
             QStringLiteral("Yellow"), QStringLiteral("Green"), QStringLiteral("Blue"),
             QStringLiteral("Purple"), QStringLiteral("Dark Red")},
            kGeneral, kFileOptions, QStringLiteral("Tag"),
            QStringLiteral("File tag which you can use to draw attention to important files in "
                           "your project."),
            QStringLiteral("None"))),
        true);
}

void ProjectSystem::createFolderAndBuildClasses()
{
    const QString dynamicHelp = QStringLiteral("Dynamic folder directory specification.");
    m_folderFilter = addClass(
        common(new PropertyClass(
            QStringLiteral("filter"), PropertyClass::StringList, kGeneral, kFolderOptions,
            QStringLiteral("Filter"),
            QStringLiteral("A filter used when adding new files to the project."), QString())),
        true);
    m_dynamicFolderPath =
        new PropertyClass(QStringLiteral("path"), PropertyClass::DirPath, kGeneral, kFolderOptions,
                          QStringLiteral("Dynamic Folder Directory"), dynamicHelp, QString());
    m_dynamicFolderPath->setReadOnly(true);
    addClass(m_dynamicFolderPath, true);
    m_dynamicFolderFilter =
        addClass(information(QStringLiteral("filter"), kGeneral, kFolderOptions,
                             QStringLiteral("Dynamic Folder Filter"), dynamicHelp, QString()),
                 true);
    m_projectType =
        addClass(common(new PropertyClass(
                     QStringLiteral("project_type"), PropertyClass::Enumeration, m_projectTypes,
                     kBuild, kBuildOptions, QStringLiteral("Project Type"),
                     QStringLiteral("Specifies the type of project to build. The options are <b>") +
                         m_projectTypes.join(QStringLiteral(", ")) + QStringLiteral("</b>."),
                     QStringLiteral("Executable"))),
                 true);
    m_solutionName =
        addClass(information(QStringLiteral("name"), kInformation, kInformation,
                             QStringLiteral("Solution File Name"),
                             QStringLiteral("The name of the solution file."), QString()),
                 false);
    m_projectDirectory = addClass(
        information(QStringLiteral("project_directory"), kBuild, kBuildOptions,
                    QStringLiteral("Project Directory"),
                    QStringLiteral("Path of the project directory relative to the directory "
                                   "containing the project file. The macro $(ProjectDir) is set "
                                   "to the absolute path of this property."),
                    QString()),
        true);
    m_fullProjectDirectory = addClass(
        information(QStringLiteral("full_project_directory"), kInformation, kInformation,
                    QStringLiteral("Full Project Directory"),
                    QStringLiteral("Specifies a full path to the project directory."), QString()),
        false);
    createListClasses();
}

void ProjectSystem::createListClasses()
{
    m_projectDependencies = addClass(
        new PropertyClass(QStringLiteral("project_dependencies"), PropertyClass::StringList, kBuild,
                          kBuildOptions, QStringLiteral("Project Dependencies"),
                          QStringLiteral("Specifies the projects the current project depends "
                                         "upon."),
                          QString()),
        true);
    m_macros = addClass(
        new PropertyClass(QStringLiteral("macros"), PropertyClass::StringList, kBuild,
                          kBuildOptions, QStringLiteral("Project Macros"),
                          QStringLiteral("Specifies macro values which are expanded in project "
                                         "properties. Each macro is defined as <b>name=value</b> "
                                         "and are seperated by <b>;</b>."),
                          QString()),
        true);
    m_batchBuild =
        addClass(common(new PropertyClass(
                     QStringLiteral("batch_build_configurations"), PropertyClass::StringList,
                     kBuild, kGeneralOptions, QStringLiteral("Batch Build Configurations"),
                     QStringLiteral("The set of configurations to batch build."), QString())),
                 true);
    m_inherited = addClass(
        new PropertyClass(QStringLiteral("inherited_configurations"), PropertyClass::StringList,
                          kBuild, kGeneralOptions, QStringLiteral("Inherited Configurations"),
                          QStringLiteral("The list of configurations that are inherited by "
                                         "this configuration."),
                          QString()),
        true);
}

PropertyValueList *ProjectSystem::applicableSettingsFor(ProjectElement *, const QString &) const
{
    return new PropertyValueList(true);
}

QString ProjectSystem::getFileType(ProjectElement *) const
{
    return QString();
}

void ProjectSystem::munge(ProjectElement *) {}
