// The property reference and the solution schema against the catalogue they are written from,
// and the schema against every solution file the project ships and every project a template
// creates.
#include "driver/property_reference.h"
#include "driver/solution_vocabulary.h"
#include "engine/arm_build_system.h"
#include "engine/build_property_catalogue.h"
#include "engine/build_system.h"
#include "engine/standard_build_system.h"
#include "project/arm_project_system.h"
#include "project/project_element.h"
#include "project/project_templates.h"
#include "project/property_class.h"
#include "support/qt_printers.h"
#include "support/run_kestrel.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString schemaPath()
{
    return kestrelRootDir() + "/share/kestrel/zav.xsd";
}

QSet<QString> catalogueNames()
{
    QSet<QString> names;
    for (const PropertyClass *property : BuildSystem::propertyClasses())
        names.insert(property->saveName());
    return names;
}

QSet<QString> matches(const QString &text, const QString &pattern)
{
    QSet<QString> found;
    auto it = QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text);
    while (it.hasNext())
        found.insert(it.next().captured(1));
    return found;
}

// The solution file a project system would write for `node`.
void writeElement(QString &out, const ProjectElement *node, int depth)
{
    const QString indent(depth * 2, u' ');
    out += indent + u'<' + node->getTagName();
    for (auto it = node->attributeMap.cbegin(); it != node->attributeMap.cend(); ++it)
        out += u' ' + it.key() + QStringLiteral("=\"") + it.value().toHtmlEscaped() + u'"';
    if (!node->firstChild) {
        out += QStringLiteral("/>\n");
        return;
    }
    out += QStringLiteral(">\n");
    for (const ProjectElement *child = node->firstChild; child; child = child->nextSibling)
        writeElement(out, child, depth + 1);
    out += indent + QStringLiteral("</") + node->getTagName() + QStringLiteral(">\n");
}

RunResult validate(const QStringList &files)
{
    return runProgram("xmllint", QStringList{"--noout", "--schema", schemaPath()} + files,
                      kestrelRootDir());
}

// The fixtures written to be broken: the load errors kept together under fixtures/bad/, those
// named broken*.zav (the solution checks' misspellings), and those that are not even
// well-formed XML (one xmllint run tells them all).
QStringList brokenOnPurpose(const QStringList &files)
{
    const RunResult parsed = runProgram("xmllint", QStringList{"--noout"} + files,
                                        kestrelRootDir());
    QStringList broken;
    for (const QString &file : files) {
        if (file.contains("/fixtures/bad/") || QFileInfo(file).fileName().startsWith("broken")
            || parsed.err.contains(file + ":"))
            broken.append(file);
    }
    return broken;
}

class SolutionReference : public ::testing::Test
{
protected:
    void SetUp() override
    {
        projectSystem = new ARMProjectSystem(QStringLiteral(".elf"));
        // As the build writes them: without a build options file.
        m_catalogue = std::make_unique<BuildPropertyCatalogue>(QStringList(), QString(""));
        buildPropertyCatalogue = m_catalogue.get();
        m_build = std::make_unique<ARMBuildSystem>(QStringList());
        buildSystem = m_build.get();
    }

    void TearDown() override
    {
        buildSystem = nullptr;
        m_build.reset();
        m_catalogue.reset();
        delete projectSystem;
        projectSystem = nullptr;
    }

    std::unique_ptr<BuildPropertyCatalogue> m_catalogue;
    std::unique_ptr<ARMBuildSystem> m_build;
};

