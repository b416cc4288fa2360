#include "project/standard_project_system.h"

#include "project/property_class.h"
#include "solution_fixture.h"

namespace {

using FileTypeTest = ARMSolutionFixture;

// By the lower-cased extension, and for XML files by their document type.
TEST_F(FileTypeTest, TypeFollowsTheExtensionOrTheDocumentType)
{
    struct Case
    {
        const char *name;
        const char *type; // null: no type
        const char *text = nullptr; // written to the file first
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
        {"map.xml", "Memory Map",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE Board_Memory_Definition_File>\n<Root/>"},
        {"place.XML", "Section Placement", "<!DOCTYPE Linker_Placement_File>\n<Root/>"},
        {"target.xml", "Target Definitions", "<!DOCTYPE Quillmark_Target_Definition_File><x/>"},
        {"other.xml", nullptr, "<!DOCTYPE Something_Else>\n<Root/>"},
        {"plain.xml", nullptr, "<Root/>"},
        {"commented.xml", nullptr, "<!-- c -->\n<!DOCTYPE Board_Memory_Definition_File>\n<Root/>"},
        {"missing.xml", nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.text)
            write(c.name, QString(c.text));
        const QString type = system->getFileType(addFileNode(project, c.name));
        EXPECT_EQ(type, c.type ? QString(c.type) : QString());
        EXPECT_EQ(type.isNull(), c.type == nullptr);
    }
}

TEST_F(FileTypeTest, CommonFileTypeOverridesTheNameUnlessItIsDefault)
{
    ProjectElement *script = addFileNode(project, "layout.c");
    system->setProperty(script, "file_type", "Common", "Linker Script", false);
    EXPECT_EQ(system->getFileType(script), "Linker Script");

    ProjectElement *plain = addFileNode(project, "main.c");
    system->setProperty(plain, "file_type", "Common", "Default", false);
    EXPECT_EQ(system->getFileType(plain), "C");

    // Only the node's own "Common" value counts, not a configuration's or a parent's.
    ProjectElement *debugOnly = addFileNode(project, "x.c");
    system->setProperty(debugOnly, "file_type", "Debug", "Linker Script", false);
    system->setProperty(project, "file_type", "Common", "Assembly", false);
    EXPECT_EQ(system->getFileType(debugOnly), "C");
}

TEST_F(FileTypeTest, TypeFoundFromTheNameIsKeptWhenTheFileIsRenamed)
{
    ProjectElement *f = addFileNode(project, "main.c");
    EXPECT_EQ(system->getFileType(f), "C");
    f->setFileName("main.o", false);
    EXPECT_EQ(system->getFileType(f), "C");

    // A file of no type is looked at again: nothing was cached for it.
    ProjectElement *g = addFileNode(project, "notes.txt");
    EXPECT_TRUE(system->getFileType(g).isNull());
    g->setFileName("notes.c", false);
    EXPECT_EQ(system->getFileType(g), "C");
}

} // namespace
