#include "solution_fixture.h"

#include "project/property_class.h"
#include "project/property_value.h"
#include "project/property_value_list.h"

namespace {

const PropertyClass kBoolean("b", PropertyClass::Boolean, "", "", "", "", "");
const PropertyClass kColours("c", PropertyClass::Enumeration, QStringList{"Red", "Green", "Blue"},
                             "", "", "", "", "Green");
const PropertyClass kHex("h", PropertyClass::IntegerHex, 0, 0xFFFF, "", "", "", "", 0);
const PropertyClass kInteger("i", PropertyClass::Integer, "", "", "", "", "7");
const PropertyClass kText("t", PropertyClass::String, "", "", "", "", "d1;d2");

// Counts its own destruction, to see who owns it.
class CountedValue : public SimplePropertyValue
{
public:
    CountedValue(const PropertyClass *c, int *deaths) : SimplePropertyValue(c), m_deaths(deaths) {}
    ~CountedValue() override { ++*m_deaths; }

private:
    int *m_deaths;
};

} // namespace

// An enumeration reads as its index, and its entries 0 and 1 as false and true; other text goes
// by its words or digits. An empty value reads as the default.
TEST(PropertyValueConversion, ToBoolAndToInt)
{
    struct Case
    {
        const PropertyClass *c;
        const char *value;
        bool boolean;
        int integer;
    };
    const Case cases[] = {
        {&kBoolean, "Yes", true, 1},   {&kBoolean, "YES", true, -1},
        {&kBoolean, "True", true, -1}, {&kBoolean, "1", true, -1},    {&kBoolean, "no", false, -1},
        {&kBoolean, "2", false, -1},   {&kBoolean, "No", false, 0},   {&kColours, "Green", true, 1},
        {&kColours, "Red", false, 0},  {&kColours, "", true, 1},      {&kColours, "Blue", false, 2},
        {&kColours, "Purple", false, -1}, {&kInteger, "42", false, 42}, {&kInteger, "1", true, 1},
        {&kInteger, "0x1F", false, 31}, {&kInteger, "017", false, 15}, {&kInteger, "-3", false, -3},
        {&kInteger, "12abc", false, 12}, {&kInteger, "abc", false, 0}, {&kInteger, "", false, 7},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.c->saveName().toStdString() + " " + c.value);
        const SimplePropertyValue v(c.c, QString(c.value));
        EXPECT_EQ(v.toBool(), c.boolean);
        EXPECT_EQ(v.toInt(), c.integer);
    }
}

TEST(PropertyValueConversion, ListsUseTheEscapedTextForm)
{
    SimplePropertyValue v(&kText);
    v.setValue(QStringList{"a;b", "c\\d"});
    EXPECT_EQ(v.toString(), "a\\;b;c\\\\d");
    EXPECT_EQ(v.toStringList(false), (QStringList{"a;b", "c\\d"}));
    v.setValue("");
    EXPECT_EQ(v.toStringList(false), (QStringList{"d1", "d2"})); // the default
}

TEST(PropertyValueSetInt, ByType)
{
    SimplePropertyValue colour(&kColours, QString("Red"));
    colour.setValue(2);
    EXPECT_EQ(colour.toString(), "Blue");
    colour.setValue(5); // not an entry: cleared, with a warning
    EXPECT_TRUE(colour.toString().isNull());

    SimplePropertyValue hex(&kHex, 255);
    EXPECT_EQ(hex.toString(), "0x00ff");
    SimplePropertyValue integer(&kInteger, -12);
    EXPECT_EQ(integer.toString(), "-12");

    SimplePropertyValue text(&kText, QString("keep"));
    text.setValue(3); // not an integer property: kept, with a warning
    EXPECT_EQ(text.toString(), "keep");
}

