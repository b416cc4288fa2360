#include "project/standard_project_system.h"

#include "project/arm_project_system.h"
#include "project/property_class.h"
#include "solution_fixture.h"

namespace {

class FileTypeTest : public SolutionFixture
{
protected:
    std::unique_ptr<ProjectSystem> makeSystem() override
    {
        return std::make_unique<ARMProjectSystem>();
    }

    void SetUp() override
    {
        SolutionFixture::SetUp();
        solution = system->createSolution("S", dir.path());
        project = system->createProject(solution, "P", dir.path(), "Executable");
    }

    ProjectElement *file(const QString &name)
    {
        auto *f = new ProjectElement("file");
        project->appendChild(f);
        f->setFileName(name, false);
        return f;
    }

    QString typeOf(const QString &name) { return system->getFileType(file(name)); }

    ProjectElement *solution = nullptr;
    ProjectElement *project = nullptr;
};

TEST_F(FileTypeTest, TypeFollowsTheLowerCasedExtension)
{
    struct Case
    {
        const char *name;
        const char *type; // null: no type
    };
    const Case cases[] = {
        {"main.c", "C"},           {"main.C", "C"},
        {"src/x.cpp", "C++"},      {"x.CXX", "C++"},
        {"x.cc", "C++"},           {"boot.S", "Assembly"},
        {"boot.s", "Assembly"},    {"startup.asm", "Assembly"},
        {"app.elf", "Executable"}, {"libx.a", "Library"},
        {"x.o", "Object file"},    {"notes.txt", nullptr},
        {"Makefile", nullptr},     {"dir.v2/README", nullptr},
        {"archive.tar.C", "C"},    {"x.", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString type = typeOf(c.name);
        if (c.type)
            EXPECT_EQ(type, c.type);
        else
            EXPECT_TRUE(type.isNull());
    }
}

TEST_F(FileTypeTest, CommonFileTypeOverridesTheNameUnlessItIsDefault)
{
    ProjectElement *script = file("layout.c");
    system->setProperty(script, "file_type", "Common", "Linker Script", false);
    EXPECT_EQ(system->getFileType(script), "Linker Script");

    ProjectElement *plain = file("main.c");
    system->setProperty(plain, "file_type", "Common", "Default", false);
    EXPECT_EQ(system->getFileType(plain), "C");

    // Only the node's own "Common" value counts, not a configuration's or a parent's.
    ProjectElement *debugOnly = file("x.c");
    system->setProperty(debugOnly, "file_type", "Debug", "Linker Script", false);
    system->setProperty(project, "file_type", "Common", "Assembly", false);
    EXPECT_EQ(system->getFileType(debugOnly), "C");
}

TEST_F(FileTypeTest, TypeFoundFromTheNameIsKeptWhenTheFileIsRenamed)
{
    ProjectElement *f = file("main.c");
    EXPECT_EQ(system->getFileType(f), "C");
    f->setFileName("main.o", false);
    EXPECT_EQ(system->getFileType(f), "C");

    // A file of no type is looked at again: nothing was cached for it.
    ProjectElement *g = file("notes.txt");
    EXPECT_TRUE(system->getFileType(g).isNull());
    g->setFileName("notes.c", false);
    EXPECT_EQ(system->getFileType(g), "C");
}

TEST_F(FileTypeTest, XMLFilesAreClassifiedByTheirDocumentType)
{
    struct Case
    {
        const char *name;
        const char *text;
        const char *type;
    };
    const Case cases[] = {
        {"map.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE Board_Memory_Definition_File>\n<Root/>",
         "Memory Map"},
        {"place.XML", "<!DOCTYPE Linker_Placement_File>\n<Root/>", "Section Placement"},
        {"target.xml", "<!DOCTYPE Quillmark_Target_Definition_File><x/>", "Target Definitions"},
        {"other.xml", "<!DOCTYPE Something_Else>\n<Root/>", nullptr},
        {"plain.xml", "<Root/>", nullptr},
        {"commented.xml", "<!-- c -->\n<!DOCTYPE Board_Memory_Definition_File>\n<Root/>",
         nullptr},
        {"missing.xml", nullptr, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.text)
            write(c.name, QString(c.text));
        const QString type = typeOf(c.name);
        if (c.type)
            EXPECT_EQ(type, c.type);
        else
            EXPECT_TRUE(type.isNull());
    }
}

} // namespace
