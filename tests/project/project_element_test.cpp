#include "project/project_element.h"

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

TEST(ProjectElementFiles, ProjectDirectoryFromCommonProjectDirectory)
{
    // A null value: no project_directory at all.
    const std::pair<const char *, QString> cases[] = {
        {nullptr, "/w"}, {"", "/w"}, {"sub", "/w/sub"}, {"../up/./x", "/up/x"}, {"/x", "/x"}};
    for (const auto &[value, directory] : cases) {
        SCOPED_TRACE(value ? value : "(none)");
        SmallTree t;
        if (value)
            configuration(t.project, "Common", {{"project_directory", value}});
        t.project->checkDoFileStuff();
        EXPECT_EQ(t.project->directory, directory);
    }
}

TEST(ProjectElementFiles, FileFactsFollowTheProjectDirectory)
{
    SmallTree t;
    configuration(t.project, "Common", {{"project_directory", "p"}});
    ProjectElement *folder = child(t.project, "folder", "Source");
    struct Case
    {
        QString fileName, absolute, filePath, name;
        bool inProject, belowProject;
    };
    const Case cases[] = {
        {"main.c", "/w/p/main.c", "main.c", "main.c", true, true},
        {"src/./a.c", "/w/p/src/a.c", "src/./a.c", "a.c", false, true},
        {"../lib/b.c", "/w/lib/b.c", "../lib/b.c", "b.c", false, false},
        {"/abs/c.c", "/abs/c.c", "/abs/c.c", "c.c", false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.fileName.toStdString());
        ProjectElement *file = child(folder, "file");
        file->setFileName(c.fileName, false);
        file->checkDoFileStuff();
        EXPECT_EQ(file->directory, "/w/p");
        EXPECT_EQ(file->absolutePath.filePath(), c.absolute);
        EXPECT_EQ(file->getName(), c.name);
        EXPECT_EQ(file->filePath, c.filePath);
        EXPECT_EQ(file->inProjectDirectory, c.inProject);
        EXPECT_EQ(file->belowProjectDirectory, c.belowProject);
    }
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
