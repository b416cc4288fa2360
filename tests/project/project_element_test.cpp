#include "project/project_element.h"

#include "macros/macro_system.h"
#include "project/property_inheritance_information.h"
#include "support/qt_printers.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

ProjectElement *child(ProjectElement *parent, const QString &tag, const QString &name = QString())
{
    auto *e = new ProjectElement(tag);
    if (!name.isNull())
        e->attributeMap.insert("Name", name);
    parent->appendChild(e);
    return e;
}

ProjectElement *configuration(ProjectElement *parent, const QString &name,
                              const QMap<QString, QString> &values = {})
{
    ProjectElement *c = child(parent, "configuration", name);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        c->attributeMap.insert(it.key(), it.value());
    return c;
}

// A solution file at /w/s.zav holding one project.
struct SmallTree
{
    SmallTree()
    {
        solution->setPath("/w/s.zav");
        project = child(solution.get(), "project", "P");
    }
    std::unique_ptr<ProjectElement> solution = std::make_unique<ProjectElement>("solution");
    ProjectElement *project;
};

} // namespace

TEST(ProjectElementKinds, TagNamesGiveKindsAndUnknownTagsGiveNone)
{
    const QString tags[] = {"solution", "configuration", "project", "folder", "file"};
    for (int kind = 0; kind < 5; ++kind) {
        ProjectElement e(tags[kind]);
        EXPECT_EQ(e.type, kind);
        EXPECT_EQ(e.getTagName(), tags[kind]);
    }
    ProjectElement unknown("Project");
    EXPECT_TRUE(unknown.getTagName().isNull());
    EXPECT_FALSE(unknown.isSolution() || unknown.isConfiguration() || unknown.isProject() ||
                 unknown.isFolder() || unknown.isFile());
}

TEST(ProjectElementNames, NameFileNameOrNull)
{
    SmallTree t;
    ProjectElement *named = child(t.project, "file", "Main");
    named->attributeMap.insert("file_name", "src/main.c");
    ProjectElement *emptyName = child(t.project, "file", "");
    emptyName->attributeMap.insert("file_name", "src/main.c");
    ProjectElement *neither = child(t.project, "folder");
    EXPECT_EQ(named->getName(), "Main");
    EXPECT_EQ(emptyName->getName(), "main.c");
    EXPECT_EQ(neither->getName(), "<NULL>");
}

TEST(ProjectElementTree, ChildrenKeepDocumentOrderAndParents)
{
    ProjectElement folder("folder");
    ProjectElement *a = child(&folder, "file", "a");
    ProjectElement *b = child(&folder, "file", "b");
    ProjectElement *c = child(&folder, "file", "c");
    EXPECT_EQ(folder.firstChild, a);
    EXPECT_EQ(a->nextSibling, b);
    EXPECT_EQ(b->nextSibling, c);
    EXPECT_EQ(c->nextSibling, nullptr);
    EXPECT_EQ(c->parent, &folder);
    EXPECT_TRUE(folder.modified);
    folder.removeAndDeleteAllChildren();
    EXPECT_EQ(folder.firstChild, nullptr);
    ProjectElement *d = child(&folder, "file", "d");
    EXPECT_EQ(folder.firstChild, d);
    EXPECT_EQ(d->nextSibling, nullptr);
}

TEST(ProjectElementTree, SecondConfigurationOfTheSameNameWinsTheMapAndBothStay)
{
    ProjectElement project("project");
    ProjectElement *first = configuration(&project, "Debug");
    ProjectElement *second = configuration(&project, "Debug");
    EXPECT_EQ(project.getConfigurationElement("Debug"), second);
    EXPECT_EQ(project.numConfigurationElements(), 1);
    EXPECT_EQ(project.firstChild, first);
    EXPECT_EQ(first->nextSibling, second);
    EXPECT_EQ(project.getConfigurationElement("Release"), nullptr);
}

TEST(ProjectElementAttributes, ChangesRecordTimeFlagAndModified)
{
    ProjectElement e("file");
    EXPECT_TRUE(e.attribute("x").isNull());
    e.setAttribute("x", "", true);
    EXPECT_FALSE(e.attribute("x").isNull());
    EXPECT_TRUE(e.modified);
    QDateTime when;
    EXPECT_TRUE(e.hasModifiedProperty("x", when));
    EXPECT_TRUE(when.isValid());
    EXPECT_TRUE(e.attributeFlags.value("x"));

    e.modified = false;
    e.attributeTimes.clear();
    e.removeAttribute("x");
    EXPECT_FALSE(e.hasAttribute("x"));
    EXPECT_TRUE(e.modified);
    EXPECT_TRUE(e.hasModifiedProperty("x", when));

    e.setAttribute("b", "2", false);
    e.setAttribute("a", "1", false);
    EXPECT_EQ(e.attributes(), (QStringList{"a", "b"}));
}

TEST(ProjectElementAttributes, SetFileNameRecordsNoTimeAndRecomputesTheFacts)
{
    SmallTree t;
    ProjectElement *file = child(t.project, "file");
    file->setFileName("a.c", true);
    EXPECT_EQ(file->getName(), "a.c");
    file->setFileName("b.c", false);
    EXPECT_EQ(file->getName(), "b.c");
    QDateTime when;
    EXPECT_FALSE(file->hasModifiedProperty("file_name", when));
    EXPECT_FALSE(file->attributeFlags.value("file_name"));
}