TEST(PropertyValueLists, ATransientListDeletesOnlyTransientMembers)
{
    int deaths = 0;
    CountedValue kept(&kText, &deaths);
    {
        PropertyValueList list(true);
        auto *owned = new CountedValue(&kInteger, &deaths);
        owned->setTransient(true);
        list.append(owned);
        list.append(&kept);
    }
    EXPECT_EQ(deaths, 1);
    {
        PropertyValueList plain(false);
        auto *transient = new CountedValue(&kInteger, &deaths);
        transient->setTransient(true);
        plain.append(transient);
        delete transient;
    }
    EXPECT_EQ(deaths, 2);
}

TEST(PropertyValueLists, AppendUniqueAndFind)
{
    PropertyValueList list;
    SimplePropertyValue a(&kText), b(&kText), c(&kInteger), classless;
    list.appendUnique(&a);
    list.appendUnique(&b);
    list.appendUnique(&c);
    list.appendUnique(&classless);
    list.appendUnique(nullptr);
    EXPECT_EQ(list.size(), 2);
    EXPECT_EQ(list.find(&kText), &a);
    EXPECT_EQ(list.find(&kBoolean), nullptr);

    PropertyClassList classes;
    classes.appendUnique(&kText);
    classes.appendUnique(&kInteger);
    classes.appendUnique(&kText);
    EXPECT_EQ(classes.size(), 2);
}

using ProjectValueTest = SolutionFixture;

TEST_F(ProjectValueTest, AClassNotPerConfigurationReadsAndWritesCommon)
{
    ProjectElement *s = load(R"(<project Name="P"><file file_name="a.c"/></project>)");
    ProjectElement *file = system->findByName(s, "a.c");
    ProjectPropertyValue codec(system->fileCodecProperty(), "Debug", file);
    EXPECT_EQ(codec.configuration(), "Common");
    EXPECT_TRUE(codec.transient());
    EXPECT_TRUE(codec.inherited());
    EXPECT_FALSE(codec.nonDefault());
    codec.setValue("UTF-8");
    ASSERT_NE(file->getConfigurationElement("Common"), nullptr);
    EXPECT_EQ(file->getConfigurationElement("Common")->attribute("file_codec"), "UTF-8");
    EXPECT_EQ(file->getConfigurationElement("Debug"), nullptr);
    EXPECT_FALSE(codec.inherited());
    EXPECT_TRUE(codec.nonDefault());
    EXPECT_EQ(codec.toString(), "UTF-8");
}

TEST_F(ProjectValueTest, ReadingResolvesExceptForListsWhichShowOnlyTheNodesOwnText)
{
    ProjectElement *s = load(R"(<configuration Name="Common" defs="S" text="st"/>
        <project Name="P"><configuration Name="Debug" defs="P"/>
          <file file_name="a.c"><configuration Name="Debug" defs="F"/></file></project>)");
    ProjectElement *file = system->findByName(s, "a.c");
    ProjectElement *project = system->findProject(s, "P");
    PropertyClass defs("defs", PropertyClass::StringList, "", "", "", "", "");
    PropertyClass text("text", PropertyClass::String, "", "", "", "", "");
    EXPECT_EQ(ProjectPropertyValue(&defs, "Debug", file).toString(), "F");
    EXPECT_TRUE(ProjectPropertyValue(&defs, "Release", file).toString().isNull());
    EXPECT_EQ(system->settingFor(file, &defs, "Debug"), "F;P;S");

    ProjectPropertyValue inheritedText(&text, "Debug", file);
    EXPECT_EQ(inheritedText.toString(), "st");
    EXPECT_TRUE(inheritedText.inherited());
    // A value that comes from a "Common" configuration leaves no inheritance record.
    EXPECT_FALSE(inheritedText.nonDefault());
    EXPECT_TRUE(ProjectPropertyValue(&text, "Debug", project).inherited());
    system->setProperty(project, &text, "Debug", "pd", false);
    EXPECT_TRUE(inheritedText.nonDefault());
    EXPECT_EQ(inheritedText.toString(), "pd");
}
