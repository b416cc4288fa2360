// The change-time search: is a setting that shapes an output newer than the output?
#include "engine_harness.h"

#include "engine/build_property_catalogue.h"
#include "project/project_system.h"
#include "project/property_class.h"

namespace {

const char *kTree = R"(
<solution Name="s">
  <configuration Name="Base" hidden="Yes"/>
  <configuration Name="Debug" inherited_configurations="Base"/>
  <project Name="app">
    <configuration Name="Common"/><configuration Name="Debug"/><configuration Name="Base"/>
    <folder Name="f">
      <file file_name="main.c"><configuration Name="Common"/><configuration Name="Debug"/></file>
    </folder>
  </project>
</solution>)";

enum Level { File, Project };
enum Age { Older, Newer };
struct Record { Level level; const char *configuration; Age age; };

class PropertyChange : public EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        load(kTree);
        output = QDateTime::currentDateTime();
    }

    ProjectElement *node(Level level)
    {
        return level == File ? projectSystem->findByName(solution(), "main.c") : project("app");
    }

    // A value stored for `name` at `level` in `configuration`, changed before or after the
    // output was written.
    void record(const QString &name, const Record &r)
    {
        ProjectElement *c = node(r.level)->getConfigurationElement(r.configuration);
        ASSERT_TRUE(c);
        c->attributeMap.insert(name, "v");
        c->recordChange(name, output.addSecs(r.age == Newer ? 5 : -5));
    }

    bool current(const PropertyClass *p, const QString &config = "Debug")
    {
        return projectSystem->upToDate1(node(File), p, config, output);
    }

    QDateTime output;
};

} // namespace

TEST_F(PropertyChange, NearestRecordDecidesForASingleValueAndAnyRecordForAList)
{
    const PropertyClass *single = buildPropertyCatalogue->build_debug_information;
    const PropertyClass *list = buildPropertyCatalogue->c_preprocessor_definitions;
    struct Case { const char *what; const PropertyClass *property; QList<Record> records;
                  bool current; const char *configuration = "Debug"; };
    const Case cases[] = {
        {"nothing recorded", single, {}, true},
        {"file changed", single, {{File, "Common", Newer}}, false},
        {"file unchanged hides a project change", single,
         {{File, "Common", Older}, {Project, "Debug", Newer}}, true},
        {"exact configuration beats Common at one level", single,
         {{File, "Debug", Older}, {File, "Common", Newer}}, true},
        {"inherited configuration is asked before Common", single,
         {{Project, "Base", Newer}, {Project, "Common", Older}}, false},
        {"inherited unchanged beats a changed Common", single,
         {{Project, "Base", Older}, {Project, "Common", Newer}}, true},
        {"project change counts when the file says nothing", single, {{Project, "Common", Newer}},
         false},
        {"Common ignores other configurations", single, {{File, "Debug", Newer}}, true, "Common"},
        {"unchanged list", list, {{File, "Common", Older}, {File, "Debug", Older}}, true},
        {"any newer record counts for a list", list,
         {{File, "Common", Older}, {File, "Debug", Older}, {Project, "Common", Newer}}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        load(kTree);
        for (const Record &r : c.records)
            record(c.property->saveName(), r);
        EXPECT_EQ(current(c.property, c.configuration), c.current);
    }
}

TEST_F(PropertyChange, RemovedValueWithAnOldRecordSaysNothing)
{
    const PropertyClass *p = buildPropertyCatalogue->build_debug_information;
    record(p->saveName(), {File, "Common", Older});
    node(File)->getConfigurationElement("Common")->attributeMap.remove(p->saveName());
    record(p->saveName(), {Project, "Common", Newer});
    EXPECT_FALSE(current(p));
}

TEST_F(PropertyChange, ReportsTheChangedPropertyOrTheModifiedOptionsFile)
{
    const PropertyClass *options = buildPropertyCatalogue->c_additional_options_from_file;
    ProjectElement *file = node(File);
    record(options->saveName(), {File, "Common", Newer});
    EXPECT_FALSE(projectSystem->upToDate(file, options, "Debug", output, &builder, false, true));
    EXPECT_EQ(builder.lines("message "),
              QStringList{options->shortDescription() + " property has changed."});

    // Unchanged setting, but the file it names is newer than the output.
    load(kTree);
    file = node(File);
    source("opts.txt");
    projectSystem->setProperty(file, options->saveName(), "Common", "opts.txt", false);
    file->getConfigurationElement("Common")->attributeTimes.clear();
    builder.log.clear();
    EXPECT_TRUE(projectSystem->upToDate(file, options, "Debug", output, &builder, false, true));
    touch("opts.txt");
    const QDateTime earlier = QDateTime::fromSecsSinceEpoch(clock - 1);
    EXPECT_FALSE(projectSystem->upToDate(file, options, "Debug", earlier, &builder, false, true));
    EXPECT_EQ(builder.lines("message "), QStringList{"opts.txt has been modified."});
    builder.log.clear();
    EXPECT_FALSE(projectSystem->upToDate(file, options, "Debug", earlier, &builder, true, true));
    EXPECT_TRUE(builder.log.isEmpty());
}