// Adding a property to the catalogue without writing the reference again fails here.
TEST_F(SolutionReference, ReferenceAndSchemaListExactlyTheCatalogue)
{
    const SolutionVocabulary vocabulary;
    const QString tracked = readTextFile(kestrelSourceDir() + "/docs/properties.md");
    EXPECT_TRUE(tracked == propertyReferenceMarkdown(vocabulary))
        << "docs/properties.md is out of date: copy build/share/doc/kestrel/properties.md";
    EXPECT_TRUE(readTextFile(schemaPath()) == solutionSchema(vocabulary));

    const QSet<QString> catalogue = catalogueNames();
    ASSERT_GT(catalogue.size(), 150);
    EXPECT_EQ(matches(tracked, R"(^### `(\w+)`$)"), catalogue);
    const QString schema = readTextFile(schemaPath());
    const qsizetype names = schema.indexOf("<xs:simpleType name=\"PropertyName\">");
    const QString nameType = schema.mid(names, schema.indexOf("</xs:simpleType>", names) - names);
    EXPECT_EQ(matches(nameType, R"re(<xs:enumeration value="(\w+)"/>)re"),
              catalogue + QSet<QString>{"hidden"});
    // Every property the catalogue has is an attribute of the solution's configurations.
    const qsizetype config = schema.indexOf("<xs:complexType name=\"SolutionConfiguration\">");
    const QString configType = schema.mid(config, schema.indexOf("</xs:complexType>", config) - config);
    QSet<QString> notOnConfigurations = catalogue - matches(configType, R"re(name="(\w+)")re");
    // Element attributes only, and the one the build shows but never reads.
    EXPECT_EQ(notOnConfigurations, (QSet<QString>{"file_name", "path", "build_action"}));
}

TEST_F(SolutionReference, SchemaAcceptsEverySolutionShippedAndEveryTemplateProject)
{
    ASSERT_FALSE(QStandardPaths::findExecutable("xmllint").isEmpty())
        << "xmllint is missing: scripts/setup installs libxml2-utils";
    QStringList solutions;
    for (const char *top : {"examples", "tests", "targets"}) {
        const QString folder = kestrelSourceDir() + '/' + top;
        for (const QString &relative : sourceFiles(folder)) {
            if (relative.endsWith(".zav"))
                solutions.append(folder + '/' + relative);
        }
    }
    for (const QString &broken : brokenOnPurpose(solutions))
        solutions.removeOne(broken);
    ASSERT_GT(solutions.size(), 30);
    QStringList files = solutions + QStringList{kestrelSourceDir() + "/targets/project_templates.xml"};

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    templatesFile = kestrelSourceDir() + "/targets/project_templates.xml";
    ProjectTemplates templates;
    const QStringList names = templates.listTemplates();
    ASSERT_FALSE(names.isEmpty());
    for (const QString &name : names) {
        ProjectElement *solution = projectSystem->createSolution(name, dir.path());
        ProjectElement *project = projectSystem->createProject(solution, name, dir.path(), "");
        templates.createProjectFromTemplate(solution, project, templates.findTemplate(name));
        QString text = QStringLiteral("<!DOCTYPE Quillmark_Project_File>\n");
        writeElement(text, solution, 0);
        const QString path = dir.path() + '/' + name + ".zav";
        ASSERT_TRUE(writeTextFile(path, text));
        files.append(path);
    }

    const RunResult result = validate(files);
    EXPECT_EQ(result.status, 0) << qPrintable(result.err);
    for (const QString &file : files)
        EXPECT_TRUE(result.err.contains(file + " validates")) << qPrintable(file);
}

TEST_F(SolutionReference, SchemaRejectsMisspeltNamesAndValuesNamingThem)
{
    ASSERT_FALSE(QStandardPaths::findExecutable("xmllint").isEmpty());
    const std::pair<const char *, const char *> cases[] = {
        {R"(<project Name="a"><configuration Name="Common" c_preprocesor_definitions="X"/></project>)",
         "attribute 'c_preprocesor_definitions': The attribute 'c_preprocesor_definitions' is not "
         "allowed"},
        // A linker setting means nothing on one file.
        {R"(<project Name="a"><file file_name="m.c"><configuration Name="Debug" linker_map_file="Yes"/></file></project>)",
         "The attribute 'linker_map_file' is not allowed"},
        {R"(<configuration Name="Debug" gcc_optimization_level="Level 4"/>)",
         "attribute 'gcc_optimization_level': [facet 'enumeration'] The value 'Level 4'"},
        {R"(<project Name="a" file_name="x"/>)", "The attribute 'file_name' is not allowed"},
    };
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const auto &[body, complaint] : cases) {
        const QString path = dir.path() + "/s.zav";
        ASSERT_TRUE(writeTextFile(path, QStringLiteral("<!DOCTYPE Quillmark_Project_File>\n"
                                                       "<solution Name=\"s\" version=\"2\">")
                                            + body + QStringLiteral("</solution>\n")));
        const RunResult result = validate({path});
        EXPECT_NE(result.status, 0) << body;
        EXPECT_TRUE(result.err.contains(complaint)) << qPrintable(result.err);
    }
}

} // namespace
