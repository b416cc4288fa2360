#include "solution_fixture.h"

#include "project/munge.h"
#include "project/property_class.h"

#include <QFileInfo>
#include <functional>

namespace {

using LoadTest = SolutionFixture;

// Records which roots were converted, to see the loader's version handling.
class RecordingSystem : public ProjectSystem
{
public:
    void munge(ProjectElement *e) override
    {
        munged.append(e->getName());
        ::munge(e, 3);
    }
    QStringList munged;
};

class MungeLoadTest : public SolutionFixture
{
protected:
    std::unique_ptr<ProjectSystem> makeSystem() override
    {
        return std::make_unique<RecordingSystem>();
    }
    RecordingSystem *recording() { return static_cast<RecordingSystem *>(system.get()); }
};

} // namespace

TEST_F(LoadTest, BuildsTheTreeInDocumentOrderAndMarksItClean)
{
    ProjectElement *s = load(R"(
        <configuration Name="Debug" hidden="Yes"/>
        <project Name="App">
          <configuration Name="Common" project_directory="app"/>
          <folder Name="Source"><file file_name="main.c"><configuration Name="Debug" x="1"/></file></folder>
          <file file_name="readme.txt"/>
        </project>
        <solution Name="Inner"><project Name="P">
          <configuration Name="Common" project_directory="p"/></project></solution>)");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(childNames(s),
              (QStringList{"configuration:Debug", "project:App", "solution:Inner"}));
    // A solution nested in the file qualifies its projects and shares the file's directory.
    EXPECT_EQ(system->projectNames(), (QStringList{"App", "P(Inner)"}));
    EXPECT_EQ(system->projectDirectoryPath(system->findProject(s, "P(Inner)")), path("p"));
    ProjectElement *app = system->findProject(s, "App");
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(childNames(app),
              (QStringList{"configuration:Common", "folder:Source", "file:readme.txt"}));
    EXPECT_EQ(system->projectDirectoryPath(app), path("app"));
    EXPECT_EQ(s->absolutePath.filePath(), QFileInfo(path("s.zav")).absoluteFilePath());
    EXPECT_TRUE(s->loadTime.isValid());
    EXPECT_EQ(system->solutionFilePath(), path("s.zav"));

    ProjectElement *file = system->findByName(s, "main.c");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->getConfigurationElement("Debug")->attribute("x"), "1");
    for (ProjectElement *n : {s, app, file, file->firstChild}) {
        EXPECT_FALSE(n->modified);
        EXPECT_TRUE(n->attributeTimes.isEmpty());
    }
}

TEST_F(LoadTest, ImportedProjectsAreQualifiedByTheChainOfSolutions)
{
    write("lib/lib.zav", solutionText(R"(<project Name="A"/><project Name="L"/>
                                         <import file_name="core/core.zav"/>)",
                                      R"(Name="Lib" version="2")"));
    write("lib/core/core.zav",
          solutionText(R"(<project Name="App"/>)", R"(Name="Core" version="2")"));
    ProjectElement *s = load(R"(<project Name="A"/><import file_name="lib/lib.zav"/>
                                <folder Name="F"><project Name="Hidden"/></folder>)");
    EXPECT_EQ(system->projectNames(), (QStringList{"A", "A(Lib)", "App(Lib,Core)", "L(Lib)"}));
    EXPECT_EQ(system->solutionNames(), (QStringList{"Lib", "Lib,Core", "S"}));

    ProjectElement *lib = system->solutionSolutions().value("Lib");
    ASSERT_NE(lib, nullptr);
    EXPECT_TRUE(lib->imported);
    EXPECT_EQ(lib->getFileName(), "lib/lib.zav");
    EXPECT_EQ(lib->absolutePath.filePath(), path("lib/lib.zav"));
    EXPECT_EQ(lib->projects.keys(), (QStringList{"A", "App(Core)", "L"}));

    // From inside the import a plain name means the import's own project first.
    ProjectElement *libA = system->findProject(s, "A(Lib)");
    EXPECT_EQ(system->findProject(system->findProject(s, "L(Lib)"), "A"), libA);
    EXPECT_NE(system->findProject(s, "A"), libA);
    EXPECT_EQ(system->getGlobalProjectName(libA), "A(Lib)");
    EXPECT_TRUE(system->getGlobalProjectName(system->findByName(s, "Hidden")).isNull());
    EXPECT_EQ(system->findProject(s, "Hidden"), nullptr);
}

TEST_F(LoadTest, BadXmlCarriesTheReaderLine)
{
    const QString bad = write("bad.zav", QString("<!DOCTYPE Quillmark_Project_File>\n"
                                                 "<solution>\n<project></solution>"));
    try {
        system->loadSolution(bad, nullptr, nullptr);
        FAIL() << "loaded";
    } catch (const SolutionLoadError &e) {
        EXPECT_TRUE(e.badXml);
        EXPECT_EQ(e.name, bad);
        EXPECT_EQ(e.line, 2);
        EXPECT_EQ(e.column, 0);
    }
}

