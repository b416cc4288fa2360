#include "project/dynamic_folders.h"

#include "macros/macro_system.h"
#include "solution_fixture.h"

namespace {

class DynamicFoldersTest : public ARMSolutionFixture
{
protected:
    QStringList files(ProjectElement *e)
    {
        QStringList names;
        for (ProjectElement *c = e->firstChild; c; c = c->nextSibling)
            if (c->isFile())
                names.append(c->getFileName());
        return names;
    }
};

TEST_F(DynamicFoldersTest, AddedFilesGoToTheFolderWhoseFilterTakesTheirExtension)
{
    ProjectElement *sources = system->createFolder(project, "Source Files", "c;cpp", false);
    ProjectElement *assembly = system->createFolder(project, "Assembly", "s,asm", false);
    ProjectElement *bare = system->createFolder(project, "Bare", "", false);

    struct Case
    {
        const char *name;
        ProjectElement *parent;
        ProjectElement *expected;
    };
    const Case cases[] = {
        {"x.S", project, assembly},        {"src/main.c", project, sources},
        {"Lib.CPP", project, sources},     {"boot.asm", project, assembly},
        {"readme.txt", project, project},  {"Makefile", project, project},
        {"other.c", bare, bare},           {"deep.s", sources, sources},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ProjectElement *file = addFile(*system, c.parent, c.name, true);
        EXPECT_EQ(file->parent, c.expected);
        EXPECT_TRUE(file->isFile());
        EXPECT_EQ(file->getFileName(), c.name);
        EXPECT_TRUE(file->creationFlag);
        EXPECT_EQ(file->parent->firstChild ? files(file->parent).last() : QString(), c.name);
    }
}

TEST_F(DynamicFoldersTest, FolderAttributeFilterComesBeforeItsFilterProperty)
{
    ProjectElement *headers = system->createFolder(project, "Headers", "c", false);
    headers->setAttribute("filter", "h", false);
    ProjectElement *sources = system->createFolder(project, "Sources", "c", false);
    EXPECT_EQ(addFile(*system, project, "a.h", false)->parent, headers);
    EXPECT_EQ(addFile(*system, project, "a.c", false)->parent, sources);
}

// A macro in the path is expanded to list the directory but kept in the names.
TEST_F(DynamicFoldersTest, DynamicFolderListsMatchingPlainFilesOfItsDirectory)
{
    write("src/main.c", QString("int main;"));
    write("src/util.c", QString(""));
    write("src/notes.txt", QString(""));
    write("src/sub/inner.c", QString(""));
    write("src/boot.s", QString(""));
    const QString saved = macroSystem.systemMacro("KestrelTestLib");
    macroSystem.setSystemMacro("KestrelTestLib", path("src"));
    const auto folder = [&](const char *path, const char *filter) {
        auto *f = new ProjectElement("folder");
        project->appendChild(f);
        f->setAttribute("path", path, false);
        f->setAttribute("filter", filter, false);
        return f;
    };
    ProjectElement *plain = folder("src", "*.c;*.s");
    addFile(*system, plain, "src/main.c", false);
    populateDynamicFolder(*system, plain);
    EXPECT_EQ(files(plain), QStringList({"src/main.c", "src/boot.s", "src/util.c"}));
    for (ProjectElement *c = plain->firstChild; c; c = c->nextSibling)
        EXPECT_FALSE(c->creationFlag);
    // Populating again finds nothing new.
    populateDynamicFolder(*system, plain);
    EXPECT_EQ(files(plain).size(), 3);

    ProjectElement *macro = folder("$(KestrelTestLib)", "*.c");
    populateDynamicFolder(*system, macro);
    macroSystem.setSystemMacro("KestrelTestLib", saved);
    EXPECT_EQ(files(macro), QStringList({"$(KestrelTestLib)/main.c", "$(KestrelTestLib)/util.c"}));
}

TEST_F(DynamicFoldersTest, LoadingPopulatesDynamicFoldersAndLeavesTheTreeClean)
{
    write("p/src/main.c", QString(""));
    write("p/src/extra.c", QString(""));
    ProjectElement *loaded = load(
        "<project Name=\"App\"><configuration Name=\"Common\" project_directory=\"p\"/>"
        "<folder Name=\"Src\" path=\"src\" filter=\"*.c\"><file file_name=\"src/main.c\"/>"
        "</folder></project>");
    ProjectElement *app = system->findProject(loaded, "App");
    ASSERT_NE(app, nullptr);
    ProjectElement *folder = system->findFolder(app, "Src");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(files(folder), QStringList({"src/main.c", "src/extra.c"}));
    EXPECT_FALSE(folder->modified);
    EXPECT_FALSE(folder->firstChild->nextSibling->modified);
    EXPECT_EQ(system->getFileType(folder->firstChild->nextSibling), "C");
}

} // namespace