TEST(ProjectElementProperties, GetPropertyAccumulatesAndRecords)
{
    ProjectElement project("project");
    ProjectElement *debug = configuration(&project, "Debug", {{"defs", "b"}, {"empty", ""}});

    QString value = "a";
    EXPECT_FALSE(project.getProperty("Release", "defs", value, nullptr));
    EXPECT_FALSE(project.getProperty("Debug", "other", value, nullptr));
    EXPECT_EQ(value, "a");

    PropertyInheritanceInformation info;
    EXPECT_TRUE(project.getProperty("Debug", "defs", value, &info));
    EXPECT_EQ(value, "a;b");
    ASSERT_EQ(info.size(), 1);
    EXPECT_EQ(info[0].value, "b");
    EXPECT_EQ(info[0].configuration, "Debug");
    EXPECT_EQ(info[0].node, &project);

    QString fresh;
    EXPECT_TRUE(project.getProperty("Debug", "empty", fresh, nullptr));
    EXPECT_FALSE(fresh.isNull());
    EXPECT_TRUE(fresh.isEmpty());
    (void)debug;
}

TEST(ProjectElementProperties, InheritanceMapDropsEmptyParts)
{
    ProjectElement solution("solution");
    configuration(&solution, "Debug", {{"inherited_configurations", "A;;B;"}});
    configuration(&solution, "Release");
    solution.updateInheritenceMap();
    EXPECT_EQ(solution.getInheritedConfigurations("Debug"), (QStringList{"A", "B"}));
    EXPECT_TRUE(solution.getInheritedConfigurations("Release").isEmpty());
    EXPECT_FALSE(solution.inheritanceMap.contains("Release"));
}

TEST(ProjectElementFiles, ProjectDirectoryFromCommonProjectDirectory)
{
    struct Case
    {
        const char *value; // null: no project_directory at all
        QString directory;
    };
    const Case cases[] = {
        {nullptr, "/w"}, {"", "/w"}, {"sub", "/w/sub"}, {"../up/./x", "/up/x"}, {"/x", "/x"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value ? c.value : "(none)");
        SmallTree t;
        if (c.value)
            configuration(t.project, "Common", {{"project_directory", c.value}});
        t.project->checkDoFileStuff();
        EXPECT_EQ(t.project->directory, c.directory);
    }
}

TEST(ProjectElementFiles, FileFactsFollowTheProjectDirectory)
{
    SmallTree t;
    configuration(t.project, "Common", {{"project_directory", "p"}});
    ProjectElement *folder = child(t.project, "folder", "Source");
    struct Case
    {
        QString fileName, absolute, filePath;
        bool inProject, belowProject;
    };
    const Case cases[] = {
        {"main.c", "/w/p/main.c", "main.c", true, true},
        {"src/./a.c", "/w/p/src/a.c", "src/./a.c", false, true},
        {"../lib/b.c", "/w/lib/b.c", "../lib/b.c", false, false},
        {"/abs/c.c", "/abs/c.c", "/abs/c.c", false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fileName.toStdString());
        ProjectElement *file = child(folder, "file");
        file->setFileName(c.fileName, false);
        file->checkDoFileStuff();
        EXPECT_EQ(file->directory, "/w/p");
        EXPECT_EQ(file->absolutePath.filePath(), c.absolute);
        EXPECT_EQ(file->fileInfo.filePath(), c.absolute);
        EXPECT_EQ(file->filePath, c.filePath);
        EXPECT_EQ(file->inProjectDirectory, c.inProject);
        EXPECT_EQ(file->belowProjectDirectory, c.belowProject);
    }
}

TEST(ProjectElementFiles, GlobalMacrosAreExpandedButTheAttributeIsKept)
{
    macroSystem.setSystemMacro("StudioDir", "/opt/studio");
    SmallTree t;
    ProjectElement *file = child(t.project, "file");
    file->setFileName("$(StudioDir)/src/startup.s", false);
    file->checkDoFileStuff();
    EXPECT_EQ(file->absolutePath.filePath(), "/opt/studio/src/startup.s");
    EXPECT_EQ(file->getFileName(), "$(StudioDir)/src/startup.s");
    EXPECT_EQ(file->getName(), "startup.s");
    macroSystem.reset();
}

TEST(ProjectElementClean, MarkCleanClearsTimesBelowTheRoot)
{
    SmallTree t;
    ProjectElement *c = configuration(t.project, "Debug");
    c->setAttribute("x", "1", false);
    t.solution->setAttribute("version", "2", false);
    t.solution->markClean();
    EXPECT_FALSE(t.solution->modified);
    EXPECT_FALSE(t.project->modified);
    EXPECT_FALSE(c->modified);
    EXPECT_TRUE(c->attributeTimes.isEmpty());
    EXPECT_FALSE(t.solution->attributeTimes.isEmpty());
}

TEST(ProjectElementChanges, PropertyHasChangedComparesTheRecordedTime)
{
    ProjectElement file("file");
    ProjectElement *debug = configuration(&file, "Debug");
    const QDateTime before = QDateTime::currentDateTime().addSecs(-60);
    const QDateTime after = QDateTime::currentDateTime().addSecs(60);
    bool changed = true;
    EXPECT_FALSE(file.propertyHasChanged("Release", "x", before, changed));
    EXPECT_FALSE(file.propertyHasChanged("Debug", "x", before, changed));

    debug->setAttribute("x", "1", false);
    EXPECT_TRUE(file.propertyHasChanged("Debug", "x", before, changed));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(file.propertyHasChanged("Debug", "x", after, changed));
    EXPECT_FALSE(changed);

    // A removed value leaves a record only until it is found to be stale.
    debug->removeAttribute("x");
    EXPECT_FALSE(file.propertyHasChanged("Debug", "x", after, changed));
    EXPECT_FALSE(debug->attributeTimes.contains("x"));
}