TEST_F(LoadTest, MissingImportIsRetriedThroughTheHandler)
{
    struct Handler : ProjectFileNotFoundErrorHandler
    {
        bool retry(const QString &fileName) override
        {
            asked.append(fileName);
            writeFile(fileName);
            return true;
        }
        std::function<void(const QString &)> writeFile;
        QStringList asked;
    } handler;
    handler.writeFile = [this](const QString &) {
        write("late.zav", solutionText(R"(<project Name="Late"/>)", R"(Name="L" version="2")"));
    };
    const QString top = write("top.zav", solutionText(R"(<import file_name="late.zav"/>)"));
    system->loadSolution(top, &handler, nullptr);
    EXPECT_EQ(handler.asked, (QStringList{"late.zav"}));
    EXPECT_EQ(system->projectNames(), (QStringList{"Late(L)"}));
}

TEST_F(LoadTest, LookupsByNameAndFileName)
{
    ProjectElement *s = load(R"(
        <project Name="P">
          <folder Name="Src"><file file_name="./main.c"/><file file_name="src/main.c"/></folder>
          <folder Name="Src"/>
          <file file_name="main.c"/>
        </project>
        <project Name="Q"><file file_name="q.c"/></project>)");
    ProjectElement *p = system->findProject(s, "P");
    ProjectElement *src = system->findFolder(p, "Src");
    ASSERT_NE(src, nullptr);
    EXPECT_EQ(src, p->firstChild);
    EXPECT_EQ(system->findFile(src, "main.c"), nullptr);
    EXPECT_EQ(system->findFile(src, "src/main.c"), src->firstChild->nextSibling);
    EXPECT_EQ(system->findFile(p, "main.c"), src->nextSibling->nextSibling);
    EXPECT_EQ(system->findFolder(p, "Inc"), nullptr);
    // The search goes on into the following siblings, but never up.
    EXPECT_EQ(system->findByName(p, "q.c"), system->findProject(s, "Q")->firstChild);
    EXPECT_EQ(system->findByName(system->findProject(s, "Q"), "main.c"), nullptr);
    EXPECT_EQ(system->numProjects(s), 2);
    EXPECT_EQ(system->projectContaining(src->firstChild), p);
    EXPECT_EQ(system->solutionContaining(src->firstChild), s);
    EXPECT_EQ(system->defaultFileLocation(src), system->projectDirectoryPath(p));
    EXPECT_TRUE(system->defaultFileLocation(s).isNull());
}

TEST_F(LoadTest, CreationOperations)
{
    ProjectElement *s = system->createSolution("New", dir.path() + "/made");
    EXPECT_TRUE(QFileInfo(dir.path() + "/made").isDir());
    EXPECT_EQ(system->solutionFilePath(), dir.path() + "/made/New.zav");
    EXPECT_EQ(s->attribute("version"), "2");
    ProjectElement *p = system->createProject(s, "App", dir.path() + "/made/app", "Library");
    EXPECT_EQ(system->projectNames(), (QStringList{"App"}));
    EXPECT_EQ(system->getProjectType(p), "Library");
    EXPECT_EQ(system->specificSettingFor(p, system->projectDirectoryProperty(), "Common"), "app");
    EXPECT_EQ(system->projectDirectoryPath(p), dir.path() + "/made/app");

    ProjectElement *f = system->createFolder(p, "Source", "c;h", true);
    EXPECT_EQ(system->createFolder(p, "Source", "s", false), f);
    EXPECT_TRUE(f->creationFlag);
    EXPECT_EQ(system->specificSettingFor(f, system->folderFilterProperty(), "Common"), "c;h");
    ProjectElement *plain = system->createFolder(p, "Docs", "", false);
    EXPECT_EQ(plain->numConfigurationElements(), 0);

    system->setProperty(p, "defs", "Debug", "A", true);
    system->setProperty(p, "more", "Debug", "B", false);
    EXPECT_EQ(p->numConfigurationElements(), 2);
    EXPECT_EQ(system->findConfiguration(p, "Debug")->attribute("more"), "B");
    system->loadedSolution();
    EXPECT_FALSE(p->modified);
    EXPECT_TRUE(system->findConfiguration(p, "Debug")->attributeTimes.isEmpty());
}

TEST_F(MungeLoadTest, OlderFilesAreConvertedAndGetTheCurrentVersion)
{
    write(
        "old.zav",
        solutionText(
            R"(<project Name="P"><file file_name="$(StudioDir)/targets/Board/flash.xml"/></project>)",
            R"(Name="Old" version="1")"));
    write("none.zav", solutionText("", R"(Name="None")"));
    const QString top = write(
        "top.zav", solutionText(R"(<import file_name="old.zav"/><import file_name="none.zav"/>)"));
    system->loadSolution(top, nullptr, nullptr);
    EXPECT_EQ(recording()->munged, (QStringList{"Old", "None"}));
    ProjectElement *old = system->solutionSolutions().value("Old");
    EXPECT_EQ(old->attribute("version"), "2");
    EXPECT_EQ(system->solutionSolutions().value("None")->attribute("version"), "2");
    EXPECT_EQ(system->findProject(old, "P")->firstChild->getFileName(),
              "$(TargetsDir)/Board/flash.xml");
    EXPECT_TRUE(system->findProject(old, "P")->firstChild->attributeTimes.isEmpty());
}
